#!/usr/bin/env bash
# Remakes the command line's pictures in the README (docs/cli/, docs/png/) with the
# commands the README shows: the style sheet, the Sign up button over three pages, its
# 1x / 2x pair, the eight-button menu, and welcome_button as PNG and as GIF over a dark
# and a light page. ImageMagick lays the transparent pictures over the pages.
# Usage: scripts/make-cli-pictures.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
vornel=$build/cli/vornel
app=$build/appdata
[ -x "$vornel" ] || { echo "make-cli-pictures.sh: build first (no $vornel)" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-cli-pictures.sh: ImageMagick's convert is needed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
v() { "$vornel" "$1" --app-dir "$app" "${@:2}" >/dev/null; }
dark='#1E2430' light='#F4F2EC' red='#B0262C'
# over PAGE IN...: each picture laid over PAGE with a 12-pixel margin, side by side.
over() {
  local page=$1
  shift
  local args=()
  for f in "$@"; do args+=(\( "$f" -bordercolor none -border 12 -background "$page" -flatten \)); done
  convert "${args[@]}" -gravity center -background "$page" +append "over-$page.png"
  echo "over-$page.png"
}

v sheet -o "$root/docs/cli/sheet.png"

button=(--message 'Sign up' --style button_text --template-style button_blue
        --box 1250 1900 400 900 --pad 8 --bold --font-height -27 --transparent)
v render "${button[@]}" -o signup.png
v render "${button[@]}" --scale 2 -o signup@2x.png
convert "$(over "$dark" signup.png)" "$(over "$light" signup.png)" "$(over "$red" signup.png)" \
  +append "$root/docs/cli/signup.png"
convert "$(over "$dark" signup.png signup@2x.png)" "$root/docs/cli/scale.png"

printf '%s\n' Home Products Services Pricing Blog 'About us' Contact 'Sign up' >menu.txt
v batch menu.txt --style button_text --template-style button_blue --box 1150 1300 400 900 \
  --pad 6 --bold --font-height -20 --clipblank 0 --transparent -q -o menu.png
convert "$(over "$dark" menu?.png)" "$(over "$light" menu?.png)" -append "$root/docs/cli/menu.png"

welcome=(--project welcome_button --message Welcome --transparent)
v render "${welcome[@]}" --type png -o button.png
v render "${welcome[@]}" --type gif256 -o button.gif
convert "$(over "$dark" button.png)" "$(over "$light" button.png)" +append "$root/docs/png/button-png.png"
convert "$(over "$dark" button.gif)" "$(over "$light" button.gif)" +append "$root/docs/png/button-gif.png"
echo "make-cli-pictures.sh: docs/cli and docs/png remade"
