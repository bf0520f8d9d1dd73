#!/usr/bin/env bash
# Remakes docs/gallery/*.png from the bundled examples: each example is rendered by
# `vornel render --project` with the built program folder, then turned into PNG.
# Opaque examples are saved as BMP (no loss); examples with a transparent background as
# 256-colour GIF, whose transparent entry carries over into the PNG. Buttons also get
# their pressed twin (NAME_.png).
#
# Usage: scripts/make-gallery.sh [BUILD_DIR]   (default: build)
# Prints the command used for each picture, as the README quotes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
vornel=$build/cli/vornel
appdata=$build/appdata
out=$root/docs/gallery
[ -x "$vornel" ] || { echo "make-gallery.sh: build first (no $vornel)" >&2; exit 1; }
[ -d "$appdata/texture" ] || { echo "make-gallery.sh: no program folder at $appdata" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-gallery.sh: ImageMagick's convert is needed" >&2; exit 1; }

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
  echo "vornel render --project data/bundle/$name.vrn --type $type ${extra[*]:+${extra[*]} }-o $name"
  (cd "$work" && "$vornel" render --app-dir "$appdata" --project "$project" --type "$type" \
    "${extra[@]}" -o "$name" >/dev/null)
  convert "$work/$name.$ext" -strip "$out/$name.png"
  [ -f "$work/${name}_.$ext" ] && convert "$work/${name}_.$ext" -strip "$out/${name}_.png"
done
