#!/usr/bin/env bash
# Started without a display (and no platform chosen), or with one that does not answer, the
# program and `make run` (scripts/run-app) print one line that says so and how to go on, and
# exit with status 1 instead of Qt's abort. --help and --version need no display; a wrong argument is a usage error (status 2).
#   no_display.sh PROGRAM SOURCE_DIR
set -uo pipefail
app=$1 top=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime LC_ALL=C
status=0
fail() { echo "FAIL: $*"; status=1; }
expected='trevandel: no display (DISPLAY/WAYLAND_DISPLAY unset): run it in a desktop session, or set QT_QPA_PLATFORM=vnc and reach the window through a VNC viewer on port 5900'

# run NAME EXPECTED_STATUS COMMAND...: stdout and stderr in $work/NAME.{out,err}
run() {
  local name=$1 want=$2; shift 2
  timeout 20 "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null
  local got=$?
  [ "$got" -eq "$want" ] || fail "$name: exit status $got, expected $want; stderr:"$'\n'"$(cat "$work/$name.err")"
}

build=$(cd "$(dirname "$app")/../.." && pwd)
for how in unset empty run-app; do
  case $how in
  unset) run $how 1 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$app" ;;
  empty) run $how 1 env DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM= "$app" ;;
  run-app) run $how 1 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
             "$top/scripts/run-app" "$build" ;;
  esac
  [ "$(cat "$work/$how.err")" = "$expected" ] ||
    fail "$how: stderr is not the one line:"$'\n'"$(cat "$work/$how.err")"
  [ ! -s "$work/$how.out" ] || fail "$how: printed on stdout"
done
# A display that is named but does not answer is no display either, said the same way.
for how in dead-x dead-wayland; do
  case $how in
  dead-x) named='DISPLAY=:987'
    run $how 1 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:987 "$app" ;;
  dead-wayland) named='WAYLAND_DISPLAY=trevandel-none-0'
    run $how 1 env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=trevandel-none-0 "$app" ;;
  esac
  [ "$(cat "$work/$how.err")" = "${expected/DISPLAY\/WAYLAND_DISPLAY unset/$named does not answer}" ] ||
    fail "$how: stderr is not the one line:"$'\n'"$(cat "$work/$how.err")"
done
[ ! -e "$work/config/trevandel" ] || fail "a start without a display wrote settings"

# No display needed to ask for the usage or the version.
run version 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$app" --version
grep -qx 'trevandel [0-9][0-9.]*' "$work/version.out" || fail "--version printed: $(cat "$work/version.out")"
run help 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$app" --help
grep -q '^Usage: trevandel \[FILE.spm\]' "$work/help.out" || fail "--help printed: $(cat "$work/help.out")"

# A platform chosen on the command line counts as a display; then the arguments are checked.
run two-files 2 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$app" -platform offscreen a.spm b.spm
grep -q 'only one file' "$work/two-files.err" || fail "two files: $(cat "$work/two-files.err")"
run unknown 2 env QT_QPA_PLATFORM=offscreen "$app" --bogus
grep -q "unknown option '--bogus'" "$work/unknown.err" || fail "unknown option: $(cat "$work/unknown.err")"

[ $status -eq 0 ] && echo "ok: no display, --help, --version and usage errors"
exit $status
