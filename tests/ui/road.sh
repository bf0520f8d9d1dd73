#!/usr/bin/env bash
# The whole road in the real window: from the start-up job, with the pages and dialogs
# only, make the looks of two bundled examples, gold_award.vrn (a message in a bundled
# style, a Round Box bulletin) and, after File > New, welcome_button.vrn (a Round Box
# template button with its pressed twin, transparent); save each as an image and as a
# project; then edit a style in the Edit Style dialog with the effect dialogs and save it.
# Checks: each saved image equals what vornel renders of the saved project and what it
# renders of the bundled example; each made project against the bundled one; the saved
# style against the effects typed in.
# Usage: road.sh HELLOVORNEL VORNEL APPDATA. Exit 0 pass, 1 fail, 77 tools missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/ui/headless.sh
. "$here/headless.sh"

if [ "${1:-}" != --inside ]; then
  [ $# -eq 3 ] || { echo "usage: road.sh HELLOVORNEL VORNEL APPDATA" >&2; exit 2; }
  headless_outer 170 "${BASH_SOURCE[0]}" "$(realpath "$1")" "$(realpath "$2")" "$(realpath "$3")"
fi
headless_inner "$2"
hellovornel=$3
vornel=$4
cp -r "$5"/. "$work/app"
started=$SECONDS

headless_start_program "$hellovornel" "$work/app"
ok "the window is up with the start-up job (display $DISPLAY)"

# message_and_font TEXT FAMILY STYLE POINTS: the Message page's text and font.
message_and_font() {
  drv click "page tab" Message
  type_into text Message "$1"
  drv click "push button" Font
  choose_font "$2" "$3" "$4"
  drv expect-text text "Font face" "$2"
}

# background_page: the Background page made active again, so that it shows the job's
# background mode (it reads it only on activation).
background_page() {
  drv click "page tab" Bulletin
  drv expect-state "page tab" Bulletin focused
  drv click "page tab" Background
  drv expect-state "page tab" Background focused
}

# save_image RADIO NAME: Save Image of the Save page in the type RADIO, as NAME.
save_image() {
  drv click "page tab" "Save Vornel"
  drv click "radio button" "$1"
  drv expect-state "radio button" "$1" checked
  drv expect-match text Size '[1-9][0-9]*'
  drv click "push button" "Save Image"
  save_dialog "$2"
}

save_project() {
  drv fire "menu item" "Save Vrn. File As"
  save_dialog "$1"
  poll 10 test -s "$work/out/$1.vrn" || fail "no $1.vrn written"
}

# ---- gold_award: Times New Roman bold 42 pt, gold_stars.sty; a gem bulletin ------------
message_and_font "Gold Award" "Liberation Serif" Bold 42
# With no Template and no Bulletin yet, the message style also gives the job its
# background colour.
pick_style gold_stars.sty
drv expect-state "push button" "Change Color or Texture" enabled
ok "Message: 'Gold Award' in Liberation Serif Bold 42, gold_stars.sty"

drv click "page tab" Bulletin
drv click "radio button" "Round Box"
drv expect-state "radio button" "Round Box" checked
drv expect-state list "Vornel Style" enabled
drv click "push button" Properties
# The Bulletin's factors are never saved in a project: the example's bulletin has the
# start-up ones, 500 per mille each, which the dialog shows in tenths.
drv wait dialog "Effect : Rectangle"
for name in "Size X(dot)" "Size Y(dot)" "Round X(%)" "Round Y(%)"; do
  DRIVER_IN="dialog:Effect : Rectangle" drv expect-text text "$name value" 50
done
round_box_factors 50 50 50 50
pick_style bullet_gem.sty
ok "Bulletin: Round Box with its start-up factors 50, 50, 50, 50 (shown), bullet_gem.sty"

background_page
drv expect-state "radio button" None checked
# The message style's background line is opaque, and the box shows it unchecked, but
# the job's own background mode is still the start-up's transparent one until the box
# is used: the project would be saved transparent. Checking and clearing the box writes
# the mode into both.
save_project gold_before
drv click "check box" "GIF Transparent"
drv expect-state "check box" "GIF Transparent" checked
drv click "check box" "GIF Transparent"
drv expect-state "check box" "GIF Transparent" enabled
[ "$(drv has-state "check box" "GIF Transparent" checked)" = no ] ||
  poll 5 test "$(drv has-state "check box" "GIF Transparent" checked)" = no ||
  fail "GIF Transparent stays checked after the second click"
gold_before=$("$vornel" project "$work/out/gold_before.vrn" | grep '^background')
ok "Background: GIF Transparent checked and cleared (before: the project read '$gold_before')"

save_image "Windows BMP" gold
poll 10 test -s "$work/out/gold.bmp" || fail "no gold.bmp written"
save_project gold
ok "saved gold.bmp and gold.vrn"

# ---- welcome_button after File > New ----------------------------------------------------
drv fire "menu item" New
drv answer "Warning!" No until-state "page tab" Examples focused >/dev/null
drv expect-state "page tab" Text focused
ok "File > New: the Examples page and the preview's Text tab"

message_and_font Welcome "Liberation Sans" Bold 27
pick_style button_text.sty
ok "Message: 'Welcome' in Liberation Sans Bold 27, button_text.sty"

drv click "page tab" Background
drv click "radio button" "Round Box"
drv expect-state "radio button" "Round Box" checked
drv click "push button" Properties
round_box_factors 125 190 40 90
pick_style button_blue.sty
ok "Background: Round Box template with factors 125, 190, 40, 90, button_blue.sty"

# The template style's background line (opaque) became the job's; the page shows it
# when it next becomes active.
background_page
drv expect-state "radio button" "Round Box" checked
drv expect-state "list item" button_blue.sty selected
if [ "$(drv has-state "check box" "GIF Transparent" checked)" = no ]; then
  drv click "check box" "GIF Transparent"
fi
drv expect-state "check box" "GIF Transparent" checked
drv click "check box" "Create Button Bitmap"
drv expect-state "check box" "Create Button Bitmap" checked
ok "Background: GIF Transparent and Create Button Bitmap checked"

save_image "256 Color GIF" welcome
poll 10 test -s "$work/out/welcome_.gif" || fail "no welcome.gif and welcome_.gif written"
save_project welcome
ok "saved welcome.gif, its pressed twin welcome_.gif and welcome.vrn"
ok "the two looks made in $((SECONDS - started)) s"

# ---- the Message's style in the Edit Style dialog ----------------------------------------
editor="Edit Style"
in_editor() { DRIVER_IN="dialog:$editor" "$@"; }
# add_effect NAME CAPTION: Add to Applied Effect of the type NAME; waits for its dialog.
add_effect() {
  in_editor drv pick "Vornel Effect" "$1"
  in_editor drv click "push button" "Add to Applied Effect"
  drv wait dialog "$2"
}
# confirm CAPTION: OK of the effect dialog CAPTION.
confirm() {
  DRIVER_IN="dialog:$1" drv click "push button" OK
  drv gone dialog "$1"
}

drv click "page tab" Message
drv click "push button" "Edit Style"
drv wait dialog "$editor"
in_editor drv expect-items list "Applied Effect" "Drop Shadow,Outline,Draw"
# The style is unchanged: New asks nothing (an answer No covers a question).
in_editor drv click "push button" New
drv answer "Warning!" No until-state list "Applied Effect" showing >/dev/null
in_editor drv expect-items list "Applied Effect" ""
ok "Edit Style opens on button_text.sty's Drop Shadow, Outline and Draw; New empties it"

shadow="Effect : Drop Shadow"
add_effect "Drop Shadow" "$shadow"
DRIVER_IN="dialog:$shadow" drv expect-text text "Opacity value" 50
# A slider move stores every slider's position, so it comes before the typed values
# that lie beyond a slider's range.
slider_from_minimum "$shadow" Horizontal 23
DRIVER_IN="dialog:$shadow" drv expect-text text "Horizontal value" 3
DRIVER_IN="dialog:$shadow" type_into text "Opacity value" 120
DRIVER_IN="dialog:$shadow" drv expect-value slider Opacity 120
# A blur of 32 or more is cut to 31 as it is typed.
DRIVER_IN="dialog:$shadow" drv click text "Blur value"
xdotool key --clearmodifiers ctrl+a
xdotool type --clearmodifiers --delay 15 40
DRIVER_IN="dialog:$shadow" drv expect-text text "Blur value" 31
DRIVER_IN="dialog:$shadow" drv expect-value slider Blur 10
confirm "$shadow"
in_editor drv expect-items list "Applied Effect" "Drop Shadow"
ok "Drop Shadow added: Horizontal slider to 3, Opacity typed 120, Blur typed 40 (shows 31)"

outline="Effect : Outline"
add_effect Outline "$outline"
slider_from_minimum "$outline" Thickness 2
DRIVER_IN="dialog:$outline" drv expect-text text "Thickness value" 2
# A lone "-" is not an integer, and the box says so in a message box at once: the minus
# goes in front of the typed 2.
DRIVER_IN="dialog:$outline" type_into text "Vertical value" 2
xdotool key --clearmodifiers Home minus
DRIVER_IN="dialog:$outline" drv expect-text text "Vertical value" -2
DRIVER_IN="dialog:$outline" drv expect-value slider Vertical -2
confirm "$outline"
ok "Outline added: Thickness slider to 2, Vertical typed -2"

gradient=Gradient
add_effect "Linear Gradient" "$gradient"
DRIVER_IN="dialog:$gradient" type_into text "Size value" 40
DRIVER_IN="dialog:$gradient" drv expect-value slider Size 40
DRIVER_IN="dialog:$gradient" type_into text Angle 90
confirm "$gradient"
in_editor drv expect-items list "Applied Effect" "Drop Shadow,Outline,Linear Gradient"
ok "Linear Gradient added: Size typed 40, Angle typed 90"

# Edit: the applied Drop Shadow opens with its own values.
in_editor drv pick "Applied Effect" "Drop Shadow" double
drv wait dialog "$shadow"
DRIVER_IN="dialog:$shadow" drv expect-text text "Opacity value" 120
DRIVER_IN="dialog:$shadow" drv expect-text text "Blur value" 31
DRIVER_IN="dialog:$shadow" type_into text "Opacity value" 150
confirm "$shadow"
ok "a double click edits the Drop Shadow: it opens at 120 and 31, Opacity typed 150"

in_editor drv pick "Applied Effect" "Linear Gradient"
in_editor drv click "push button" "Go Up"
in_editor drv expect-items list "Applied Effect" "Drop Shadow,Linear Gradient,Outline"
in_editor drv pick "Applied Effect" "Drop Shadow"
in_editor drv click "push button" "Go Down"
in_editor drv expect-items list "Applied Effect" "Linear Gradient,Drop Shadow,Outline"
in_editor drv pick "Applied Effect" Outline
in_editor drv click "push button" Delete
in_editor drv expect-items list "Applied Effect" "Linear Gradient,Drop Shadow"
ok "Go Up, Go Down and Delete leave Linear Gradient, Drop Shadow"

mkdir -p "$work/styles"
in_editor drv click "push button" "Save As"
# A name without an extension gets ".sty".
save_dialog "$work/styles/edited"
poll 10 test -s "$work/styles/edited.sty" || fail "Save As wrote no edited.sty (folder: $(ls "$work/styles"))"
in_editor drv click "push button" OK
drv gone dialog "$editor"
drv expect-state "page tab" Image focused
ok "Save As wrote edited.sty; OK closes the dialog"

"$vornel" style "$work/styles/edited.sty" >"$work/edited.txt" || fail "vornel cannot read edited.sty"
# By hand: LinearGradient colour1 0x0000FF (255), colour2 0xFFFF00 (16776960), no
# offset, angle 90, size 40; DropShadow black, horizontal 3, vertical 0, opacity 150,
# blur 31. The background line is the working one: transparent white.
cat >"$work/edited.expected" <<'EOF'
background 1 16777215
0 LinearGradient 255 16776960 0 0 90 40 0 0 0 0 0 0
1 DropShadow 0 0 3 0 150 31 0 0 0 0 0 0
EOF
diff "$work/edited.expected" "$work/edited.txt" >"$work/edited.diff" ||
  fail "vornel style edited.sty differs from the effects typed in: $(cat "$work/edited.diff")"
ok "vornel style reads edited.sty back as the two effects typed in"

close_program
ok "the window closed with status 0${closing_question:+ (answered No to \"$closing_question\")}"

# ---- the files against the command line -------------------------------------------------
check() { "$headless_python" "$here/check_road.py" "$@" | sed 's/^/  /' || fail "check_road.py $1 $2"; }
cli() { "$vornel" render --app-dir "$work/app" "$@" >/dev/null || fail "vornel render $*"; }

cli --project "$work/out/gold.vrn" --type bmp -o "$work/cli_gold"
cli --project "$work/app/gold_award.vrn" --type bmp -o "$work/bundled_gold"
check same "$work/out/gold.bmp" "$work/cli_gold.bmp" gold.bmp
check look "$work/out/gold.bmp" "$work/bundled_gold.bmp" gold.bmp
# 3937310 is 0x3C141E: red 0x1E, green 0x14, blue 0x3C.
check opaque "$work/out/gold.bmp" 30 20 60

cli --project "$work/out/welcome.vrn" --type gif256 --pressed -o "$work/cli_welcome"
cli --project "$work/app/welcome_button.vrn" --type gif256 --pressed -o "$work/bundled_welcome"
for name in welcome welcome_; do
  check same "$work/out/$name.gif" "$work/cli_$name.gif" "$name.gif"
  check look "$work/out/$name.gif" "$work/bundled_$name.gif" "$name.gif"
done
check button "$work/out/welcome.gif" "$work/out/welcome_.gif"

for pair in gold:gold_award welcome:welcome_button; do
  "$vornel" project "$work/out/${pair%:*}.vrn" >"$work/made_${pair%:*}.txt"
  "$vornel" project "$work/app/${pair#*:}.vrn" >"$work/bundled_${pair%:*}.txt"
  echo "  ${pair%:*}.vrn against ${pair#*:}.vrn:"
  check projects "$work/bundled_${pair%:*}.txt" "$work/made_${pair%:*}.txt"
done
echo "ui road: all checks passed in $((SECONDS - started)) s"
