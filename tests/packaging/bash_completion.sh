#!/usr/bin/env bash
# The converter's bash completion, sourced into a plain bash and asked as bash asks it: options
# (every one --help lists), the values of --mode and --ascii, .spm inputs, .cal files after
# --cal and --write-cal, folders after --output-dir, nothing for free text.
#   bash_completion.sh CONVERTER COMPLETION_FILE
set -euo pipefail
convert=$1 completion=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/sub dir" "$work/out"
touch "$work/a.spm" "$work/B.SPM" "$work/with space.spm" "$work/notes.txt" "$work/v.cal" \
  "$work/sub dir/inner.spm"
help_options=$("$convert" --help |
  sed -n 's/^ \{1,8\}\(-[a-zA-Z], \)\{0,1\}\(--[a-z0-9][-a-z0-9]*\).*/\2/p' | sort | tr '\n' ' ')

cd "$work"
CONVERT=$convert COMPLETION=$completion HELP_OPTIONS=$help_options bash --norc --noprofile <<'SCRIPT'
set -u
. "$COMPLETION"
status=0
[[ $(complete -p trevandel-convert 2>&1) == *"-F _trevandel_convert "* ]] || { echo "FAIL: complete -p"; status=1; }

# The answers to the words typed so far (the last one being completed), sorted, one line.
answers() {
  COMP_WORDS=("$CONVERT" "$@")
  COMP_CWORD=$#
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _trevandel_convert
  ((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

check() { # expected, then the words
  local expected=$1 got; shift
  got=$(answers "$@")
  [[ $got == "$expected" ]] || { echo "FAIL: completing '$*': got '$got', expected '$expected'"; status=1; }
}

check "$HELP_OPTIONS"                    --
check "--mode "                          --mo
check "1024 add mean "                   --mode ''
check "--mode=mean "                     --mode=m
check "1024 add mean "                   --mode = ''
check "channel velocity "                --ascii ''
check "out sub dir v.cal "               --cal ''
check "out sub dir v.cal "               a.spm --calibrate --write-cal ''
check "out sub dir "                     --output-dir ''
check "B.SPM a.spm out sub dir with space.spm " --mode add ''
check "sub dir/inner.spm "               'sub dir/'
check ""                                 --serial ''
exit $status
SCRIPT
echo "ok: completion of trevandel-convert"
