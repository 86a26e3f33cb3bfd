#!/usr/bin/env bash
# Follow file on a real X display: the opened spectrum is rewritten twice by another program
# (in place in two pieces, then a new file renamed over it); the window takes each complete
# version, and Ctrl+S saves the final counts under the header typed before.
set -euo pipefail
app=$1 convert=$2 samples=$3

. "$(dirname "$0")/lib.sh"
e2e_begin e2e-follow-failure

sample=$samples/ha1001-fe-foil.spm
cp "$sample" "$work/data/ha1001.spm"
# A new version of the measurement: every count times k, written as its writer would.
rewrite() {  # k how
  python3 - "$sample" "$work/data/ha1001.spm" "$1" "$2" <<'PY'
import os, struct, sys, time
src, dst, k, how = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
data = open(src, 'rb').read()
n = 1024 if len(data) > 3000 else 512
head, counts = data[:-4 * n], struct.unpack('<%dI' % n, data[-4 * n:])
new = head + struct.pack('<%dI' % n, *[c * k for c in counts])
if how == 'in-place':
    with open(dst, 'r+b') as f:
        f.write(new[:len(new) // 2]); f.flush(); time.sleep(0.3)
        f.write(new[len(new) // 2:])
else:
    with open(dst + '.tmp', 'wb') as f:
        f.write(new)
    os.rename(dst + '.tmp', dst)
PY
}

e2e_start_program "$app"
e2e_open "$work/data/ha1001.spm"
keys "$main" ctrl+f
sleep 0.3
# The open leaves the focus in Description: the user types on after the guess.
xdotool type --delay 5 "typed before"
rewrite 2 in-place
sleep 1
rewrite 3 rename
sleep 1

cp "$work/data/ha1001.spm" "$work/expected/ha1001.spm"
"$convert" --description "HA1001: typed before" "$work/expected/ha1001.spm" >/dev/null
save_and_compare "$work/data/ha1001.exp" "$work/expected/ha1001.exp" \
  "the final version's counts under the typed header"
echo "PASS"
