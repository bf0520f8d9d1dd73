#!/usr/bin/env bash
# vornel render end to end: the real binary writes each type, prints the names it wrote,
# and independent tools read the files back.
set -euo pipefail
vornel=$1
appdata=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$appdata"/. "$work/app"

style="$work/red.sty"
printf ';Number of Effect : 2\r\nBackground 1 16777215 \r\nOutLine 0 0 2 0 0 0 0 0 0 0 0 0\r\n\r\nSingleColor 0 0 2 0 255 0 0 0 0 0 0 0\r\n\r\nend\r\n' >"$style"

fail() { echo "render.sh: $*" >&2; exit 1; }

out=$("$vornel" render --app-dir "$work/app" --message 'Hello Vornel!' --style "$style" \
  --type bmp --pressed -o "$work/hello")
[ "$out" = "$work/hello.bmp"$'\n'"$work/hello_.bmp" ] || fail "unexpected names: $out"
info=$("$vornel" info "$work/hello.bmp")
case "$info" in *"24-bit") ;; *) fail "info says $info" ;; esac

"$vornel" render --app-dir "$work/app" --message 'Hello Vornel!' --style "$style" \
  --type gif16 --transparent -o "$work/hello.gif" >/dev/null
"$vornel" render --app-dir "$work/app" --message 'Hello Vornel!' --style "$style" \
  -o "$work/hello" >/dev/null
[ -s "$work/hello.jpg" ] || fail "no JPEG written"

if [ -x /usr/bin/python3 ] && /usr/bin/python3 -c 'import PIL' 2>/dev/null; then
  /usr/bin/python3 - "$work" <<'PY'
import sys
from PIL import Image
work = sys.argv[1]
bmp = Image.open(work + "/hello.bmp").convert("RGB")
w, h = bmp.size
assert w > 40 and h > 8, bmp.size
colours = set(bmp.getdata())
# Red letters with a black outline over white.
assert any(r > 200 and g < 60 and b < 60 for r, g, b in colours), "no red"
assert any(r < 40 and g < 40 and b < 40 for r, g, b in colours), "no black"
gif = Image.open(work + "/hello.gif")
assert gif.size == (w, h), gif.size
assert gif.info.get("transparency") == 0, gif.info
assert gif.getpalette()[0:3] == [255, 255, 255]
assert max(gif.getdata()) < 16
jpg = Image.open(work + "/hello.jpg")
assert jpg.size == (w, h) and jpg.mode == "RGB"
PY
fi

# Bad input: an unknown type and a missing style fail with a message, no file.
if "$vornel" render --app-dir "$work/app" --type tiff -o "$work/bad" 2>"$work/err"; then
  fail "--type tiff accepted"
fi
grep -q "vornel render:" "$work/err" || fail "no message for --type tiff"
if "$vornel" render --app-dir "$work/app" --style "$work/none.sty" -o "$work/bad" 2>/dev/null; then
  fail "missing style accepted"
fi
[ ! -e "$work/bad.jpg" ] || fail "a file was written after a failure"
echo "render.sh: ok"
