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
python=/usr/bin/python3

if [ "${1:-}" != --inside ]; then
  [ $# -eq 3 ] || { echo "usage: session.sh HELLOVORNEL VORNEL APPDATA" >&2; exit 2; }
  for tool in Xvfb dbus-run-session dbus-send xdotool timeout; do
    command -v "$tool" >/dev/null || { echo "session.sh: skipped, no $tool"; exit 77; }
  done
  for module in pyatspi PIL; do
    "$python" -c "import $module" 2>/dev/null || {
      echo "session.sh: skipped, no python3 module $module"
      exit 77
    }
  done
  paths=()
  for path in "$@"; do paths+=("$(realpath "$path")"); done
  work=$(mktemp -d)
  # The inner session writes the id and name of each process it starts here; whatever
  # is still running when it ends (a timeout, a crash) is ended by id, once its name
  # shows the id was not handed on to another process.
  : >"$work/pids"
  cleanup() {
    while read -r pid name; do
      [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "${name:0:15}" ] && kill -9 "$pid" 2>/dev/null || true
    done <"$work/pids"
    # SESSION_KEEP=DIR keeps the files of the run there, to look at after a failure.
    [ -n "${SESSION_KEEP:-}" ] && mkdir -p "$SESSION_KEEP" && cp -r "$work"/out "$work"/*.* "$SESSION_KEEP"/
    rm -rf "$work"
  }
  trap cleanup EXIT
  mkdir -p "$work/home" "$work/runtime" "$work/out"
  chmod 700 "$work/runtime"
  # A fresh home, runtime folder (the bus sockets) and configuration for every run, so
  # that parallel sessions and earlier runs never meet.
  export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config
  unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
  cp -r "${paths[2]}"/. "$work/app"
  status=0
  # The bus daemons' chatter goes to a log; the session's own output comes through fds
  # 3 and 4.
  # Waited for in the background, so that a signal to this script ends it at once.
  timeout -k 5 100 dbus-run-session -- bash "${BASH_SOURCE[0]}" --inside "${paths[0]}" \
    "${paths[1]}" "$work" 3>&2 4>&1 >"$work/dbus.log" 2>&1 &
  session=$!
  trap 'kill "$session" 2>/dev/null; exit 1' TERM INT HUP
  wait "$session" || status=$?
  [ "$status" -eq 124 ] && echo "FAIL the session did not end within 100 s"
  exit "$status"
fi

exec 1>&4 2>&3 3>&- 4>&-
hellovornel=$2
vornel=$3
work=$4
app=""
xvfb=""

# Failures go to stderr: a step that fails inside $(...) still shows its reason.
fail() {
  {
    echo "FAIL $*"
    # Qt's accessibility bridge complains about the file dialog's empty table: noise.
    grep -v 'QAccessibleTable::child: Invalid index' "$work/app.log" | sed 's/^/  program: /' | tail -n 20
  } >&2
  exit 1
}
ok() { echo "ok   $*"; }

cleanup_inside() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup_inside EXIT
trap 'exit 1' TERM INT HUP

drv() { timeout 30 "$python" "$here/driver.py" "$@" || fail "driver.py $*"; }

# Polls a shell condition every 20 ms for at most $1 seconds.
poll() {
  local tries=$(($1 * 50))
  shift
  while ! "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.02
  done
}

# Types TEXT into the widget ROLE NAME, replacing what it holds, and waits until the
# program shows it: X input and AT-SPI are separate channels.
type_into() {
  drv click "$1" "$2"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --clearmodifiers --delay 15 -- "$3"
  drv expect-text "$1" "$2" "$3"
}

# Answers Qt's save dialog (already opening) with NAME, typed into "File name:".
save_dialog() {
  drv wait dialog "Save As"
  type_into text "File name:" "$1"
  drv click "push button" Save
  drv gone dialog "Save As"
}

# ---- the display, the accessibility bus and the program --------------------------------
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
echo "$xvfb Xvfb" >>"$work/pids"
poll 10 test -s "$work/display" || fail "Xvfb gave no display: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")
# The program finds AT-SPI only when the accessibility bus is up before it starts.
timeout 10 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.a11y.Bus.GetAddress >/dev/null || fail "no accessibility bus"

(cd "$work/out" && QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=generic \
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$hellovornel" --app-dir "$work/app") \
  >"$work/app.log" 2>&1 &
app=$!
echo "$app $(basename "$hellovornel")" >>"$work/pids"
export DRIVER_PID=$app
drv wait frame "Hello Vornel 1.0"
drv expect-state "page tab" Examples focused
ok "the window 'Hello Vornel 1.0' is up on the Examples page (display $DISPLAY)"

# ---- Examples ---------------------------------------------------------------------------
drv pick "Example list" gold_award.vrn
drv expect-state "page tab" Image focused
drv wait filler Image
drv gone filler Text
ok "choosing gold_award.vrn shows the preview's Image tab"

sheet=$(drv extents frame "Hello Vornel 1.0")
preview=$(drv extents filler Preview)
read -r sx sy sw sh <<<"$sheet"
read -r px py _ _ <<<"$preview"
[ "$px" -eq "$sx" ] && [ "$py" -eq $((sy + sh)) ] ||
  fail "preview at $px,$py, not under the sheet's bottom-left corner $sx,$((sy + sh))"
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
ok "picking neon_glow.sty shows the Image tab${question:+ (answered No to '$question')}"

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
grep -E '^[0-9]+ ' "$work/layer2.txt" | diff "$work/style.txt" - >/dev/null ||
  fail "layer 2's effects are not neon_glow.sty's: $(diff "$work/style.txt" <(grep -E '^[0-9]+ ' "$work/layer2.txt"))"
ok "vornel reads the project back: the typed message with neon_glow.sty's effects"

references=()
for type in gif16:gif gif256:gif jpg:jpg bmp:bmp; do
  "$vornel" render --app-dir "$work/app" --project "$project" --type "${type%:*}" \
    -o "$work/cli_${type%:*}" >/dev/null || fail "vornel render --type ${type%:*} of the saved project"
  references+=("$work/cli_${type%:*}.${type#*:}")
done
"$python" "$here/check_saved.py" "${saved[gif16]}" "${saved[gif256]}" "${saved[jpg]}" \
  "${saved[bmp]}" "${references[@]}" | sed 's/^/  /' || fail "the saved pictures"

# ---- closing ----------------------------------------------------------------------------
wid=""
for w in $(xdotool search --onlyvisible --pid "$app" --name '^Hello Vornel 1\.0$'); do
  geometry=$(xdotool getwindowgeometry --shell "$w" | grep -E '^(X|Y|WIDTH|HEIGHT)=' | cut -d= -f2 | xargs)
  [ "$geometry" = "$sx $sy $sw $sh" ] && wid=$w
done
[ -n "$wid" ] || fail "no X window with the sheet's geometry $sx $sy $sw $sh"
drv close-window "$wid"
question=$(drv answer "Warning!" No until-gone frame "Hello Vornel 1.0")
program_ended() { ! kill -0 "$app" 2>/dev/null; }
poll 10 program_ended || fail "the program still runs after closing its window"
code=0
wait "$app" || code=$?
app=""
[ "$code" -eq 0 ] || fail "the program exited with status $code"
ok "WM_DELETE_WINDOW closed the window, exit status 0${question:+ (answered No to '$question')}"

ini=$XDG_CONFIG_HOME/hellovornel/hellovornel.ini
[ -s "$ini" ] || fail "no $ini"
# The file has CRLF line ends, like the program's other text files.
place=$(tr -d '\r' <"$ini" | awk '/^\[/{section=$0} section=="[window]" && /^[xy]=/' | xargs)
[ "$place" = "x=$sx y=$sy" ] || fail "the window's place in $ini reads '$place', not x=$sx y=$sy"
ok "the window's place ($sx,$sy) went to \$XDG_CONFIG_HOME/hellovornel/hellovornel.ini"
echo "ui session: all checks passed"
