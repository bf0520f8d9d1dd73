#!/usr/bin/env bash
# Remakes the window pictures: starts the built hellovornel headless the way the
# ui_session test does, fills each page with something to show and captures the sheet
# with the preview window under it, cropped to the two windows.
# Usage: scripts/make-screenshots.sh [BUILD_DIR [OUT_DIR]]
#   defaults: build and docs/screenshots of this repository
# Writes examples.png, message.png, background.png, bulletin.png, save.png, batch.png
# and preview.png (the preview alone, the mouse held down on a button's pressed twin).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=tests/ui/headless.sh
. "$repo/tests/ui/headless.sh"

if [ "${1:-}" != --inside ]; then
  build=$(realpath "${1:-$repo/build}")
  out=${2:-$repo/docs/screenshots}
  [ -x "$build/ui/hellovornel" ] || {
    echo "make-screenshots.sh: no $build/ui/hellovornel; configure with -DVORNEL_UI=ON and build" >&2
    exit 1
  }
  mkdir -p "$out"
  headless_outer 120 "${BASH_SOURCE[0]}" "$build" "$(realpath "$out")"
fi
headless_inner "$2"
build=$3
out=$4
cp -r "$build/appdata"/. "$work/app"

# The whole screen as raw RGB, once two captures in a row agree: the program has
# painted what the last step asked for.
settled_screen() {
  local previous="" current tries=100
  while true; do
    /usr/bin/import -window root -depth 8 "rgb:$work/screen.rgb"
    current=$(md5sum <"$work/screen.rgb")
    [ "$current" != "$previous" ] || return 0
    previous=$current
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || fail "the screen never settled"
    sleep 0.05
  done
}

# shot NAME [WIDGET...]: NAME.png of the smallest box around the widgets (role and name
# pairs; default the sheet and the preview), transparent where no widget is, with the
# pointer parked away from them unless HOLD is set. Written to SHOT_DIR if set (quietly),
# else to the output folder.
shot() {
  local name=$1 left=100000 top=100000 right=0 bottom=0 x y w h boxes=()
  shift
  [ $# -gt 0 ] || set -- frame "Hello Vornel 1.0" filler Preview
  [ -n "${HOLD:-}" ] || xdotool mousemove 1279 1023
  while [ $# -gt 0 ]; do
    read -r x y w h <<<"$(drv extents "$1" "$2")"
    shift 2
    boxes+=("$x $y $w $h")
    if ((x < left)); then left=$x; fi
    if ((y < top)); then top=$y; fi
    if ((x + w > right)); then right=$((x + w)); fi
    if ((y + h > bottom)); then bottom=$((y + h)); fi
  done
  local mask=()
  for box in "${boxes[@]}"; do
    read -r x y w h <<<"$box"
    mask+=(-draw "rectangle $((x - left)),$((y - top)) $((x - left + w - 1)),$((y - top + h - 1))")
  done
  settled_screen
  /usr/bin/convert -size 1280x1024 -depth 8 "rgb:$work/screen.rgb" \
    -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    \( -size "$((right - left))x$((bottom - top))" xc:black -fill white "${mask[@]}" \) \
    -alpha off -compose CopyOpacity -composite -background black -alpha background -strip \
    "${SHOT_DIR:-$out}/$name.png"
  [ -n "${SHOT_DIR:-}" ] || ok "$name.png ($((right - left))x$((bottom - top)))"
}

headless_start_program "$build/ui/hellovornel" "$work/app"

drv pick "Example list" neon_open.vrn
drv expect-state "page tab" Image focused
shot examples

drv click "page tab" Message
drv wait text Message
type_into text Message "Hello Vornel!"
drv pick "Vornel Style" chrome.sty
drv answer "Warning!" No until-state "page tab" Image focused >/dev/null
drv expect-state "list item" chrome.sty selected
shot message

drv click "page tab" Background
drv expect-state "page tab" Background focused
shot background

drv click "page tab" Bulletin
drv expect-state "page tab" Bulletin focused
shot bulletin

drv click "page tab" "Save Vornel"
drv click "radio button" "256 Color GIF"
drv expect-state "radio button" "256 Color GIF" checked
drv expect-match text Size '[1-9][0-9]*'
shot save

drv click "page tab" "Batch Creation"
for entry in Home News "About us"; do
  type_into text "Batch message" "$entry"
  drv click "push button" "Add to Batch List"
  drv wait "list item" "$entry"
done
# The preview's Image tab shows the last message added in the current style.
drv click "page tab" Image
drv expect-state "page tab" Image focused
shot batch

# A button with its pressed twin, held down on the Image pane.
drv click "page tab" Examples
drv pick "Example list" welcome_button.vrn
drv answer "Warning!" No until-state "page tab" Image focused >/dev/null
drv expect-state "list item" welcome_button.vrn selected
drv click "page tab" Background
drv click "check box" "Create Button Bitmap"
drv expect-state "check box" "Create Button Bitmap" checked
drv click "page tab" Image
drv expect-state "page tab" Image focused
SHOT_DIR=$work shot released filler Preview
read -r x y w h <<<"$(drv extents filler Image)"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) mousedown 1
HOLD=1 shot preview filler Preview
xdotool mouseup 1
# Only the pressed twin is kept; holding the button down must have changed the pane.
if cmp -s "$work/released.png" "$out/preview.png"; then
  fail "holding the mouse down on the Image pane changed nothing"
fi

close_program
echo "screenshots in $out"
