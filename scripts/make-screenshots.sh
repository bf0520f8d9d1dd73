#!/usr/bin/env bash
# Remakes the window pictures: starts the built hellovornel headless the way the
# ui_session test does, fills each page with something to show and captures the sheet
# with the preview window under it (and the dialog open, if any), cropped to the windows.
# Usage: scripts/make-screenshots.sh [BUILD_DIR [OUT_DIR]]
#   defaults: build and docs/screenshots of this repository
# Writes the pages (examples.png, message.png, background.png, bulletin.png, save.png,
# batch.png), preview.png (the preview alone, the mouse held down on a button's pressed
# twin), message-dialog.png, font-dialog.png, edit-style.png, one effect-TYPE.png per
# effect dialog, the steps of making a button (button-message.png,
# button-round-box.png) and the button it saves, button.png and its pressed twin
# button_.png (the window's 256-colour GIFs converted to PNG).
# With HEADLESS_KEEP=DIR set, DIR/screens holds the whole screen of every picture, to
# check where the windows and dialogs sit.
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
  headless_outer 300 "${BASH_SOURCE[0]}" "$build" "$(realpath "$out")"
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
  mkdir -p "$work/screens"
  /usr/bin/convert -size 1280x1024 -depth 8 "rgb:$work/screen.rgb" "$work/screens/$name.png"
  /usr/bin/convert -size 1280x1024 -depth 8 "rgb:$work/screen.rgb" \
    -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    \( -size "$((right - left))x$((bottom - top))" xc:black -fill white "${mask[@]}" \) \
    -alpha off -compose CopyOpacity -composite -background black -alpha background -strip \
    "${SHOT_DIR:-$out}/$name.png"
  [ -n "${SHOT_DIR:-}" ] || ok "$name.png ($((right - left))x$((bottom - top)))"
}

sheet=(frame "Hello Vornel 1.0" filler Preview)

headless_start_program "$build/ui/hellovornel" "$work/app"

drv pick "Example list" neon_open.vrn
drv expect-state "page tab" Image focused
shot examples

drv click "page tab" Message
drv wait text Message
type_into text Message "Hello Vornel!"
pick_style chrome.sty
drv expect-state "page tab" Image focused
shot message

# A Font bulletin: its text is typed in the small "Message" dialog.
drv click "page tab" Bulletin
drv click "radio button" Font
drv expect-state "radio button" Font checked
drv click "push button" Properties
drv wait dialog Message
DRIVER_IN=dialog:Message type_into text Message "*"
shot message-dialog "${sheet[@]}" dialog Message
DRIVER_IN=dialog:Message drv click "push button" OK
drv gone dialog Message
pick_style bullet_star.sty
drv expect-state "page tab" Image focused
shot bulletin

# The Message's style (chrome.sty's three effects) in the style editor, and the dialog
# of each effect type as Add opens it.
drv click "page tab" Message
drv click "push button" "Edit Style"
drv wait dialog "Edit Style"
DRIVER_IN="dialog:Edit Style" drv expect-items list "Applied Effect" "Drop Shadow,Outline,Draw"
DRIVER_IN="dialog:Edit Style" drv pick "Applied Effect" Outline
shot edit-style "${sheet[@]}" dialog "Edit Style"
for entry in "Draw:Effect : Draw:draw" "Outline:Effect : Outline:outline" \
  "Drop Shadow:Effect : Drop Shadow:drop-shadow" "Linear Gradient:Gradient:linear-gradient" \
  "Depth of Field:Depth of field:depth-of-field" \
  "Disturbing Font:Distort Templet : Sine & Cosine:disturbing-font" \
  "Star Filtering:Effect : Star Filtering:star-filtering" "Tile:Effect : Tile:tile" \
  "3D Single Color:Effect : 3D Single Color:3d-single-color" \
  "Round Box:Effect : Rectangle:round-box" "Fog:Effect : Fog:fog" "Space:Effect : Space:space" \
  "Cut Out:Effect : Cut Out:cut-out"; do
  type=${entry%%:*}
  file=${entry##*:}
  caption=${entry#*:}
  caption=${caption%:*}
  DRIVER_IN="dialog:Edit Style" drv pick "Vornel Effect" "$type"
  DRIVER_IN="dialog:Edit Style" drv click "push button" "Add to Applied Effect"
  drv wait dialog "$caption"
  shot "effect-$file" dialog "$caption"
  DRIVER_IN="dialog:$caption" drv click "push button" Cancel
  drv gone dialog "$caption"
done
DRIVER_IN="dialog:Edit Style" drv click "push button" Cancel
drv gone dialog "Edit Style"

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

# ---- making a button, from a new job -----------------------------------------------------
drv fire "menu item" New
drv answer "Warning!" No until-state "page tab" Examples focused >/dev/null
drv click "page tab" Message
type_into text Message Welcome
drv click "push button" Font
drv wait dialog Font
DRIVER_IN=dialog:Font drv pick - "Liberation Sans"
DRIVER_IN=dialog:Font drv pick - Bold
DRIVER_IN=dialog:Font type_into text Size 27
shot font-dialog dialog Font
DRIVER_IN=dialog:Font drv click "push button" OK
drv gone dialog Font
pick_style button_text.sty
drv expect-state "page tab" Image focused
shot button-message

drv click "page tab" Background
drv click "radio button" "Round Box"
drv expect-state "radio button" "Round Box" checked
drv click "push button" Properties
drv wait dialog "Effect : Rectangle"
for entry in "Size X(dot):125" "Size Y(dot):190" "Round X(%):40" "Round Y(%):90"; do
  DRIVER_IN="dialog:Effect : Rectangle" type_into text "${entry%:*} value" "${entry##*:}"
done
shot button-round-box "${sheet[@]}" dialog "Effect : Rectangle"
DRIVER_IN="dialog:Effect : Rectangle" drv click "push button" OK
drv gone dialog "Effect : Rectangle"
pick_style button_blue.sty
# The page shows the background mode the template style brought when it next becomes
# active.
drv click "page tab" Bulletin
drv click "page tab" Background
drv expect-state "page tab" Background focused
if [ "$(drv has-state "check box" "GIF Transparent" checked)" = no ]; then
  drv click "check box" "GIF Transparent"
fi
drv expect-state "check box" "GIF Transparent" checked
drv click "check box" "Create Button Bitmap"
drv expect-state "check box" "Create Button Bitmap" checked
drv expect-state "page tab" Image focused
shot background

drv click "page tab" "Save Vornel"
drv click "radio button" "256 Color GIF"
drv expect-state "radio button" "256 Color GIF" checked
drv expect-match text Size '[1-9][0-9]*'
shot save
drv click "push button" "Save Image"
save_dialog button
poll 10 test -s "$work/out/button_.gif" || fail "Save Image wrote no button.gif and button_.gif"
for name in button button_; do
  /usr/bin/convert "$work/out/$name.gif" -strip "$out/$name.png"
  ok "$name.png (from the window's $name.gif)"
done

# The pressed twin, held down on the Image pane.
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
