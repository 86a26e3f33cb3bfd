#!/usr/bin/env bash
# Prints the preview window of the real program through a private print server into a PDF
# queue and checks the page: the whole plot on one page, at its on-screen size when it fits,
# shrunk onto a landscape page when a maximised preview is too wide. Without a default printer
# the Print button shows the message instead.
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

sample=$(ls "$samples"/*.spm | head -n 1)

# The program's windows; the preview has no title of its own, so match by class.
app_windows() { xdotool search --onlyvisible --class '^trevandel$' 2>/dev/null | sort || true; }
# A visible program window that was not in the list $1.
new_window() { comm -13 <(echo "$1") <(app_windows) | grep .; }

size_of() {  # window-id -> "width height"
  xdotool getwindowgeometry "$1" | awk '/Geometry:/ { split($2, s, "x"); print s[1], s[2] }'
}

# Starts the program with a fresh configuration, opens the sample and shows the preview
# maximised. Sets app_pid, main and preview.
start_and_view() {
  e2e_start_program "$app"
  e2e_open "$sample"
  local before
  before=$(app_windows)
  keys "$main" alt+v
  preview=$(wait_for new_window "$before") || fail "View did not show the preview window"
  sleep 0.8
}

# Clicks Print (in the panel along the preview's bottom edge).
click_print() {
  local w h
  read -r w h < <(size_of "$preview")
  xdotool mousemove --window "$preview" 140 $((h - 21)) click 1
}

# Prints and waits for the queue to finish the job; echoes the PDF's path.
print_job() {
  rm -f "$work/out"/*
  click_print
  local pdf=""
  for _ in $(seq 1 300); do
    pdf=$(ls "$work/out"/*.pdf 2>/dev/null | head -n 1 || true)
    [ -n "$pdf" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && { echo "$pdf"; return 0; }
    sleep 0.1
  done
  return 1
}

# check_page PDF NAME ORIENTATION WINDOW_WIDTH WINDOW_HEIGHT SIZE
# ORIENTATION portrait|landscape; SIZE natural (on-screen size) or fitted (shrunk to the page).
check_page() {
  local pdf=$1 name=$2 orientation=$3 ww=$4 wh=$5 size=$6
  local pages png pw ph bw bh bx by
  pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
  [ "$pages" = 1 ] || fail "$name: $pages pages printed, not 1"
  pdftoppm -r 50 -png -singlefile "$pdf" "$work/$name"
  png=$work/$name.png
  [ -n "${TRV_KEEP_PRINT_PAGES:-}" ] && cp "$png" "$TRV_KEEP_PRINT_PAGES/"
  # The plot's black rectangle: everything that is not the white paper.
  bbox() { "$magick" "$png" -fuzz 10% -trim -format '%W %H %w %h %X %Y\n' info: | tr -d '+'; }
  read -r pw ph bw bh bx by < <(bbox)
  # A landscape page comes out as a portrait sheet with the picture turned a quarter; turn it
  # back, so that the page is seen as it is meant to be read.
  if { [ "$bw" -lt "$bh" ] && [ "$ww" -gt "$wh" ]; } || { [ "$bw" -gt "$bh" ] && [ "$ww" -lt "$wh" ]; }; then
    "$magick" "$png" -rotate 90 "$png"
    read -r pw ph bw bh bx by < <(bbox)
  fi
  echo "$name: page ${pw}x$ph, plot ${bw}x$bh at $bx,$by; window ${ww}x$wh"
  case $orientation in
    portrait) [ "$pw" -lt "$ph" ] || fail "$name: the page is not portrait" ;;
    landscape) [ "$pw" -gt "$ph" ] || fail "$name: the page is not landscape" ;;
  esac
  [ $((pw - bx - bw)) -gt 0 ] && [ $((ph - by - bh)) -gt 0 ] ||
    fail "$name: the plot runs to the page's right or bottom edge"
  # A cut plot loses its shape; the whole one keeps the window's aspect ratio.
  awk -v a="$bw" -v b="$bh" -v c="$ww" -v d="$wh" \
    'BEGIN { r = (a / b) / (c / d); exit !(r > 0.97 && r < 1.03) }' ||
    fail "$name: the plot is ${bw}x$bh, not in the window's proportions ${ww}x$wh"
  # The server's screen has 96 dots per inch, the page is rendered at 50.
  if [ "$size" = natural ]; then
    awk -v a="$bw" -v w="$ww" 'BEGIN { d = a - w * 50 / 96; exit !(d > -3 && d < 3) }' ||
      fail "$name: the plot is $bw dots wide, not its on-screen size"
  else
    # Shrunk until it touches the printable area's edge (the margins are the same each side).
    awk -v a="$bw" -v b="$bh" -v w="$pw" -v h="$ph" -v x="$bx" -v y="$by" \
      'BEGIN { f = a / (w - 2 * x); g = b / (h - 2 * y); if (g > f) f = g; exit !(f > 0.97) }' ||
      fail "$name: the plot does not fill the page"
  fi
  # The folding line at the default folding channel (half the channels) runs down the whole
  # plot half way across: the brightest column of the rectangle.
  "$magick" "$png" -crop "${bw}x${bh}+${bx}+${by}" +repage -colorspace gray -scale "${bw}x1!" \
    -depth 8 txt:- |
    awk -F'[,:()]' -v w="$bw" -v name="$name" '
      NR > 1 { x = $1; v = $4 + 0; if (x > 2 && x < w - 3) { n++; sum += v; if (v > best) { best = v; at = x } } }
      END {
        mean = sum / n
        printf "%s: brightest column %d of %d (%.2f), %d against a mean of %.0f\n", name, at, w, at / w, best, mean
        exit !(at / w > 0.47 && at / w < 0.53 && best > mean + 15)
      }' || fail "$name: the folding line is not half way across the plot"
}

# --- 1. A maximised preview on a large screen: shrunk onto a landscape page.
start_and_view
read -r ww wh < <(size_of "$preview")
pdf=$(print_job) || fail "the print job did not arrive (maximised)"
check_page "$pdf" print-maximised landscape "$ww" "$wh" fitted

# --- 2. A preview smaller than the page prints at its on-screen size, as it always did.
xdotool windowsize --sync "$preview" 500 320 2>/dev/null || xdotool windowsize "$preview" 500 320
sleep 0.8
read -r ww wh < <(size_of "$preview")
[ "$ww" = 500 ] || fail "the preview could not be made smaller (${ww}x$wh)"
pdf=$(print_job) || fail "the print job did not arrive (small window)"
check_page "$pdf" print-small portrait "$ww" "$wh" natural

# --- 3. No default printer: the message, and no job.
lpadmin -x "$queue"
rm -f "$work/out"/*
before=$(app_windows)
click_print
box=$(wait_for new_window "$before") || fail "Print without a printer showed no message"
sleep 0.3
# The message box's text cannot be read back over X; keep a picture of it beside the pages.
read -r bw bh < <(size_of "$box")
[ "$bw" -lt 800 ] && [ "$bh" -lt 200 ] || fail "a ${bw}x$bh window came up instead of a message box"
[ -n "${TRV_KEEP_PRINT_PAGES:-}" ] && import -window "$box" "$TRV_KEEP_PRINT_PAGES/print-no-printer.png"
keys "$box" Return
ls "$work/out"/*.pdf >/dev/null 2>&1 && fail "a page came out without a printer"
echo "PASS"
