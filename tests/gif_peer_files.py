"""Makes GIF files with independent tools (PIL, ImageMagick, giflib's gifbuild) for the
GIF reader tests. Every picture follows one formula, which the tests recompute:

    index(x, y) = (7 * x + 13 * y + salt) % colours
    colour(i)   = ((37 * i + 11) % 256, (91 * i + 3) % 256, (53 * i + 7) % 256)

Usage: gif_peer_files.py OUTDIR [--imagemagick] [--gifbuild]
"""
import subprocess
import sys

from PIL import Image


def colour(i):
    return ((37 * i + 11) % 256, (91 * i + 3) % 256, (53 * i + 7) % 256)


def indices(w, h, n, salt):
    return [(7 * x + 13 * y + salt) % n for y in range(h) for x in range(w)]


def pil_picture(w, h, n, salt):
    im = Image.new("P", (w, h))
    im.putpalette([c for i in range(n) for c in colour(i)])
    im.putdata(indices(w, h, n, salt))
    return im


def ppm(path, w, h, n, salt):
    data = bytearray()
    for i in indices(w, h, n, salt):
        data += bytes(colour(i))
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (w, h) + data)


def gifbuild_text(w, h, n, salt, interlaced):
    lines = ["screen width %d" % w, "screen height %d" % h, "screen colors %d" % n, "image",
             "image map"]
    lines += ["\trgb %d %d %d" % colour(i) for i in range(n)]
    lines.append("end")
    if interlaced:
        lines.append("image interlaced")
    lines.append("image bits %d by %d hex" % (w, h))
    idx = indices(w, h, n, salt)
    for y in range(h):
        lines.append("".join("%02x" % v for v in idx[y * w:(y + 1) * w]))
    return "\n".join(lines) + "\n"


def main():
    out = sys.argv[1]
    for bits in range(1, 9):
        n = 1 << bits
        for interlace in (False, True):
            name = "%s/pil_b%d_%s.gif" % (out, bits, "i" if interlace else "p")
            pil_picture(31, 19, n, bits).save(name, interlace=interlace)

    frames = [pil_picture(24, 20, 64, salt) for salt in (5, 6, 7)]
    frames[0].save("%s/pil_frames.gif" % out, save_all=True, append_images=frames[1:],
                   comment=b"made for the reader tests", loop=0, duration=100)

    if "--imagemagick" in sys.argv:
        ppm("%s/im.ppm" % out, 23, 17, 256, 3)
        subprocess.check_call(["convert", "%s/im.ppm" % out, "-interlace", "GIF",
                               "%s/im_interlaced.gif" % out])
        for bits in (1, 2, 3, 5, 7):
            ppm("%s/im%d.ppm" % (out, bits), 13, 11, 1 << bits, bits)
            subprocess.check_call(["convert", "%s/im%d.ppm" % (out, bits), "-comment",
                                   "a comment", "%s/im_b%d.gif" % (out, bits)])

    if "--gifbuild" in sys.argv:
        for name, interlaced in (("gb_local_i", True), ("gb_local_p", False)):
            text = gifbuild_text(20, 19, 16, 2, interlaced)
            gif = subprocess.run(["gifbuild"], input=text.encode(), stdout=subprocess.PIPE,
                                 check=True).stdout
            with open("%s/%s.gif" % (out, name), "wb") as f:
                f.write(gif)


if __name__ == "__main__":
    main()
