#!/usr/bin/env bash
# Starts the real program on a private X display and checks that two things a user can do by
# mistake leave the EXP file as the batch converter writes it: pressing Add in the add/subtract
# window with no file picked, and cutting and pasting in the read-only Columns field.
set -euo pipefail
app=$1 convert=$2 samples=$3

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/xvfb.sh"

work=$(mktemp -d)
xvfb_pid="" app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb 1600x1000x24 "$work/xvfb.log" || { echo "FAIL: no X server"; exit 1; }

export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/data" "$work/start" "$work/expected"
chmod 700 "$XDG_RUNTIME_DIR"
sample=$(ls "$samples"/*.spm | head -n 1)
name=$(basename "$sample" .spm)
exp=$work/data/$name.exp
cp "$sample" "$work/data/$name.spm"
"$convert" --output-dir "$work/expected" "$work/data/$name.spm" >/dev/null

fail() { echo "FAIL: $*"; import -window root "$work/../e2e-combine-failure.png" 2>/dev/null || true; exit 1; }

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

wait_window() {  # pattern [id to leave out] -> id of a visible window
  local id
  for _ in $(seq 1 100); do
    id=$(visible "$1" | grep -vx "${2:-none}" | tail -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

wait_gone() {  # window id
  for _ in $(seq 1 50); do
    visible '.' | grep -qx "$1" || return 0
    sleep 0.1
  done
  return 1
}

keys() {  # window-id key...
  local wid=$1; shift
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  xdotool key --delay 80 "$@"
}

# Ctrl+S, then the EXP file must be the converter's byte for byte.
save_and_compare() {
  rm -f "$exp"
  keys "$main" ctrl+s
  for _ in $(seq 1 50); do [ -f "$exp" ] && break; sleep 0.1; done
  [ -f "$exp" ] || fail "Ctrl+S wrote no $name.exp ($1)"
  cmp "$exp" "$work/expected/$name.exp" || fail "EXP differs from the converter's ($1)"
}

(cd "$work/start" && exec "$app") &
app_pid=$!
msg=$(wait_window '.') || fail "no window appeared"
sleep 0.5
keys "$msg" Return # the first-start message
main=$(wait_window '^Trevandel$') || fail "main window not shown"
sleep 0.5
keys "$main" ctrl+o
dlg=$(wait_window '^Open$') || fail "open dialog not shown"
sleep 0.3
xdotool windowfocus --sync "$dlg" 2>/dev/null || true
xdotool type --delay 5 "$work/data/$name.spm"
xdotool key Return
wait_gone "$dlg" || fail "the open dialog did not take the typed path"
sleep 0.5

# (a) Special -> Add spectres, Add with no file picked: a message, dismissed; Close.
xdotool mousemove --window "$main" 162 8 click 1 # "Special" in the menu bar
sleep 0.4
xdotool key Down Return
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
save_and_compare "after Add with no file picked"

# (b) Columns is read-only: select all, cut, paste twice.
xdotool mousemove --window "$main" 620 345 click 1 # the Columns field
sleep 0.3
keys "$main" ctrl+a ctrl+x ctrl+v ctrl+v
save_and_compare "after cut and paste in Columns"
echo "PASS"
