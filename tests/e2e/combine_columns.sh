#!/usr/bin/env bash
# Starts the real program on a private X display and checks that two things a user can do by
# mistake leave the EXP file as the batch converter writes it: pressing Add in the add/subtract
# window with no file picked, and cutting and pasting in the read-only Columns field.
set -euo pipefail
app=$1 convert=$2 samples=$3

. "$(dirname "$0")/lib.sh"
e2e_begin e2e-combine-failure

sample=$(ls "$samples"/*.spm | head -n 1)
name=$(basename "$sample" .spm)
cp "$sample" "$work/data/$name.spm"
"$convert" --output-dir "$work/expected" "$work/data/$name.spm" >/dev/null

e2e_start_program "$app"
e2e_open "$work/data/$name.spm"

# (a) Special -> Add spectres, Add with no file picked: a message, dismissed; Close.
e2e_special 1
form5=$(wait_window '^ $') || fail "the add/subtract window did not open"
sleep 0.3
keys "$form5" alt+a
box=$(wait_window '^Trevandel$' "$main") || fail "Add with no file picked showed no message"
sleep 0.3
keys "$box" Return
wait_gone "$box" || fail "the message did not go away"
[ -z "$(visible '^Trevandel$' | grep -vx "$main")" ] || fail "a second message followed"
keys "$form5" alt+c
wait_gone "$form5" || fail "the add/subtract window did not close"
save_and_compare "$work/data/$name.exp" "$work/expected/$name.exp" "after Add with no file picked"

# (b) Columns is read-only: select all, cut, paste twice.
xdotool mousemove --window "$main" 620 345 click 1 # the Columns field
sleep 0.3
keys "$main" ctrl+a ctrl+x ctrl+v ctrl+v
save_and_compare "$work/data/$name.exp" "$work/expected/$name.exp" "after cut and paste in Columns"
echo "PASS"
