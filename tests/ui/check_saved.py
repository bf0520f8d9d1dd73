#!/usr/bin/python3
"""check_saved.py GIF16 GIF256 JPG BMP CLI_GIF16 CLI_GIF256 CLI_JPG CLI_BMP — the four
pictures the window saved show one picture in the four formats, and each is, pixel for
pixel, the one the command line made of the same type.

The files are read by PIL, not by the project's decoders. Prints one line per check;
exit status 1 on the first that fails."""
import math
import sys

from PIL import Image, ImageChops

MAGIC = {"GIF": (b"GIF87a", b"GIF89a"), "JPEG": (b"\xff\xd8\xff",), "BMP": (b"BM",)}


def fail(text):
    print(f"FAIL {text}")
    sys.exit(1)


def ok(text):
    print(f"ok   {text}")


def opened(path, format_name, extension):
    if not path.endswith(extension):
        fail(f"{path}: name does not end with {extension}")
    with open(path, "rb") as f:
        head = f.read(8)
    if not any(head.startswith(m) for m in MAGIC[format_name]):
        fail(f"{path}: starts with {head!r}, not a {format_name} signature")
    image = Image.open(path)
    if image.format != format_name:
        fail(f"{path}: PIL reads it as {image.format}, not {format_name}")
    image.load()
    return image


def colours(image):
    return len(image.convert("RGB").getcolors(maxcolors=1 << 24))


def psnr(a, b):
    """Peak signal-to-noise ratio of b against a over R, G and B, in dB."""
    diff = ImageChops.difference(a.convert("RGB"), b.convert("RGB"))
    # The histogram holds 256 counts per band, band after band.
    squares = sum(count * (i % 256) ** 2 for i, count in enumerate(diff.histogram()))
    mse = squares / (3 * a.width * a.height)
    return math.inf if mse == 0 else 10 * math.log10(255**2 / mse)


def main(gif16, gif256, jpg, bmp, *references):
    pictures = {
        "16 Color GIF": opened(gif16, "GIF", ".gif"),
        "256 Color GIF": opened(gif256, "GIF", ".gif"),
        "JPG(true color)": opened(jpg, "JPEG", ".jpg"),
        "Windows BMP": opened(bmp, "BMP", ".bmp"),
    }
    ok("each file has its format's signature, extension and PIL's reading of the format")

    sizes = {name: image.size for name, image in pictures.items()}
    if len(set(sizes.values())) != 1:
        fail(f"picture sizes differ: {sizes}")
    width, height = sizes["Windows BMP"]
    if width < 8 or height < 8:
        fail(f"a {width}x{height} picture is too small to be the message")
    ok(f"all four are {width}x{height}")

    used16 = colours(pictures["16 Color GIF"])
    used256 = colours(pictures["256 Color GIF"])
    if used16 > 16:
        fail(f"the 16-colour GIF uses {used16} colours")
    if used256 > 256:
        fail(f"the 256-colour GIF uses {used256} colours")
    if pictures["256 Color GIF"].mode != "P" or pictures["16 Color GIF"].mode != "P":
        fail("a GIF is not palette based")
    ok(f"the GIFs use {used16} and {used256} colours")

    truth = pictures["Windows BMP"].convert("RGB")
    if colours(truth) < 2:
        fail("the BMP is a single colour: nothing is drawn")
    # Floors under what the program's 256-colour reduction and JPEG encoder reach on a
    # neon message (about 23 and 27 dB) and over a copy moved by two pixels (about 15 dB).
    # The 16-colour reduction can lose the message's light colours altogether (9 dB):
    # it is held to the command line's file below instead.
    for name, floor in {"256 Color GIF": 18, "JPG(true color)": 22}.items():
        score = psnr(truth, pictures[name])
        if score < floor:
            fail(f"the {name} is not the BMP's picture: PSNR {score:.1f} dB < {floor} dB")
    ok("the 256-colour GIF and the JPEG show the BMP's picture (PSNR over the floors)")

    for (name, image), path in zip(pictures.items(), references):
        other = Image.open(path)
        other.load()
        if other.size != image.size:
            fail(f"{name}: the command line's is {other.size}, the window's {image.size}")
        box = ImageChops.difference(image.convert("RGB"), other.convert("RGB")).getbbox()
        if box is not None:
            fail(f"{name}: the window's file differs from the command line's within {box}")
    ok("each equals, pixel for pixel, the command line's render of the saved project")


if __name__ == "__main__":
    if len(sys.argv) != 9:
        sys.exit(__doc__)
    main(*sys.argv[1:])
