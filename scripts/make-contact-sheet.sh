#!/usr/bin/env bash
# Remakes the pictures that show what every bundled style and example looks like:
#   data/bundle/help/styles/NAME.png  one per style, linked from the help page (so they
#                                     travel with the program folder)
#   docs/sheet/styles.png             all styles with their names under them (README)
#   docs/sheet/examples.png           all examples with their names under them (README)
# Each style is rendered by `vornel render` as "Hello Vornel!" in the face its ";Face:"
# comment names, at 48 pixels, or at the size its ";Tiles:" comment says it is meant for
# (a mosaic cannot draw a stroke narrower than its tiles). Styles made for a bulletin or
# a template are shown in that role. Pictures are PNG with alpha, so a transparent style
# shows the page under it; the sheets lay them on a light page with ImageMagick.
#
# Usage: scripts/make-contact-sheet.sh [BUILD_DIR [DOCS_DIR [STYLES_DIR]]]
#   (defaults: build, docs/sheet, data/bundle/help/styles)
# VORNEL and VORNEL_APPDATA, when set, name the binary and the program folder instead of
# BUILD_DIR/cli/vornel and BUILD_DIR/appdata (tests/cli/gallery.sh uses them).
# Rebuild the vornel_appdata target after editing data/bundle: renders read the styles
# from data/bundle but the textures from the built program folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
docs=${2:-$root/docs/sheet}
styles_out=${3:-$root/data/bundle/help/styles}
vornel=${VORNEL:-$build/cli/vornel}
appdata=${VORNEL_APPDATA:-$build/appdata}
bundle=$root/data/bundle
[ -x "$vornel" ] || { echo "make-contact-sheet.sh: build first (no $vornel)" >&2; exit 1; }
[ -d "$appdata/texture" ] || { echo "make-contact-sheet.sh: no program folder at $appdata" >&2; exit 1; }
command -v montage >/dev/null || { echo "make-contact-sheet.sh: ImageMagick's montage is needed" >&2; exit 1; }
# The renders run in a scratch folder, so the paths must not be relative.
vornel=$(cd "$(dirname "$vornel")" && pwd)/$(basename "$vornel")
appdata=$(cd "$appdata" && pwd)
mkdir -p "$docs" "$styles_out"
docs=$(cd "$docs" && pwd)
styles_out=$(cd "$styles_out" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -f "$styles_out"/*.png

# face_options STYLE: --font FACE [--bold] [--italic] from ";Face: FACE[, bold][, italic]".
face_options() {
  local line face
  line=$(grep -m1 '^;Face:' "$1" | tr -d '\r' | sed 's/^;Face: *//')
  face=${line%%,*}
  printf '%s\n' --font "${face:-Arial}"
  case "$line" in *bold*) echo --bold ;; esac
  case "$line" in *italic*) echo --italic ;; esac
}

# pixel_size STYLE: the size named in ";Tiles: ... meant for N px ...", else 48.
pixel_size() {
  local n
  n=$(grep -m1 '^;Tiles:' "$1" | grep -o 'meant for [0-9]*' | grep -o '[0-9]*$' || true)
  echo "${n:-48}"
}

render() { (cd "$work" && "$vornel" render --app-dir "$appdata" "$@" >/dev/null); }

for style in "$bundle"/*.sty; do
  name=$(basename "$style" .sty)
  mapfile -t face < <(face_options "$style")
  size=$(pixel_size "$style")
  text=(--message 'Hello Vornel!' "${face[@]}" --font-height "-$size" --font-width 0)
  case "$name" in
    # A bulletin mark left of a plain 3D message, as the Bulletin page makes it.
    bullet_*) role=(--bulletin roundbox --bulletin-style "$style" --style "$bundle/plastic_3d.sty") ;;
    # A template stretched behind a chrome title, as the chrome_title example has it.
    template_*) role=(--project "$bundle/chrome_title.vrn" --template-style "$style") ;;
    *) role=(--style "$style") ;;
  esac
  render "${role[@]}" "${text[@]}" --type png -o "$name"
  cp "$work/$name.png" "$styles_out/$name.png"
  convert "$work/$name.png" -background '#f5f3ee' -flatten "$work/sheet_$name.png"
done

# sheet OUT PICTURE...: the pictures three to a row, each with its name under it. The name
# is joined to its picture first, so that rows of unequal height cannot hide it.
sheet() {
  local out=$1 picture
  shift
  local tiles=()
  for picture in "$@"; do
    convert "$picture" -background '#f5f3ee' -font DejaVu-Sans -pointsize 14 -fill '#202020' \
      label:"$(basename "$picture" .png)" -gravity center -append "tile_$picture"
    tiles+=("tile_$picture")
  done
  montage "${tiles[@]}" -tile 3x -geometry '+12+10' -background '#f5f3ee' -depth 8 -strip "$out"
}

mkdir "$work/sheet"
for f in "$work"/sheet_*.png; do mv "$f" "$work/sheet/$(basename "$f" | sed 's/^sheet_//')"; done
(cd "$work/sheet" && sheet "$docs/styles.png" *.png)

mkdir "$work/examples"
for project in "$bundle"/*.vrn; do
  name=$(basename "$project" .vrn)
  (cd "$work/examples" && "$vornel" render --app-dir "$appdata" --project "$project" \
    --type png -o "$name" >/dev/null)
  convert "$work/examples/$name.png" -background '#f5f3ee' -flatten "$work/examples/$name.png"
done
(cd "$work/examples" && sheet "$docs/examples.png" *.png)
echo "make-contact-sheet.sh: $(ls "$styles_out" | wc -l) styles, $(ls "$bundle"/*.vrn | wc -l) examples"
