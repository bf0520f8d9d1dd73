#!/usr/bin/python3
"""driver.py — find and drive hellovornel's widgets through AT-SPI2, one step a call.

usage: driver.py [--in ROLE:NAME] COMMAND [ARGS]
  --in ROLE:NAME              look only inside the showing top-level window ROLE NAME
                              (a dialog over others with buttons of the same names)
  app                         wait until the program is on the accessibility bus
  dump                        print its tree: role 'name' @x,y wxh [states]
  wait ROLE NAME              wait until a showing widget matches
  gone ROLE NAME              wait until no showing widget matches
  click ROLE NAME             real mouse click (xdotool) at the widget's centre
  dclick ROLE NAME            real double click at the widget's centre
  press ROLE NAME [ACTION]    run an AT-SPI action (default Press) and wait for its reply
  fire ROLE NAME [ACTION]     run it without waiting (an action that opens a modal dialog)
  text ROLE NAME              print the widget's text
  settext ROLE NAME TEXT      replace the widget's text
  expect-text ROLE NAME TEXT  wait until the text equals TEXT
  expect-match ROLE NAME RE   wait until the text matches the regular expression RE
  expect-state ROLE NAME ST   wait until the widget has state ST (checked, selected ...)
  has-state ROLE NAME ST      print yes or no: whether the widget has state ST now
  value ROLE NAME             print the current value of a slider (or other ranged widget)
  expect-value ROLE NAME V    wait until the value is V
  items ROLE NAME             print the names of the widget's list items, one a line
  expect-items ROLE NAME A,B  wait until the list items read A, B ... in order ('' none)
  pick LIST ITEM [double]     click (or double click) the item ITEM of the list named
                              LIST, scrolling it into view with the mouse wheel first;
                              LIST may be '-' for the list that holds ITEM (Qt's dialogs
                              leave theirs unnamed)
  answer CAPTION BUTTON until-state ROLE NAME STATE
  answer CAPTION BUTTON until-gone ROLE NAME
                              wait for the condition, answering each message box titled
                              CAPTION with BUTTON meanwhile; print the questions answered
  extents ROLE NAME           print "x y w h" in screen coordinates
  close-window WID            send WM_DELETE_WINDOW to the X window WID, as a window
                              manager's close button does

ROLE and NAME are AT-SPI role names and accessible names; NAME may be '-' for any.
Menu items of closed menus are found too (they are never showing). Every wait gives
up after DRIVER_TIMEOUT seconds (default 10) with exit status 1.
DRIVER_APP names the application (default hellovornel), DRIVER_PID picks its process,
DRIVER_IN=ROLE:NAME does what --in does.
"""
import ctypes
import os
import re
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
import pyatspi  # noqa: E402
from gi.repository import Atspi  # noqa: E402

TIMEOUT = float(os.environ.get("DRIVER_TIMEOUT", "10"))
APP = os.environ.get("DRIVER_APP", "hellovornel")
PID = int(os.environ["DRIVER_PID"]) if os.environ.get("DRIVER_PID") else None
# (role, name) of the top-level window that every search is limited to: --in, else
# DRIVER_IN (ROLE:NAME, for a shell function's calls of the driver).
WITHIN = tuple(os.environ["DRIVER_IN"].split(":", 1)) if os.environ.get("DRIVER_IN") else None
POLL = 0.03


class Failed(Exception):
    pass


def alive(pid):
    """False once the process has ended, as a zombie too: the shell that started it
    collects it only after the driver gives up."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            # The state follows the parenthesised command name.
            return f.read().rsplit(")", 1)[1].split()[0] not in ("Z", "X")
    except (OSError, IndexError):
        return False


def until(what, probe, timeout=TIMEOUT, ended=None):
    """Poll probe() until it returns something true; return that, or fail naming what.
    When the program ends meanwhile, return ended if it is given (a wait for something
    to go is then over), else fail."""
    end = time.monotonic() + timeout
    while True:
        try:
            got = probe()
        except Exception:  # an object that vanished while being read
            got = None
        if got:
            return got
        if PID is not None and not alive(PID):
            if ended is not None:
                return ended
            raise Failed(f"the program (process {PID}) ended while waiting for "
                         f"{what() if callable(what) else what}")
        if time.monotonic() > end:
            what = what() if callable(what) else what
            raise Failed(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(POLL)


def applications():
    """The program's application objects. The registry may list one process twice;
    the copies with children come first."""
    desk = pyatspi.Registry.getDesktop(0)
    found = []
    for i in range(desk.childCount):
        a = desk.getChildAtIndex(i)
        try:
            if a is not None and a.name == APP and (PID is None or a.get_process_id() == PID):
                found.append(a)
        except Exception:
            pass
    return sorted(found, key=lambda a: -a.childCount)


def states(acc):
    return {pyatspi.stateToString(s) for s in acc.getState().getStates()}


MENU_ROLES = {"menu", "popup menu", "menu item", "separator"}


def walk(root, pruned=False):
    """root and its descendants; pruned leaves out what is hidden (but closed menus),
    which spares the walk the hidden pages and the file dialog's folder views."""
    stack = [root]
    while stack:
        acc = stack.pop()
        if acc is None:
            continue
        if pruned and acc is not root:
            try:
                if "showing" not in states(acc) and acc.getRoleName() not in MENU_ROLES:
                    continue
            except Exception:
                continue
        yield acc
        try:
            stack.extend(acc.getChildAtIndex(i) for i in reversed(range(acc.childCount)))
        except Exception:
            pass


