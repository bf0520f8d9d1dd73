# shellcheck shell=bash
# Sourced by the scripts that run the real window headless (tests/ui/session.sh,
# scripts/make-screenshots.sh): a private Xvfb inside a D-Bus session of its own, with
# a fresh home, runtime folder and configuration, AT-SPI switched on, and the helpers
# that drive the window through driver.py and xdotool.
#
# A script calls headless_outer first. The script is then run again inside the bus as
# `SCRIPT --inside WORK ARGS...`, where it calls headless_inner WORK and starts the
# program with headless_start_program.

headless_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
headless_python=/usr/bin/python3

# Exits 77 when a tool the headless run needs is missing.
headless_check_tools() {
  local tool module
  for tool in Xvfb dbus-run-session dbus-send xdotool timeout; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
  done
  for module in pyatspi PIL; do
    "$headless_python" -c "import $module" 2>/dev/null || {
      echo "skipped: no python3 module $module"
      exit 77
    }
  done
}

# headless_outer SECONDS SCRIPT ARGS... runs `bash SCRIPT --inside WORK ARGS...` in a
# fresh D-Bus session for at most SECONDS and exits with its status. WORK is a new
# folder, removed afterwards; WORK/out is the program's working folder.
headless_outer() {
  local seconds=$1 script=$2
  shift 2
  headless_check_tools
  headless_work=$(mktemp -d)
  # The inner run writes the id and name of each process it starts here; whatever is
  # still running when it ends (a timeout, a crash) is ended by id, once its name shows
  # the id was not handed on to another process.
  : >"$headless_work/pids"
  trap headless_outer_cleanup EXIT
  mkdir -p "$headless_work/home" "$headless_work/runtime" "$headless_work/out"
  chmod 700 "$headless_work/runtime"
  # Parallel runs and earlier runs never meet: each has its own bus sockets, display
  # and preferences.
  export HOME=$headless_work/home XDG_RUNTIME_DIR=$headless_work/runtime
  export XDG_CONFIG_HOME=$headless_work/home/.config
  unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
  local status=0
  # The bus daemons' chatter goes to a log, the script's own output through fds 3 and 4.
  # Waited for in the background, so that a signal to this script ends it at once.
  timeout -k 5 "$seconds" dbus-run-session -- bash "$script" --inside "$headless_work" "$@" \
    3>&2 4>&1 >"$headless_work/dbus.log" 2>&1 &
  headless_session=$!
  trap 'kill "$headless_session" 2>/dev/null; exit 1' TERM INT HUP
  wait "$headless_session" || status=$?
  [ "$status" -ne 124 ] || echo "FAIL the run did not end within $seconds s" >&2
  exit "$status"
}

