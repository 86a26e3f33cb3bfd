#!/usr/bin/env bash
# Starts the real program on a private X display, opens a sample through the real file dialog,
# saves with Ctrl+S and compares the EXP file with the batch converter's; two things a user can
# do by mistake must leave it so: pressing Add in the add/subtract window with no file picked,
# and cutting and pasting in the read-only Columns field. A second start must be silent and
# open its dialogs in the sample's folder.
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

# Special -> Add spectres, Add with no file picked: a message, dismissed; Close.
e2e_special 1
form5=$(wait_window '^ $') || fail "the add/subtract window did not open"
sleep 0.3
keys "$form5" alt+a
box=$(wait_window '^Trevandel$' "$main") || fail "Add with no file picked showed no message"
sleep 0.3
keys "$box" Return
wait_gone "$box" || fail "the message did not go away"
[ -z "$(visible '^Trevandel$' | grep -vx "$main")" ] || fail "a second message followed"
keys "$form5" alt+c
wait_gone "$form5" || fail "the add/subtract window did not close"
save_and_compare "$exp" "$expected" "after Add with no file picked"

# Columns is read-only: select all, cut, paste twice.
xdotool mousemove --window "$main" 620 345 click 1 # the Columns field
sleep 0.3
keys "$main" ctrl+a ctrl+x ctrl+v ctrl+v
save_and_compare "$exp" "$expected" "after cut and paste in Columns"
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
