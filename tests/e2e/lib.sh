# Sourced by the end-to-end scripts: a private X display and a scratch folder that go away with
# the script, and the few xdotool steps every script drives the program with.
#
#   e2e_begin FAILURE-SCREENSHOT-NAME [SCREEN [TOOL...]]
#                                       needs Xvfb, xdotool and the TOOLs (exit 77 without
#                                       them); sets work and starts Xvfb; the script's own
#                                       clean-up, if any, is a function e2e_cleanup, what it
#                                       adds to a failure's report a function e2e_on_fail
#   e2e_start_program APP               starts APP in $work/start with a fresh configuration,
#                                       dismisses the first-start message; sets app_pid, main

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The scripts drive Qt's own file dialog: a desktop session's platform theme must not swap in
# the desktop's dialog.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID \
  QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM
. "$e2e_here/../../scripts/lib/xvfb.sh"

e2e_begin() {
  local tool
  for tool in Xvfb xdotool xdpyinfo "${@:3}"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
  e2e_screenshot=$1
  work=$(mktemp -d)
  xvfb_pid="" app_pid=""
  trap e2e_end EXIT
  # A stopped run still takes its servers and files away.
  trap 'exit 1' INT TERM HUP
  start_xvfb "${2:-1600x1000x24}" "$work/xvfb.log" || fail "no X server"
  export XDG_RUNTIME_DIR=$work/runtime
  mkdir -p "$XDG_RUNTIME_DIR" "$work/data" "$work/start" "$work/expected"
  chmod 700 "$XDG_RUNTIME_DIR"
}

e2e_end() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  declare -F e2e_cleanup >/dev/null && e2e_cleanup
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}

fail() {
  echo "FAIL: $*"
  for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    echo "  window $w: $(xdotool getwindowname "$w" 2>/dev/null)"
  done
  declare -F e2e_on_fail >/dev/null && e2e_on_fail
  import -window root "$work/../$e2e_screenshot.png" 2>/dev/null || true
  exit 1
}

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

wait_for() {  # command... -> the first line it prints, once it prints one (within 10 s)
  local out
  for _ in $(seq 1 100); do
    out=$("$@" 2>/dev/null | head -n 1 || true)
    [ -n "$out" ] && { echo "$out"; return 0; }
    sleep 0.1
  done
  return 1
}

window_matching() { visible "$1" | grep -vx "${2:-none}" | tail -n 1; }
wait_window() { wait_for window_matching "$@"; }  # pattern [id to leave out] -> window id

wait_gone() {  # window id
  for _ in $(seq 1 50); do
    visible '.' | grep -qx "$1" || return 0
    sleep 0.1
  done
  return 1
}

wait_file() { wait_for ls "$1" >/dev/null; }  # path

keys() {  # window-id key...
  local wid=$1; shift
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  xdotool key --delay 80 "$@"
}

type_path() {  # dialog-id path: types a path into Qt's file dialog and accepts it
  sleep 0.3
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool type --delay 5 "$2"
  xdotool key Return
  wait_gone "$1" || fail "the dialog did not take the typed path $2"
}

e2e_start_program() {
  export XDG_CONFIG_HOME
  XDG_CONFIG_HOME=$(mktemp -d "$work/config.XXXXXX")
  (cd "$work/start" && exec "$1") &
  app_pid=$!
  local msg
  msg=$(wait_window '.') || fail "no window appeared"
  sleep 0.5
  keys "$msg" Return # the first-start message
  main=$(wait_window '^Trevandel$') || fail "main window not shown"
  sleep 0.5
}

e2e_open() {  # path: Ctrl+O in the main window and the path typed into the dialog
  keys "$main" ctrl+o
  local dlg
  dlg=$(wait_window '^Open$') || fail "open dialog not shown"
  type_path "$dlg" "$1"
  sleep 0.5
}

e2e_special() {  # n: the Special menu's n-th item, picked from the keyboard
  xdotool mousemove --window "$main" 162 8 click 1 # "Special" in the menu bar
  sleep 0.4
  xdotool key $(printf 'Down %.0s' $(seq 1 "$1")) Return
}

# Ctrl+S in the main window; the EXP file it writes must be EXPECTED byte for byte.
save_and_compare() {  # exp expected what
  rm -f "$1"
  keys "$main" ctrl+s
  wait_file "$1" || fail "Ctrl+S wrote no $(basename "$1") ($3)"
  cmp "$1" "$2" || fail "the EXP file differs from the converter's ($3)"
}
