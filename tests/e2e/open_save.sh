#!/usr/bin/env bash
# Starts the real program on a private X display, opens a sample through the real file dialog,
# saves with Ctrl+S and compares the EXP file with the batch converter's. A second start must
# be silent and open its dialogs in the sample's folder.
set -euo pipefail
app=$1 convert=$2 samples=$3

. "$(dirname "$0")/lib.sh"
e2e_begin e2e-failure

sample=$(ls "$samples"/*.spm | head -n 1)
name=$(basename "$sample" .spm)
cp "$sample" "$work/data/$name.spm"
"$convert" --output-dir "$work/expected" "$work/data/$name.spm" >/dev/null

# Ctrl+O, the typed name into the real dialog, Return, Ctrl+S; waits for the EXP file.
# $1: what to type, $2: what to say when the dialog does not come up.
open_and_save() {
  keys "$main" ctrl+o
  dlg=$(wait_window 'Open|spm|Spm') || fail "$2"
  sleep 0.3
  xdotool windowfocus --sync "$dlg" 2>/dev/null || true
  xdotool type --delay 5 "$1"
  xdotool key Return
  sleep 1
  keys "$main" ctrl+s
  for _ in $(seq 1 50); do [ -f "$work/data/$name.exp" ] && break; sleep 0.1; done
}

# First start: the first-start message comes before the main window.
e2e_start_program "$app"
open_and_save "$work/data/$name.spm" "open dialog not shown"
[ -f "$work/data/$name.exp" ] || fail "Ctrl+S wrote no $name.exp into the sample's folder"
cmp "$work/data/$name.exp" "$work/expected/$name.exp" || fail "EXP differs from the converter's"
grep -q 'InitialDir' "$XDG_CONFIG_HOME"/trevandel/* || fail "the last folder was not stored"
kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""

# Second start: silent, and dialogs open in the sample's folder, so a bare name is found.
rm -f "$work/data/$name.exp"
xvfb_alive || { cat "$work/xvfb.log"; fail "the X server went away after the first start"; }
(cd "$work/start" && exec "$app") &
app_pid=$!
main=$(wait_window '^Trevandel$') || fail "main window not shown on the second start"
sleep 0.8
count=$(xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l)
open_and_save "$name.spm" "open dialog not shown on the second start (a message box in the way?)"
[ -f "$work/data/$name.exp" ] || fail "second start did not open in the sample's folder (visible windows: $count)"
cmp "$work/data/$name.exp" "$work/expected/$name.exp" || fail "EXP differs on the second start"
echo "PASS"
