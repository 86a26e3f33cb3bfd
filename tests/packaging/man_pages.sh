#!/usr/bin/env bash
# The manual pages: both render without a warning and have a whatis line, each has the sections
# a reader looks for, and the converter's page documents exactly the options its --help lists
# (--help prints the option table itself; the bash completion reads it from there).
#   man_pages.sh CONVERTER MAN_DIR
set -euo pipefail
convert=$1 man_dir=$2
for tool in man lexgrog; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (man-db)"; exit 77; }
done
export LC_ALL=C MANWIDTH=80
status=0
fail() { echo "FAIL: $*"; status=1; }

declare -A sections=(
  [trevandel]="NAME|SYNOPSIS|DESCRIPTION|OPTIONS|EXIT STATUS|ENVIRONMENT|FILES|SEE ALSO"
  [trevandel-convert]="NAME|SYNOPSIS|DESCRIPTION|OPTIONS|EXIT STATUS|EXAMPLES|FILES|SEE ALSO"
)
for name in "${!sections[@]}"; do
  page=$man_dir/$name.1
  [ -f "$page" ] || { fail "$page missing"; continue; }
  warnings=$(man -l --warnings "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page renders with warnings:"$'\n'"$warnings"
  lexgrog "$page" | grep -q ": \"$name - " || fail "$page has no whatis line for $name"
  text=$(man -l "$page" 2>/dev/null)
  IFS='|' read -ra wanted <<<"${sections[$name]}"
  for section in "${wanted[@]}"; do
    grep -qx "$section" <<<"$text" || fail "$page lacks the section $section"
  done
done

# Each option as an entry: an indented line starting with it ("-h, --help", "--mode 1024 | ...").
entry='s/^ \{1,8\}\(-[a-zA-Z], \)\{0,1\}\(--[a-z0-9][-a-z0-9]*\).*/\2/p'
options=$("$convert" --help | sed -n "$entry" | sort -u)
documented=$(man -l "$man_dir/trevandel-convert.1" | sed -n "$entry" | sort -u)
[ "$(wc -l <<<"$options")" -ge 10 ] || fail "could not read the options from $convert --help"
differ=$(comm -3 <(echo "$options") <(echo "$documented"))
[ -z "$differ" ] || fail "only in --help (left) or only in trevandel-convert(1) (right):"$'\n'"$differ"
[ $status -eq 0 ] && echo "ok: both pages render cleanly; $(wc -l <<<"$options") options documented"
exit $status