headless_outer_cleanup() {
  local pid name
  while read -r pid name; do
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "${name:0:15}" ] && kill -9 "$pid" 2>/dev/null || true
  done <"$headless_work/pids"
  # HEADLESS_KEEP=DIR keeps the run's files there, to look at after a failure.
  if [ -n "${HEADLESS_KEEP:-}" ]; then
    mkdir -p "$HEADLESS_KEEP" && cp -r "$headless_work"/out "$headless_work"/*.* "$HEADLESS_KEEP"/
    [ ! -d "$headless_work/screens" ] || cp -r "$headless_work/screens" "$HEADLESS_KEEP"/
  fi
  rm -rf "$headless_work"
}

# headless_inner WORK: inside the bus, restores the script's output, starts Xvfb and the
# accessibility bus. Sets work, DISPLAY; the program and Xvfb end with the script.
headless_inner() {
  exec 1>&4 2>&3 3>&- 4>&-
  work=$1
  app=""
  xvfb=""
  trap headless_inner_cleanup EXIT
  trap 'exit 1' TERM INT HUP
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  echo "$xvfb Xvfb" >>"$work/pids"
  poll 10 test -s "$work/display" || fail "Xvfb gave no display: $(cat "$work/xvfb.log")"
  DISPLAY=:$(head -n 1 "$work/display")
  export DISPLAY
  # The program finds AT-SPI only when the accessibility bus is up before it starts.
  timeout 10 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress >/dev/null || fail "no accessibility bus"
}

headless_inner_cleanup() {
  [ -z "$app" ] || kill "$app" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
}

# headless_start_program HELLOVORNEL APPDIR [ARGS...]: starts the window in WORK/out and
# waits for its sheet. Sets app (its process id, also DRIVER_PID for driver.py).
headless_start_program() {
  local program=$1 appdir=$2
  shift 2
  (cd "$work/out" && QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=generic \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$program" --app-dir "$appdir" "$@") \
    >"$work/app.log" 2>&1 &
  app=$!
  echo "$app $(basename "$program")" >>"$work/pids"
  export DRIVER_PID=$app
  drv wait frame "Hello Vornel 1.0"
}

# Failures go to stderr: a step that fails inside $(...) still shows its reason.
fail() {
  {
    echo "FAIL $*"
    # Qt's accessibility bridge complains about the file dialog's empty table: noise.
    [ ! -s "$work/app.log" ] ||
      grep -v 'QAccessibleTable::child: Invalid index' "$work/app.log" | sed 's/^/  program: /' | tail -n 20
  } >&2
  exit 1
}
ok() { echo "ok   $*"; }

drv() { timeout 30 "$headless_python" "$headless_dir/driver.py" "$@" || fail "driver.py $*"; }

# poll SECONDS COMMAND...: runs COMMAND every 20 ms until it succeeds, for at most SECONDS.
poll() {
  local tries=$(($1 * 50))
  shift
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.02
  done
}

# type_into ROLE NAME TEXT types TEXT into the widget, replacing what it holds, and waits
# until the program shows it: X input and AT-SPI are separate channels.
type_into() {
  drv click "$1" "$2"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --clearmodifiers --delay 15 -- "$3"
  drv expect-text "$1" "$2" "$3"
}

# save_dialog NAME answers Qt's save dialog (opening) with NAME, set as the text of
# "File name:": typing it would open the name completer's list when a file of the folder
# begins with NAME, and that list takes the click on Save.
save_dialog() {
  drv wait dialog "Save As"
  DRIVER_IN="dialog:Save As" drv settext text "File name:" "$1"
  DRIVER_IN="dialog:Save As" drv expect-text text "File name:" "$1"
  DRIVER_IN="dialog:Save As" drv click "push button" Save
  drv gone dialog "Save As"
}

# The X window of the sheet: the program's window with the sheet's geometry (the
# preview window bears the same title).
sheet_window() {
  local geometry w want
  want=$(drv extents frame "Hello Vornel 1.0")
  for w in $(xdotool search --onlyvisible --pid "$app" --name '^Hello Vornel 1\.0$'); do
    geometry=$(xdotool getwindowgeometry --shell "$w" | grep -E '^(X|Y|WIDTH|HEIGHT)=' | cut -d= -f2 | xargs)
    [ "$geometry" != "$want" ] || { echo "$w"; return 0; }
  done
  fail "no X window with the sheet's geometry $want"
}

# close_program: closes the sheet as a window manager's close button does, answers No
# to the question about unsaved changes if it comes (closing_question is set to it),
# and waits for the program to end. Fails unless the program exits with status 0.
# Not to be called inside $(...): only this shell can wait for the program.
close_program() {
  local code=0
  drv close-window "$(sheet_window)"
  # shellcheck disable=SC2034 # read by the caller
  closing_question=$(drv answer "Warning!" No until-gone frame "Hello Vornel 1.0")
  poll 10 program_ended || fail "the program still runs after its window was closed"
  wait "$app" || code=$?
  app=""
  [ "$code" -eq 0 ] || fail "the program exited with status $code"
}
program_ended() { ! kill -0 "$app" 2>/dev/null; }

# choose_font FAMILY STYLE POINTS answers Qt's font dialog (opening): the family and the
# style picked from their lists, the size typed. Qt lists only installed families, so a
# face such as Arial is reached through its installed stand-in (Liberation Sans).
choose_font() {
  drv wait dialog Font
  DRIVER_IN=dialog:Font drv pick - "$1"
  DRIVER_IN=dialog:Font drv pick - "$2"
  DRIVER_IN=dialog:Font type_into text Size "$3"
  DRIVER_IN=dialog:Font drv click "push button" OK
  drv gone dialog Font
}

# pick_style STYLE picks STYLE in the showing "Vornel Style" list, answers No if the
# program asks about saving the style it leaves, and waits for the selection.
pick_style() {
  drv pick "Vornel Style" "$1"
  drv answer "Warning!" No until-state "list item" "$1" selected >/dev/null
}

# round_box_factors X Y RX RY types the four factors (in the tenths the boxes show) into
# the Round Box dialog (opening) and confirms it.
round_box_factors() {
  local caption="Effect : Rectangle" name value
  drv wait dialog "$caption"
  for name in "Size X(dot)" "Size Y(dot)" "Round X(%)" "Round Y(%)"; do
    value=$1
    shift
    DRIVER_IN="dialog:$caption" type_into text "$name value" "$value"
  done
  DRIVER_IN="dialog:$caption" drv click "push button" OK
  drv gone dialog "$caption"
}

# slider_from_minimum DIALOG SLIDER COUNT moves the slider with its own keys: a click
# focuses it (and may step it), Home takes it to its minimum, then COUNT steps of Right.
slider_from_minimum() {
  DRIVER_IN="dialog:$1" drv click slider "$2"
  xdotool key --clearmodifiers Home
  [ "$3" -eq 0 ] || xdotool key --clearmodifiers --repeat "$3" --delay 15 Right
}
