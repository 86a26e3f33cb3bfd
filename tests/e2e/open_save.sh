#!/usr/bin/env bash
# Starts the real program on a private X display, opens a sample through the real file dialog,
# saves with Ctrl+S and compares the EXP file with the batch converter's. A second start must be
# silent and open its dialogs in the sample's folder.
set -euo pipefail
app=$1 convert=$2 samples=$3

. "$(dirname "$0")/lib.sh"
e2e_begin e2e-failure

sample=$(ls "$samples"/*.spm | head -n 1)
name=$(basename "$sample" .spm)
exp=$work/data/$name.exp expected=$work/expected/$name.exp
cp "$sample" "$work/data/$name.spm"
"$convert" --output-dir "$work/expected" "$work/data/$name.spm" >/dev/null

# First start: the first-start message comes before the main window.
e2e_start_program "$app"
e2e_open "$work/data/$name.spm"
save_and_compare "$exp" "$expected" "first start"
grep -q 'InitialDir' "$XDG_CONFIG_HOME"/trevandel/* || fail "the last folder was not stored"

kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""

# Second start: silent, and dialogs open in the sample's folder, so a bare name is found.
xvfb_alive || { cat "$work/xvfb.log"; fail "the X server went away after the first start"; }
(cd "$work/start" && exec "$app") &
app_pid=$!
main=$(wait_window '^Trevandel$') || fail "main window not shown on the second start"
sleep 0.8
[ "$(visible '.' | wc -l)" -eq 1 ] || fail "a second start showed more than the main window"
e2e_open "$name.spm"
save_and_compare "$exp" "$expected" "second start: did the dialog open in the sample's folder?"
echo "PASS"
