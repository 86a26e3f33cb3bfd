#!/usr/bin/env bash
# `trevandel FILE` on a real X display: the window opens FILE as Open spm would, so Ctrl+S
# writes NAME.exp beside it (the converter's bytes), and FILE's folder is remembered. The name
# is relative to where the program was started, while the settings point somewhere else.
#   file_argument.sh PROGRAM CONVERTER SAMPLES_DIR
set -euo pipefail
app=$1 convert=$2 samples=$3

. "$(dirname "$0")/../e2e/lib.sh"
e2e_on_fail() { cat "$work/app.log" 2>/dev/null || true; }
e2e_begin e2e-file-argument-failure 1280x1024x24
# A returning user whose last folder is another one (where "../data" is no folder): no
# first-start message.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/trevandel" "$work/remembered/deeper"
printf '[\\SoftWare\\Brolleck\\]\n"InitialDir"="%s"\n' "$work/remembered/deeper" \
  >"$XDG_CONFIG_HOME/trevandel/settings.reg"
sample=$(ls "$samples"/*.spm | head -n 1)
name=$(basename "$sample" .spm)
cp "$sample" "$work/data/$name.spm"
"$convert" --output-dir "$work/expected" "$work/data/$name.spm" >/dev/null

(cd "$work/start" && exec "$app" "../data/$name.spm") >"$work/app.log" 2>&1 &
app_pid=$!
main=$(wait_window '^Trevandel$') || fail "the main window did not appear"
sleep 1
[ "$(visible '.' | wc -l)" -eq 1 ] || fail "a message box is shown"
save_and_compare "$work/data/$name.exp" "$work/expected/$name.exp" "beside the file given"
grep -qF "\"InitialDir\"=\"$work/data\"" "$XDG_CONFIG_HOME/trevandel/settings.reg" ||
  fail "the file's folder was not remembered: $(cat "$XDG_CONFIG_HOME/trevandel/settings.reg")"
echo "ok: trevandel ../data/$name.spm opened the file; Ctrl+S saved beside it"
