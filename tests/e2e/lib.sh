# Sourced by the end-to-end scripts: a private X display and a scratch folder that go away with
# the script, and the few xdotool steps every script drives the program with.
#
#   e2e_begin FAILURE-SCREENSHOT-NAME   needs Xvfb and xdotool (exit 77 without them); sets
#                                       work and starts Xvfb; the script's own clean-up, if
#                                       any, is a function e2e_cleanup
#   e2e_start_program APP               starts APP in $work/start with a fresh configuration,
#                                       dismisses the first-start message; sets app_pid, main

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The scripts drive Qt's own file dialog: a desktop session's platform theme must not swap in
# the desktop's dialog.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID \
  QT_QPA_PLATFORMTHEME
. "$e2e_here/../../scripts/lib/xvfb.sh"

e2e_begin() {
  local tool
  for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
  e2e_screenshot=$1
  work=$(mktemp -d)
  xvfb_pid="" app_pid=""
  trap e2e_end EXIT
  start_xvfb 1600x1000x24 "$work/xvfb.log" || { echo "FAIL: no X server"; exit 1; }
  export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/data" "$work/start" "$work/expected"
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
  import -window root "$work/../$e2e_screenshot.png" 2>/dev/null || true
  exit 1
}

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

type_path() {  # dialog-id path: types a path into Qt's file dialog and accepts it
  sleep 0.3
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool type --delay 5 "$2"
  xdotool key Return
  wait_gone "$1" || fail "the dialog did not take the typed path $2"
}

e2e_start_program() {
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