def roots():
    """Where searches start: the applications, or the --in window of the first that has
    it showing."""
    if WITHIN is None:
        return applications()
    role, name = WITHIN
    for app in applications():
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            try:
                if (window is not None and window.getRoleName() == role and window.name == name
                        and "showing" in states(window)):
                    return [window]
            except Exception:
                pass
    return []


def matches(role, name):
    """Every matching widget: the showing ones, plus menu items of closed menus."""
    hits = []
    for root in roots():
        for acc in walk(root, pruned=True):
            try:
                if role != "-" and acc.getRoleName() != role:
                    continue
                if name != "-" and acc.name != name:
                    continue
                if "showing" in states(acc) or acc.getRoleName() == "menu item":
                    hits.append(acc)
            except Exception:
                pass
    hits.sort(key=lambda a: "showing" not in states(a))
    return hits


def one(role, name):
    hits = until(f"{role} {name!r}", lambda: matches(role, name))
    return hits[0]


def extents(acc):
    return tuple(acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS))


def click_at(x, y, button=1, repeat=1):
    # No --sync: it waits for the pointer to move, forever when it is already there.
    # The server takes the move and the click in order anyway.
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(repeat),
                    "--delay", "60", str(button)], check=True, timeout=TIMEOUT)


def click(acc, repeat=1):
    x, y, w, h = extents(acc)
    if w <= 0 or h <= 0:
        raise Failed(f"{acc.getRoleName()} {acc.name!r} has no area on the screen")
    click_at(x + w // 2, y + h // 2, repeat=repeat)


def list_items(acc):
    return [c.name for c in walk(acc) if c is not acc and c.getRoleName() == "list item"]


def action(acc, name, wait):
    act = acc.queryAction()
    names = [act.getName(i) for i in range(act.nActions)]
    if name not in names:
        raise Failed(f"{acc.getRoleName()} {acc.name!r} has no action {name} (has {names})")
    if wait:
        act.doAction(names.index(name))
        return
    # Qt answers an action only when it returns, which for one that opens a modal
    # dialog is when the dialog closes: send it with a short reply timeout instead.
    Atspi.set_timeout(300, 0)
    try:
        act.doAction(names.index(name))
    except Exception:
        pass


def text_of(acc):
    return acc.queryText().getText(0, -1)


def pick(list_name, item_name, repeat=1):
    """A real click on a list item; a wheel turn over the list while it is not in view."""
    holds = lambda box: [c for c in walk(box) if c.name == item_name and c.getRoleName() == "list item"]
    box = until(f"list {list_name!r} with an item {item_name!r}",
                lambda: next((b for b in matches("list", list_name) if holds(b)), None))
    x, y, w, h = extents(box)
    wanted = lambda: holds(box)
    item = until(f"item {item_name!r} of {list_name!r}", wanted)[0]
    # Wheel down first, then up: 4 is up, 5 down.
    for button in [5] * 40 + [4] * 80:
        if "showing" in states(item):
            iy, ih = extents(item)[1], extents(item)[3]
            if y <= iy and iy + ih <= y + h:
                break
        click_at(x + w // 2, y + h // 2, button)
        time.sleep(POLL)
        item = wanted()[0]
    else:
        raise Failed(f"item {item_name!r} of {list_name!r} never came into view")
    # No wait for the selection here: the program may ask a question first.
    click(item, repeat)


def answer(caption, button, condition, what, ended=None):
    """Wait until condition() holds, answering each alert titled caption that comes
    meanwhile with button. Print the questions answered."""
    asked = []

    def settled():
        alerts = matches("alert", caption)
        if not alerts:
            return condition()
        box = alerts[0]
        asked.append(" ".join(c.name for c in walk(box) if c.getRoleName() == "label"))
        click(next(c for c in walk(box) if c.getRoleName() == "push button" and c.name == button))
        until(f"alert {caption!r} to close", lambda: not matches("alert", caption))
        return False

    until(what, settled, ended=ended)
    if asked:
        print("; ".join(asked))


def close_window(wid):
    """ClientMessage WM_PROTOCOLS / WM_DELETE_WINDOW through libX11."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):  # XEvent is 24 longs long
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        raise Failed("cannot open the X display")
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = wid
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, wid, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def dump():
    for root in applications()[:1]:
        depth = {root: 0}
        for acc in walk(root):
            d = depth.get(acc, 0)
            for i in range(acc.childCount):
                depth[acc.getChildAtIndex(i)] = d + 1
            line = f"{'  ' * d}[{acc.getRoleName()}] {acc.name!r}"
            try:
                x, y, w, h = extents(acc)
                line += f" @{x},{y} {w}x{h}"
            except Exception:
                pass
            try:
                line += f" text={text_of(acc)!r}"
            except Exception:
                pass
            shown = sorted(states(acc) & {"checked", "selected", "focused", "showing", "enabled"})
            print(line, "{" + ",".join(shown) + "}")


def run(argv):
    global WITHIN
    if argv[:1] == ["--in"] and len(argv) > 1:
        # The role holds no colon; a name may ("Effect : Drop Shadow").
        WITHIN = tuple(argv[1].split(":", 1))
        argv = argv[2:]
    if not argv or argv[0] in ("-h", "--help"):
        print(__doc__)
        return 0 if argv else 2
    cmd, args = argv[0], argv[1:]
    if cmd == "close-window":
        close_window(int(args[0], 0))
        return 0
    # Waiting for something to go needs no program: it may have ended already.
    if cmd != "gone" and args[2:3] != ["until-gone"]:
        until(f"application {APP!r} on the bus", applications, max(TIMEOUT, 15))
    if cmd == "app":
        return 0
    if cmd == "dump":
        dump()
        return 0
    if cmd == "pick":
        pick(args[0], args[1], 2 if args[2:3] == ["double"] else 1)
        return 0
    if cmd == "answer":
        caption, button, until_what, role, name = args[:5]
        if until_what == "until-state":
            state = args[5]
            answer(caption, button,
                   lambda: any(state in states(a) for a in matches(role, name)),
                   f"{role} {name!r} to be {state}")
        elif until_what == "until-gone":
            answer(caption, button, lambda: not matches(role, name), f"{role} {name!r} to go",
                   ended=True)
        else:
            raise Failed(f"answer: {until_what} is neither until-state nor until-gone")
        return 0
    role, name, rest = args[0], args[1], args[2:]
    if cmd == "gone":
        until(f"{role} {name!r} to go", lambda: not matches(role, name) or None, ended=True)
        return 0
    acc = one(role, name)
    if cmd == "wait":
        pass
    elif cmd == "click":
        click(acc)
    elif cmd == "dclick":
        click(acc, repeat=2)
    elif cmd in ("press", "fire"):
        action(acc, rest[0] if rest else "Press", cmd == "press")
    elif cmd == "text":
        print(text_of(acc))
    elif cmd == "settext":
        acc.queryEditableText().setTextContents(rest[0])
    elif cmd == "expect-text":
        until(lambda: f"{role} {name!r} to read {rest[0]!r} (reads {text_of(acc)!r})",
              lambda: text_of(acc) == rest[0])
    elif cmd == "expect-match":
        until(lambda: f"{role} {name!r} to match {rest[0]!r} (reads {text_of(acc)!r})",
              lambda: re.fullmatch(rest[0], text_of(acc)))
    elif cmd == "expect-state":
        until(lambda: f"{role} {name!r} to be {rest[0]} (is {sorted(states(acc))})",
              lambda: rest[0] in states(acc))
    elif cmd == "has-state":
        print("yes" if rest[0] in states(acc) else "no")
    elif cmd == "value":
        print(f"{acc.queryValue().currentValue:g}")
    elif cmd == "expect-value":
        until(lambda: f"{role} {name!r} to have the value {rest[0]} "
                      f"(has {acc.queryValue().currentValue:g})",
              lambda: f"{acc.queryValue().currentValue:g}" == rest[0])
    elif cmd == "items":
        print("\n".join(list_items(acc)))
    elif cmd == "expect-items":
        want = rest[0].split(",") if rest[0] else []
        until(lambda: f"{role} {name!r} to list {want} (lists {list_items(acc)})",
              lambda: list_items(acc) == want or None)
    elif cmd == "extents":
        print(*extents(acc))
    else:
        print(f"driver.py: unknown command {cmd}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    try:
        sys.exit(run(sys.argv[1:]))
    except Exception as failure:  # Failed, or an object gone with its program
        print(f"driver.py {' '.join(sys.argv[1:])}: {failure}", file=sys.stderr)
        sys.exit(1)
