#!/usr/bin/env bash
# Starts the real program on a private X display, calibrates the velocity scale from the iron
# foil sample through Special -> Calibrate from reference spectrum, applies it to the header,
# saves the calibration file and the EXP, and holds both to the batch converter's own
# calibration of the same file.
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
name=ha1001-fe-foil
cp "$samples/$name.spm" "$work/data/"
# The converter's calibration in the mode an open selects, and the EXP it gives.
"$convert" --calibrate --mode add --write-cal "$work/expected/ref.cal" "$work/data/$name.spm" >/dev/null
"$convert" --cal "$work/expected/ref.cal" --output-dir "$work/expected" "$work/data/$name.spm"

fail() { echo "FAIL: $*"; import -window root "$work/../e2e-calibrate-failure.png" 2>/dev/null || true; exit 1; }
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
type_path() {  # dialog-id path
  sleep 0.3
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool type --delay 5 "$2"
  xdotool key Return
  wait_gone "$1" || fail "the dialog did not take the typed path $2"
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
type_path "$dlg" "$work/data/$name.spm"
sleep 0.5

xdotool mousemove --window "$main" 162 8 click 1 # "Special" in the menu bar
sleep 0.4
xdotool key Down Down Down Down Return
cal=$(wait_window '^Velocity calibration$') || fail "the calibration window did not open"
sleep 0.5
[ -n "${TRV_KEEP_SCREENSHOT:-}" ] && import -window root "$TRV_KEEP_SCREENSHOT"
keys "$cal" alt+a # Apply to header
keys "$cal" alt+s # Save .cal...
save=$(wait_window '^Save calibration$') || fail "the save dialog did not open"
type_path "$save" "$work/data/ref.cal"
[ -f "$work/data/ref.cal" ] || fail "no calibration file written"
keys "$cal" alt+c
wait_gone "$cal" || fail "the calibration window did not close"

# The four value lines are the converter's; the descriptive ones may differ (the date).
diff <(sed -n '6,9p' "$work/data/ref.cal") <(sed -n '6,9p' "$work/expected/ref.cal") \
  || fail "the calibration values differ from the converter's"
rm -f "$work/data/$name.exp"
keys "$main" ctrl+s
for _ in $(seq 1 50); do [ -f "$work/data/$name.exp" ] && break; sleep 0.1; done
cmp "$work/data/$name.exp" "$work/expected/$name.exp" \
  || fail "the EXP after Apply differs from the converter's with the calibration file"
echo "PASS"
