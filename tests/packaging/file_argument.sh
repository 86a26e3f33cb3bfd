#!/usr/bin/env bash
# `trevandel FILE` on a real X display: the window opens FILE as Open spm would, so Ctrl+S
# writes NAME.exp beside it (the converter's bytes), and FILE's folder is remembered. The name
# is relative to where the program was started, while the settings point somewhere else.
#   file_argument.sh PROGRAM CONVERTER SAMPLES_DIR
set -euo pipefail
app=$1 convert=$2 samples=$3

for tool in Xvfb xdotool xdpyinfo; do
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
fail() { echo "FAIL: $*"; cat "$work/app.log" 2>/dev/null || true; exit 1; }

start_xvfb 1280x1024x24 "$work/xvfb.log" || fail "no X server"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/trevandel" "$XDG_RUNTIME_DIR" "$work/data" "$work/start" \
  "$work/remembered/deeper" "$work/expected"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
# A returning user whose last folder is another one (where "../data" is no folder): no
# first-start message.
printf '[\\SoftWare\\Brolleck\\]\n"InitialDir"="%s"\n' "$work/remembered/deeper" \
  >"$XDG_CONFIG_HOME/trevandel/settings.reg"
sample=$(ls "$samples"/*.spm | head -n 1)
name=$(basename "$sample" .spm)
cp "$sample" "$work/data/$name.spm"
"$convert" --output-dir "$work/expected" "$work/data/$name.spm" >/dev/null

(cd "$work/start" && exec "$app" "../data/$name.spm") >"$work/app.log" 2>&1 &
app_pid=$!
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Trevandel$' 2>/dev/null | head -n 1) ||
  fail "the main window did not appear"
sleep 1
[ "$(xdotool search --onlyvisible --name '.' | wc -l)" -eq 1 ] || fail "a message box is shown"
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
xdotool key --clearmodifiers ctrl+s
for _ in $(seq 1 50); do [ -f "$work/data/$name.exp" ] && break; sleep 0.1; done
[ -f "$work/data/$name.exp" ] || fail "Ctrl+S wrote no $name.exp beside the file given"
cmp "$work/data/$name.exp" "$work/expected/$name.exp" || fail "the EXP file differs from the converter's"
grep -qF "\"InitialDir\"=\"$work/data\"" "$XDG_CONFIG_HOME/trevandel/settings.reg" ||
  fail "the file's folder was not remembered: $(cat "$XDG_CONFIG_HOME/trevandel/settings.reg")"
echo "ok: trevandel ../data/$name.spm opened the file; Ctrl+S saved beside it"
