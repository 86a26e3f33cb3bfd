#!/usr/bin/env bash
# Starts the real program on a private X display, calibrates the velocity scale from the iron
# foil sample through Special -> Calibrate from reference spectrum, applies it to the header,
# saves the calibration file and the EXP, and holds both to the batch converter's own
# calibration of the same file.
set -euo pipefail
app=$1 convert=$2 samples=$3

. "$(dirname "$0")/lib.sh"
e2e_begin e2e-calibrate-failure

name=ha1001-fe-foil
cp "$samples/$name.spm" "$work/data/"
# The converter's calibration in the mode an open selects, and the EXP it gives.
"$convert" --calibrate --mode add --write-cal "$work/expected/ref.cal" "$work/data/$name.spm" >/dev/null
"$convert" --cal "$work/expected/ref.cal" --output-dir "$work/expected" "$work/data/$name.spm"

e2e_start_program "$app"
e2e_open "$work/data/$name.spm"
e2e_special 4
cal=$(wait_window '^Velocity calibration$') || fail "the calibration window did not open"
sleep 0.5
[ -n "${TRV_KEEP_SCREENSHOT:-}" ] && import -window root "$TRV_KEEP_SCREENSHOT"
keys "$cal" alt+a # Apply to header
keys "$cal" alt+s # Save .cal...
save=$(wait_window '^Save calibration$') || fail "the save dialog did not open"
type_path "$save" "$work/data/ref.cal"
wait_file "$work/data/ref.cal" || fail "no calibration file written"
keys "$cal" alt+c
wait_gone "$cal" || fail "the calibration window did not close"

# The four value lines are the converter's; the descriptive ones may differ (the date).
diff <(sed -n '6,9p' "$work/data/ref.cal") <(sed -n '6,9p' "$work/expected/ref.cal") \
  || fail "the calibration values differ from the converter's"
save_and_compare "$work/data/$name.exp" "$work/expected/$name.exp" \
  "after Apply, against the converter with the calibration file"
echo "PASS"
