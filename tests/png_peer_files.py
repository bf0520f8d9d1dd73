"""Makes PNG files with PIL and, chunk by chunk with zlib, the kinds PIL cannot write
(16-bit colour, Adam7 interlacing, 2- and 4-bit samples), for the PNG reader tests.
Every picture follows formulas that the tests recompute:

    sample(x, y, c, salt) = (37 * x + 11 * y + 71 * c + salt) % 256     c: 0 red ... 3 alpha
    index(x, y, n, salt)  = (7 * x + 13 * y + salt) % n
    colour(i)             = ((37 * i + 11) % 256, (91 * i + 3) % 256, (53 * i + 7) % 256)
    opacity(i)            = (17 * i + 40) % 256
    sample16(x, y, c)     = (4099 * x + 7919 * y + 12345 * c + 6) % 65536

Usage: png_peer_files.py OUTDIR
"""
import struct
import sys
import zlib

from PIL import Image

W, H = 23, 17


def sample(x, y, c, salt):
    return (37 * x + 11 * y + 71 * c + salt) % 256


def index(x, y, n, salt):
    return (7 * x + 13 * y + salt) % n


def colour(i):
    return ((37 * i + 11) % 256, (91 * i + 3) % 256, (53 * i + 7) % 256)


def opacity(i):
    return (17 * i + 40) % 256


def sample16(x, y, c):
    return (4099 * x + 7919 * y + 12345 * c + 6) % 65536


def pil_files(out):
    def pixels(channels, salt):
        return [tuple(sample(x, y, c, salt) for c in channels) for y in range(H) for x in range(W)]

    for mode, channels, salt in (("RGB", (0, 1, 2), 1), ("RGBA", (0, 1, 2, 3), 2),
                                 ("LA", (0, 3), 4)):
        im = Image.new(mode, (W, H))
        im.putdata(pixels(channels, salt))
        im.save("%s/pil_%s.png" % (out, mode.lower()))
    im = Image.new("L", (W, H))
    im.putdata([sample(x, y, 0, 3) for y in range(H) for x in range(W)])
    im.save(out + "/pil_l.png")
    im = Image.new("P", (W, H))
    im.putpalette([v for i in range(16) for v in colour(i)])
    im.putdata([index(x, y, 16, 5) for y in range(H) for x in range(W)])
    im.save(out + "/pil_p_trns.png", transparency=bytes(opacity(i) for i in range(16)))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack_row(samples, depth):
    """Samples of one row, big-endian and bit-packed below 8 bits, after filter byte 0."""
    if depth == 16:
        return b"\0" + b"".join(struct.pack(">H", v) for v in samples)
    if depth == 8:
        return b"\0" + bytes(samples)
    row, acc, bits = bytearray(b"\0"), 0, 0
    for v in samples:
        acc, bits = acc << depth | v, bits + depth
        if bits == 8:
            row.append(acc)
            acc, bits = 0, 0
    if bits:
        row.append(acc << (8 - bits))
    return bytes(row)


ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
         (0, 1, 1, 2))


def hand_made(path, w, h, depth, colour_type, pixel, interlaced=False, before_idat=b""):
    """pixel(x, y) gives the samples of one pixel."""
    raw = b""
    passes = ADAM7 if interlaced else ((0, 0, 1, 1),)
    for x0, y0, dx, dy in passes:
        xs = range(x0, w, dx)
        if not xs:
            continue
        for y in range(y0, h, dy):
            raw += pack_row([v for x in xs for v in pixel(x, y)], depth)
    ihdr = struct.pack(">IIBBBBB", w, h, depth, colour_type, 0, 0, 1 if interlaced else 0)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + before_idat
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def main():
    out = sys.argv[1]
    pil_files(out)
    hand_made(out + "/raw_rgb16.png", 11, 7, 16, 2,
              lambda x, y: [sample16(x, y, c) for c in range(3)])
    hand_made(out + "/raw_adam7_rgba.png", 13, 11, 8, 6,
              lambda x, y: [sample(x, y, c, 7) for c in range(4)], interlaced=True)
    hand_made(out + "/raw_grey2.png", 9, 5, 2, 0, lambda x, y: [(x + 2 * y) % 4])
    plte = chunk(b"PLTE", bytes(v for i in range(16) for v in colour(i)))
    trns = chunk(b"tRNS", bytes(opacity(i) for i in range(5)))  # the other 11 entries opaque
    hand_made(out + "/raw_p4_trns.png", 10, 6, 4, 3, lambda x, y: [index(x, y, 16, 9)],
              before_idat=plte + trns)


if __name__ == "__main__":
    main()
