#!/usr/bin/env bash
# Renders packaging/trevandel.svg into the fixed-size PNG icons that are committed beside it
# (packaging/icons/<size>/trevandel.png). Run it after changing the SVG. Needs ImageMagick's
# convert with an SVG reader (Debian: imagemagick and librsvg2-bin).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
svg=$top/packaging/trevandel.svg
convert=/usr/bin/convert   # ImageMagick's; another "convert" may come first on PATH
[ -x "$convert" ] || { echo "make-icons: ImageMagick's $convert is missing" >&2; exit 1; }

for size in 32 48 128; do
  out=$top/packaging/icons/${size}x${size}/trevandel.png
  mkdir -p "$(dirname "$out")"
  # Render at 4x and scale down so thin lines stay smooth; strip dates so a re-run with the same
  # SVG gives the same bytes.
  "$convert" -background none -density $((96 * size / 32)) "$svg" \
    -resize "${size}x${size}" -strip -define png:exclude-chunks=date,time "PNG32:$out"
  echo "wrote $out"
done
