#!/usr/bin/env bash
# A scripted session of the real window: hellovornel runs under a private Xvfb inside its
# own D-Bus session and is driven through AT-SPI (driver.py) with real clicks and typing.
# It opens an example, types a message, picks a style, saves the picture in the four
# file types through Qt's file dialog and the project through File > Save Vrn. File As,
# then checks the files against each other and against what vornel renders from the
# saved project, and closes the window the way a window manager does.
# Usage: session.sh HELLOVORNEL VORNEL APPDATA. Exit 0 pass, 1 fail, 77 tools missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/ui/headless.sh
. "$here/headless.sh"

if [ "${1:-}" != --inside ]; then
  [ $# -eq 3 ] || { echo "usage: session.sh HELLOVORNEL VORNEL APPDATA" >&2; exit 2; }
  headless_outer 100 "${BASH_SOURCE[0]}" "$(realpath "$1")" "$(realpath "$2")" "$(realpath "$3")"
fi
headless_inner "$2"
hellovornel=$3
vornel=$4
cp -r "$5"/. "$work/app"

headless_start_program "$hellovornel" "$work/app"
drv expect-state "page tab" Examples focused
ok "the window 'Hello Vornel 1.0' is up on the Examples page (display $DISPLAY)"

# ---- Examples ---------------------------------------------------------------------------
# Qt reports a tab bar's current tab as "focused" (there is no "selected" for tabs).
drv pick "Example list" gold_award.vrn
drv expect-state "page tab" Image focused
drv wait filler Image
drv gone filler Text
ok "choosing gold_award.vrn shows the preview's Image tab"

sheet=$(drv extents frame "Hello Vornel 1.0")
preview=$(drv extents filler Preview)
read -r sx sy _ sh <<<"$sheet"
read -r px py _ _ <<<"$preview"
if [ "$px" -ne "$sx" ] || [ "$py" -ne $((sy + sh)) ]; then
  fail "preview at $px,$py, not under the sheet's bottom-left corner $sx,$((sy + sh))"
fi
ok "the preview sits at the sheet's bottom-left corner ($px,$py)"

# ---- Message ----------------------------------------------------------------------------
message='Typed by Xvfb, 42!'
drv click "page tab" Message
type_into text Message "$message"
drv expect-state "page tab" Text focused
drv wait filler Text
drv gone filler Image
ok "typing '$message' into Message shows the preview's Text tab"

drv pick "Vornel Style" neon_glow.sty
# The example's own style counts as changed, so leaving it may ask to save it first.
question=$(drv answer "Warning!" No until-state "page tab" Image focused)
drv expect-state "list item" neon_glow.sty selected
ok "picking neon_glow.sty shows the Image tab${question:+ (answered No to \"$question\")}"

# ---- Save Vornel: the four file types ---------------------------------------------------
drv click "page tab" "Save Vornel"
declare -A saved size
for entry in "16 Color GIF:gif16:gif" "256 Color GIF:gif256:gif" \
  "JPG(true color):jpg:jpg" "Windows BMP:bmp:bmp"; do
  IFS=: read -r radio name ext <<<"$entry"
  drv click "radio button" "$radio"
  drv expect-state "radio button" "$radio" checked
  drv expect-match text Size '[1-9][0-9]*'
  drv click "push button" "Save Image"
  save_dialog "picture_$name"
  file=$work/out/picture_$name.$ext
  poll 10 test -s "$file" || fail "$radio: no $file written (folder: $(ls "$work/out"))"
  saved[$name]=$file
  size[$name]=$(drv text text Size)
  ok "$radio: Size reads ${size[$name]}, Save Image wrote $(basename "$file") ($(stat -c %s "$file") bytes)"
done
# The Size box runs the writer on the picture, so it is exact; only the 16-colour GIF is
# estimated with a 16-entry colour table while it is saved with 256.
for name in gif256 jpg bmp; do
  actual=$(stat -c %s "${saved[$name]}")
  [ "${size[$name]}" = "$actual" ] || fail "$name: Size said ${size[$name]}, the file has $actual bytes"
done
ok "Size equals the saved file's length for the 256-colour GIF, the JPEG and the BMP"

# ---- the project, and the command line's render of it -----------------------------------
drv fire "menu item" "Save Vrn. File As"
save_dialog session
project=$work/out/session.vrn
poll 10 test -s "$project" || fail "no $project written"
ok "File > Save Vrn. File As wrote session.vrn"

"$vornel" project "$project" >"$work/project.txt" || fail "vornel cannot read $project"
# The message layer (layer 2) holds the typed text and the style's effects in order.
awk '/^layer 2 /{on=1; next} /^(layer|background)/{on=0} on' "$work/project.txt" >"$work/layer2.txt"
grep -qxF "text $message" "$work/layer2.txt" || fail "layer 2 of the project: $(cat "$work/layer2.txt")"
"$vornel" style "$work/app/neon_glow.sty" | tail -n +2 >"$work/style.txt"
grep -E '^[0-9]+ ' "$work/layer2.txt" >"$work/layer2_effects.txt" || true
diff "$work/style.txt" "$work/layer2_effects.txt" >"$work/effects.diff" ||
  fail "layer 2's effects are not neon_glow.sty's: $(cat "$work/effects.diff")"
ok "vornel reads the project back: the typed message with neon_glow.sty's effects"

references=()
for type in gif16:gif gif256:gif jpg:jpg bmp:bmp; do
  "$vornel" render --app-dir "$work/app" --project "$project" --type "${type%:*}" \
    -o "$work/cli_${type%:*}" >/dev/null || fail "vornel render --type ${type%:*} of the saved project"
  references+=("$work/cli_${type%:*}.${type#*:}")
done
"$headless_python" "$here/check_saved.py" "${saved[gif16]}" "${saved[gif256]}" "${saved[jpg]}" \
  "${saved[bmp]}" "${references[@]}" | sed 's/^/  /' || fail "the saved pictures"

# ---- closing ----------------------------------------------------------------------------
close_program
ok "WM_DELETE_WINDOW closed the window, exit status 0${closing_question:+ (answered No to \"$closing_question\")}"

ini=$XDG_CONFIG_HOME/hellovornel/hellovornel.ini
[ -s "$ini" ] || fail "no $ini"
# The file has CRLF line ends, like the program's other text files.
place=$(tr -d '\r' <"$ini" | awk '/^\[/{section=$0} section=="[window]" && /^[xy]=/' | xargs)
[ "$place" = "x=$sx y=$sy" ] || fail "the window's place in $ini reads '$place', not x=$sx y=$sy"
ok "the window's place ($sx,$sy) went to \$XDG_CONFIG_HOME/hellovornel/hellovornel.ini"
echo "ui session: all checks passed"
