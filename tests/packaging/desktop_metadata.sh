#!/usr/bin/env bash
# The menu entry, the AppStream metadata and the file type agree and validate: the entry without
# hints (one main category) and opening a file (%f, the MIME type), the metadata without errors
# or warnings and naming the entry, the binaries and the MIME type, and the file type makes a
# *.spm file application/x-trevandel-spm although *.spm is also listed for source RPMs.
#   desktop_metadata.sh PACKAGING_DIR
set -euo pipefail
pkg=$1
for tool in desktop-file-validate appstreamcli update-mime-database; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

id=org.trevandel.Trevandel
mime=application/x-trevandel-spm
desktop=$pkg/$id.desktop
metainfo=$pkg/$id.metainfo.xml

out=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$out" ] || fail "desktop-file-validate $desktop:"$'\n'"$out"
for want in 'Exec=trevandel %f' "MimeType=$mime;"; do
  grep -qxF "$want" "$desktop" || fail "$desktop lacks the line $want"
done

out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate failed"
if grep -E '^[EW]: ' <<<"$out"; then fail "appstreamcli reports errors or warnings"; fi
for want in "<id>$id</id>" "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
            '<binary>trevandel</binary>' '<binary>trevandel-convert</binary>' \
            "<mediatype>$mime</mediatype>" '<content_rating' '<developer_name>'; do
  grep -qF "$want" "$metainfo" || fail "$metainfo lacks $want"
done
# The metadata's categories are the menu entry's.
categories=$(sed -n 's:.*<category>\(.*\)</category>.*:\1;:p' "$metainfo" | tr -d '\n')
grep -qx "Categories=$categories" "$desktop" || fail "categories differ: $categories"

# The file type on its own, beside the system's database (which lists *.spm as a source RPM).
mkdir -p "$work/share/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$work/share/mime/packages/" 2>/dev/null || true
cp "$pkg/trevandel-mime.xml" "$work/share/mime/packages/trevandel.xml"
out=$(XDG_DATA_HOME=$work/share XDG_DATA_DIRS=$work/share update-mime-database "$work/share/mime" 2>&1) ||
  fail "update-mime-database failed"
[ -z "$out" ] || fail "update-mime-database:"$'\n'"$out"
first=$(grep ':\*\.spm$' "$work/share/mime/globs2" | sort -t: -k1,1nr | head -n 1 | cut -d: -f2)
[ "$first" = "$mime" ] || fail "*.spm is ${first:-nothing} first, not $mime"
grep -q "<comment>" "$work/share/mime/$mime.xml" || fail "$mime has no comment"
[ $status -eq 0 ] && echo "ok: menu entry, metadata and file type"
exit $status
