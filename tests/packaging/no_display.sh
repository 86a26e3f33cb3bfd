#!/usr/bin/env bash
# Started without a display (and no platform chosen), or with one that does not answer, the
# program and `make run` (scripts/run-app) print one line that says so and how to go on, and
# exit with status 1 instead of Qt's abort. --help and --version need no display; a wrong
# argument is a usage error (status 2).
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

# expect NAME STATUS STREAM PATTERN COMMAND...: the exit status, and PATTERN (extended) matching
# the whole of what it printed on STREAM (out or err)
expect() {
  local name=$1 want=$2 stream=$3 pattern=$4; shift 4
  timeout 20 "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null
  local got=$?
  [ "$got" -eq "$want" ] || fail "$name: exit status $got, expected $want; stderr:"$'\n'"$(cat "$work/$name.err")"
  [[ $(cat "$work/$name.$stream") =~ ^($pattern)$ ]] || fail "$name printed: $(cat "$work/$name.$stream")"
}

# no_display NAME LINE COMMAND...: status 1, LINE alone on stderr and nothing on stdout
no_display() {
  local name=$1 line=$2; shift 2
  expect "$name" 1 out '' "$@"
  [ "$(cat "$work/$name.err")" = "$line" ] || fail "$name: stderr is not the one line"
}
bare=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
no_display unset "$expected" "${bare[@]}" "$app"
no_display run-app "$expected" "${bare[@]}" "$top/scripts/run-app" "$(cd "$(dirname "$app")/../.." && pwd)"
# A display that is named but does not answer is no display either, said the same way.
unset_text='DISPLAY/WAYLAND_DISPLAY unset'
no_display dead-x "${expected/$unset_text/DISPLAY=:987 does not answer}" \
  env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:987 "$app"
no_display dead-wayland "${expected/$unset_text/WAYLAND_DISPLAY=trevandel-none-0 does not answer}" \
  env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=trevandel-none-0 "$app"
[ ! -e "$work/config/trevandel" ] || fail "a start without a display wrote settings"

# No display needed to ask for the usage or the version.
expect version 0 out 'trevandel [0-9][0-9.]*' "${bare[@]}" "$app" --version
expect help 0 out 'Usage: trevandel \[FILE.spm\].*' "${bare[@]}" "$app" --help
# A platform chosen on the command line counts as a display; then the arguments are checked.
expect two-files 2 err '.*only one file.*' "${bare[@]}" "$app" -platform offscreen a.spm b.spm
expect unknown 2 err ".*unknown option '--bogus'.*" env QT_QPA_PLATFORM=offscreen "$app" --bogus

[ $status -eq 0 ] && echo "ok: no display, --help, --version and usage errors"
exit $status
