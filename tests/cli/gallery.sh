#!/usr/bin/env bash
# The README gallery is what the program makes: every bundled example rendered with
# `vornel render --project` (by scripts/make-gallery.sh, into a scratch folder) must
# succeed, be a real picture, and match the committed docs/gallery picture pixel for
# pixel. When an effect or a bundled file changes on purpose, remake the gallery with
# scripts/make-gallery.sh and commit the pictures.
set -euo pipefail
vornel=$1
appdata=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
command -v convert >/dev/null && command -v compare >/dev/null || {
  echo "gallery.sh: ImageMagick missing, skipped"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "gallery.sh: $*" >&2; exit 1; }

VORNEL=$vornel VORNEL_APPDATA=$appdata "$root/scripts/make-gallery.sh" none "$work/out" \
  >"$work/commands.txt" || fail "make-gallery.sh failed"

examples=$(ls "$root"/data/bundle/*.vrn | wc -l)
[ "$examples" -ge 10 ] || fail "only $examples bundled examples"
[ "$(wc -l <"$work/commands.txt")" -eq "$examples" ] || fail "not every example was rendered"

made=$(cd "$work/out" && ls *.png)
committed=$(cd "$root/docs/gallery" && ls *.png)
[ "$made" = "$committed" ] || fail "gallery files differ from docs/gallery: run scripts/make-gallery.sh"

for png in $made; do
  read -r w h colours < <(identify -format '%w %h %k\n' "$work/out/$png")
  [ "$w" -ge 40 ] && [ "$h" -ge 16 ] || fail "$png is only ${w}x$h"
  [ "$colours" -ge 8 ] || fail "$png has only $colours colours"
  diff=$(compare -metric AE "$work/out/$png" "$root/docs/gallery/$png" null: 2>&1 || true)
  [ "$diff" = 0 ] || fail "$png differs from docs/gallery in $diff pixels: run scripts/make-gallery.sh"
done

# Every example is quoted in the README with the command that made it.
while read -r line; do
  grep -qF -- "$line" "$root/README.md" || fail "README does not quote: $line"
done <"$work/commands.txt"

# The help page's style pictures are what the program makes too, one per style, and the
# page links each of them.
VORNEL=$vornel VORNEL_APPDATA=$appdata "$root/scripts/make-contact-sheet.sh" none \
  "$work/sheet" "$work/styles" >/dev/null || fail "make-contact-sheet.sh failed"
help=$root/data/bundle/help
for style in "$root"/data/bundle/*.sty; do
  name=$(basename "$style" .sty)
  png=styles/$name.png
  [ -f "$help/$png" ] || fail "no help/$png: run scripts/make-contact-sheet.sh"
  diff=$(compare -metric AE "$work/$png" "$help/$png" null: 2>&1 || true)
  [ "$diff" = 0 ] || fail "help/$png differs in $diff pixels: run scripts/make-contact-sheet.sh"
  grep -qF "href=\"$png\"" "$help/main.htm" || fail "the help page does not link $png"
done
[ "$(ls "$help/styles" | wc -l)" -eq "$(ls "$root"/data/bundle/*.sty | wc -l)" ] ||
  fail "help/styles holds pictures of styles that are gone: run scripts/make-contact-sheet.sh"
echo "gallery.sh: $examples examples match docs/gallery, the help page shows every style"
