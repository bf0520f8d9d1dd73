#!/usr/bin/python3
"""check_road.py — checks of the pictures and projects that road.sh made in the window.

usage:
  check_road.py same WINDOW CLI WHAT
      the window's file equals the command line's render of the saved project: byte for
      byte, else pixel for pixel (palette, transparency and all)
  check_road.py look WINDOW BUNDLED WHAT
      the window's picture shows, pixel for pixel, the bundled example's render
  check_road.py button NORMAL PRESSED
      a transparent 256-colour GIF button and its pressed twin
  check_road.py opaque BMP R G B
      a 24-bit BMP whose left corners are the background colour R G B
  check_road.py projects BUNDLED MADE
      `vornel project` of the bundled example against the made project's: what shapes
      the picture must agree; the rest is listed as "differs"

The files are read by PIL, not by the project's decoders. One line per check; exit
status 1 on the first that fails."""
import sys

from PIL import Image, ImageChops


def fail(text):
    print(f"FAIL {text}")
    sys.exit(1)


def ok(text):
    print(f"ok   {text}")


def loaded(path):
    image = Image.open(path)
    image.load()
    return image


def pixels_equal(a, b):
    """Equal size and colours, and for palette pictures the same transparent colour."""
    if a.size != b.size:
        return f"sizes {a.size} and {b.size}"
    box = ImageChops.difference(a.convert("RGB"), b.convert("RGB")).getbbox()
    if box is not None:
        return f"colours differ within {box}"
    if a.mode == "P" or b.mode == "P":
        ta, tb = a.info.get("transparency"), b.info.get("transparency")
        ca = None if ta is None else a.getpalette()[3 * ta:3 * ta + 3]
        cb = None if tb is None else b.getpalette()[3 * tb:3 * tb + 3]
        if ca != cb:
            return f"transparent colours {ca} and {cb}"
    return None


def same(window, cli, what):
    with open(window, "rb") as f:
        made = f.read()
    with open(cli, "rb") as f:
        reference = f.read()
    if made == reference:
        ok(f"{what}: byte for byte the command line's render of the saved project")
        return
    why = pixels_equal(loaded(window), loaded(cli))
    if why:
        fail(f"{what}: the window's file is not the command line's render of the saved project: {why}")
    ok(f"{what}: pixel for pixel the command line's render of the saved project "
       f"({len(made)} and {len(reference)} bytes)")


def look(window, bundled, what):
    why = pixels_equal(loaded(window), loaded(bundled))
    if why:
        fail(f"{what}: the window's picture is not the bundled example's: {why}")
    ok(f"{what}: pixel for pixel the render of the bundled example")


def button(normal, pressed):
    pictures = [loaded(normal), loaded(pressed)]
    for path, image in zip((normal, pressed), pictures):
        if image.format != "GIF" or image.mode != "P":
            fail(f"{path}: {image.format} {image.mode}, not a palette GIF")
        # The background (white) sits at palette entry 0, which is the transparent one.
        if image.info.get("transparency") != 0:
            fail(f"{path}: transparent index {image.info.get('transparency')}, not 0")
        if image.getpalette()[:3] != [255, 255, 255]:
            fail(f"{path}: palette entry 0 is {image.getpalette()[:3]}, not white")
        w, h = image.size
        # The round box's corners are cut away: background there.
        corners = [image.getpixel(p) for p in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1))]
        if corners != [0, 0, 0, 0]:
            fail(f"{path}: corner indices {corners}, not the transparent 0")
        used = len(image.getcolors(256) or [])
        if used < 16:
            fail(f"{path}: only {used} colours: no shaded button")
    if pictures[0].size != pictures[1].size:
        fail(f"the pressed twin is {pictures[1].size}, the button {pictures[0].size}")
    if pixels_equal(*pictures) is None:
        fail("the pressed twin is the button itself")
    ok(f"{normal} and its pressed twin: {pictures[0].size[0]}x{pictures[0].size[1]} palette "
       "GIFs, white entry 0 transparent in the corners, the twin differs")


def opaque(path, r, g, b):
    image = loaded(path)
    if image.format != "BMP" or image.mode != "RGB":
        fail(f"{path}: {image.format} {image.mode}, not a true-colour BMP")
    w, h = image.size
    want = (int(r), int(g), int(b))
    # The right-hand corners catch the star glints of the last letter.
    corners = [image.getpixel(p) for p in ((0, 0), (0, h - 1))]
    if any(c != want for c in corners):
        fail(f"{path}: left corners {corners}, not the background {want}")
    ok(f"{path}: {w}x{h} true-colour BMP on the background {want}")


def layers(path):
    """{'layer 0': [lines], ..., 'rest': [lines]} of a `vornel project` listing."""
    parts, key = {"rest": []}, "rest"
    for line in open(path).read().splitlines():
        if line.startswith("layer "):
            key = " ".join(line.split()[:2])
            parts[key] = [line]
        elif line.startswith(("background", "templatefactors")):
            key = "rest"
            parts[key].append(line)
        else:
            parts[key].append(line)
    return parts


# Installed faces metric-compatible with the ones the examples name; fontconfig gives
# the named ones these, so the pictures agree.
STAND_INS = {"Arial": "Liberation Sans", "Times New Roman": "Liberation Serif"}


def projects(bundled_path, made_path):
    bundled, made = layers(bundled_path), layers(made_path)
    if bundled.keys() != made.keys():
        fail(f"parts {sorted(made)} instead of {sorted(bundled)}")
    differs = []
    for key in sorted(bundled):
        a, b = bundled[key], made[key]
        if len(a) != len(b):
            fail(f"{key}: {len(b)} lines instead of {len(a)}:\n  " + "\n  ".join(b))
        drawn_text = key == "layer 2" or " kind 0 " in a[0] or " kind 3 " in a[0]
        for la, lb in zip(a, b):
            if la == lb:
                continue
            if la.startswith("font ") and lb.startswith("font "):
                fa, fb = la.split(" ", 9), lb.split(" ", 9)
                stand_in = STAND_INS.get(fa[9]) == fb[9]
                if drawn_text and not (fa[:9] == fb[:9] and stand_in):
                    fail(f"{key}: '{lb}' instead of '{la}'")
                differs.append(f"{key}: {lb!r} where the example has {la!r}"
                               + ("" if drawn_text else " (no text drawn in this kind)"))
                continue
            fail(f"{key}: '{lb}' instead of '{la}'")
    for line in differs:
        print(f"     differs {line}")
    ok("the made project has the example's kinds, texts, boxes, effects, background and "
       f"factors ({len(differs)} font line(s) differ)")


def main(argv):
    commands = {"same": (same, 3), "look": (look, 3), "button": (button, 2),
                "opaque": (opaque, 4), "projects": (projects, 2)}
    if not argv or argv[0] not in commands or len(argv) != commands[argv[0]][1] + 1:
        sys.exit(__doc__)
    command, _ = commands[argv[0]]
    command(*argv[1:])


if __name__ == "__main__":
    main(sys.argv[1:])
