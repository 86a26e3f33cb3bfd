#!/usr/bin/env bash
# Prints the maximised preview window of the real program through a private print server into
# a PDF queue and checks the page: the whole plot on one page, shrunk onto a landscape page. The
# layout for other window sizes and the message without a default printer are tested in-process.
set -euo pipefail
app=$(realpath "$1") samples=$(realpath "$2")
export PATH=$PATH:/usr/sbin:/sbin

[ -x /usr/lib/cups/backend/cups-pdf ] || { echo "SKIP: the cups-pdf backend is not installed"; exit 77; }
# The backend runs as root under the server and reads its settings from /etc/cups only.
[ "$(id -u)" -eq 0 ] && [ -w /etc/cups ] || { echo "SKIP: needs root for a private cupsd"; exit 77; }
magick=/usr/bin/convert
[ -x "$magick" ] || { echo "SKIP: ImageMagick is not installed"; exit 77; }

. "$(dirname "$0")/lib.sh"
queue=trv-print-$$
pdfconf=/etc/cups/cups-pdf-$queue.conf
cupsd_pid=""
e2e_cleanup() {
  if [ -n "$cupsd_pid" ]; then kill "$cupsd_pid" 2>/dev/null || true; wait "$cupsd_pid" 2>/dev/null || true; fi
  rm -f "$pdfconf"
}
e2e_on_fail() { grep -s '^E ' "$work/cups/log/error_log" | tail -n 20 || true; }
e2e_begin e2e-print-failure 3840x2160x24 cupsd lpadmin lpstat pdfinfo pdftoppm
chmod 755 "$work" # the filters run as lp and read the spooled files below it

# --- a private print server with a PDF queue as the default
c=$work/cups
mkdir -p "$c/conf" "$c/spool/tmp" "$c/cache" "$c/state" "$c/log" "$c/pdf-spool" "$work/out"
cat >"$c/conf/cups-files.conf" <<EOF
ServerRoot $c/conf
RequestRoot $c/spool
TempDir $c/spool/tmp
CacheDir $c/cache
StateDir $c/state
AccessLog $c/log/access_log
ErrorLog $c/log/error_log
PageLog $c/log/page_log
SystemGroup root
EOF
cat >"$c/conf/cupsd.conf" <<EOF
Listen $c/cups.sock
Browsing No
WebInterface No
LogLevel warn
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"$pdfconf" <<EOF
Out $work/out
Spool $c/pdf-spool
Log $c/log
EOF
cupsd -f -c "$c/conf/cupsd.conf" -s "$c/conf/cups-files.conf" >"$c/log/cupsd.out" 2>&1 &
cupsd_pid=$!
# Every CUPS client below, the program included, talks to this server only.
export CUPS_SERVER=$c/cups.sock HOME=$work/home
unset PRINTER LPDEST
mkdir -p "$HOME"
# (lpstat -r succeeds either way; what it says tells whether the server listens yet.)
running() { lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; }
for _ in $(seq 1 200); do running && break; sleep 0.05; done
running || { cat "$c/log/cupsd.out"; fail "cupsd did not start"; }
# (lpadmin warns that printer drivers are deprecated; keep that out of the test's output.)
lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
  2>"$c/log/lpadmin.err" || { cat "$c/log/lpadmin.err"; fail "lpadmin could not add the queue"; }
lpadmin -d "$queue" || fail "lpadmin could not make the queue the default"

# The program, the sample open, the preview maximised on the large screen. The preview has no
# title of its own, so it is found as the program's new window.
app_windows() { xdotool search --onlyvisible --class '^trevandel$' 2>/dev/null | sort || true; }
new_window() { comm -13 <(echo "$1") <(app_windows) | grep .; }
e2e_start_program "$app"
e2e_open "$(ls "$samples"/*.spm | head -n 1)"
before=$(app_windows)
keys "$main" alt+v
preview=$(wait_for new_window "$before") || fail "View did not show the preview window"
sleep 0.8
read -r ww wh < <(xdotool getwindowgeometry "$preview" |
  awk '/Geometry:/ { split($2, s, "x"); print s[1], s[2] }')

# Print (in the panel along the preview's bottom edge), and wait for the queue to finish the job.
xdotool mousemove --window "$preview" 140 $((wh - 21)) click 1
for _ in $(seq 1 300); do
  pdf=$(ls "$work/out"/*.pdf 2>/dev/null | head -n 1 || true)
  [ -n "$pdf" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && break
  sleep 0.1
done
[ -n "$pdf" ] && [ -z "$(lpstat -o 2>/dev/null)" ] || fail "the print job did not arrive"

# One landscape page with the whole plot shrunk onto it.
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[ "$pages" = 1 ] || fail "$pages pages printed, not 1"
png=$work/print-maximised.png
pdftoppm -r 50 -png -singlefile "$pdf" "${png%.png}"
[ -n "${TRV_KEEP_PRINT_PAGES:-}" ] && cp "$png" "$TRV_KEEP_PRINT_PAGES/"
# The plot's black rectangle: everything that is not the white paper.
bbox() { "$magick" "$png" -fuzz 10% -trim -format '%W %H %w %h %X %Y\n' info: | tr -d '+'; }
read -r pw ph bw bh bx by < <(bbox)
# A landscape page comes out as a portrait sheet with the picture turned a quarter; turn it
# back, so that the page is seen as it is meant to be read.
if [ "$bw" -lt "$bh" ]; then
  "$magick" "$png" -rotate 90 "$png"
  read -r pw ph bw bh bx by < <(bbox)
fi
echo "page ${pw}x$ph, plot ${bw}x$bh at $bx,$by; window ${ww}x$wh"
[ "$pw" -gt "$ph" ] || fail "the page is not landscape"
[ $((pw - bx - bw)) -gt 0 ] && [ $((ph - by - bh)) -gt 0 ] ||
  fail "the plot runs to the page's right or bottom edge"
# A cut plot loses its shape; the whole one keeps the window's aspect ratio.
awk -v a="$bw" -v b="$bh" -v c="$ww" -v d="$wh" \
  'BEGIN { r = (a / b) / (c / d); exit !(r > 0.97 && r < 1.03) }' ||
  fail "the plot is ${bw}x$bh, not in the window's proportions ${ww}x$wh"
# Shrunk until it touches the printable area's edge (the margins are the same each side).
awk -v a="$bw" -v b="$bh" -v w="$pw" -v h="$ph" -v x="$bx" -v y="$by" \
  'BEGIN { f = a / (w - 2 * x); g = b / (h - 2 * y); if (g > f) f = g; exit !(f > 0.97) }' ||
  fail "the plot does not fill the page"
# The folding line at the default folding channel (half the channels) runs down the whole
# plot half way across: the brightest column of the rectangle.
"$magick" "$png" -crop "${bw}x${bh}+${bx}+${by}" +repage -colorspace gray -scale "${bw}x1!" \
  -depth 8 txt:- |
  awk -F'[,:()]' -v w="$bw" '
    NR > 1 { x = $1; v = $4 + 0; if (x > 2 && x < w - 3) { n++; sum += v; if (v > best) { best = v; at = x } } }
    END {
      mean = sum / n
      printf "brightest column %d of %d (%.2f), %d against a mean of %.0f\n", at, w, at / w, best, mean
      exit !(at / w > 0.47 && at / w < 0.53 && best > mean + 15)
    }' || fail "the folding line is not half way across the plot"
echo "PASS"
