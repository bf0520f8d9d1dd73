#!/usr/bin/env bash
# Remakes docs/gallery/*.png from the bundled examples: each example is rendered by
# `vornel render --project` with the built program folder, then turned into PNG.
# Opaque examples are saved as BMP (no loss); examples with a transparent background as
# 256-colour GIF, whose transparent entry carries over into the PNG. Buttons also get
# their pressed twin (NAME_.png).
#
# Usage: scripts/make-gallery.sh [BUILD_DIR [OUT_DIR]]   (defaults: build, docs/gallery)
# VORNEL and VORNEL_APPDATA, when set, name the binary and the program folder instead of
# BUILD_DIR/cli/vornel and BUILD_DIR/appdata (tests/cli/gallery.sh uses them).
# Prints the command that made each picture, as the README quotes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=${2:-$root/docs/gallery}
vornel=${VORNEL:-$build/cli/vornel}
appdata=${VORNEL_APPDATA:-$build/appdata}
[ -x "$vornel" ] || { echo "make-gallery.sh: build first (no $vornel)" >&2; exit 1; }
[ -d "$appdata/texture" ] || { echo "make-gallery.sh: no program folder at $appdata" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-gallery.sh: ImageMagick's convert is needed" >&2; exit 1; }
vornel=$(cd "$(dirname "$vornel")" && pwd)/$(basename "$vornel")
appdata=$(cd "$appdata" && pwd)

# Examples that are push buttons: their pressed image is shown too.
pressed_examples=" welcome_button menu_item "

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
rm -f "$out"/*.png
for project in "$root"/data/bundle/*.vrn; do
  name=$(basename "$project" .vrn)
  mode=$(grep -m1 '^Background' "$project" | awk '{print $2}')
  if [ "$mode" = 1 ]; then type=gif256; ext=gif; else type=bmp; ext=bmp; fi
  extra=()
  case "$pressed_examples" in *" $name "*) extra=(--pressed) ;; esac
  echo "vornel render --app-dir build/appdata --project data/bundle/$name.vrn --type $type" \
    "${extra[@]}" "-o $name"
  (cd "$work" && "$vornel" render --app-dir "$appdata" --project "$project" --type "$type" \
    "${extra[@]}" -o "$name" >/dev/null)
  convert "$work/$name.$ext" -strip "$out/$name.png"
  if [ -f "$work/${name}_.$ext" ]; then convert "$work/${name}_.$ext" -strip "$out/${name}_.png"; fi
done
