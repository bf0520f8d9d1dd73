"""Recomputes the entropy-coded scan of JPEG files written by our encoder from the RGB
pixels stored next to each file (NAME.rgb, top row first), reading the quantisation and
Huffman tables from the file itself. The steps are written out plainly: single-precision
colour constants, the direct double-sum transform over a cosine table rounded to four
decimals with C(0) = 0.7071, truncation towards zero, zig-zag reordering, integer
division, DC differences, ZRL runs, EOB only when the last coefficient is zero, 0xFF
stuffing and zero-bit padding. Prints MATCH when every scan agrees byte for byte."""
import struct
import sys

COS = [1, 0.9808, 0.9239, 0.8315, 0.7071, 0.5556, 0.3827, 0.1951]
ZIGZAG = [0, 1, 5, 6, 14, 15, 27, 28, 2, 4, 7, 13, 16, 26, 29, 42, 3, 8, 12, 17, 25, 30, 41, 43,
          9, 11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51,
          55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63]


def f32(x):
    return struct.unpack('f', struct.pack('f', x))[0]


def cos4(k, n):
    """cos((2n + 1) k pi / 16) from the four-decimal table."""
    a = ((2 * n + 1) * k) % 32
    if a > 16:
        a = 32 - a
    sign = 1
    if a > 8:
        a = 16 - a
        sign = -1
    return sign * COS[a]


def parse(d):
    pos = 2
    quant = {}
    huff = {}
    while True:
        marker = d[pos + 1]
        length = d[pos + 2] << 8 | d[pos + 3]
        seg = d[pos + 4:pos + 2 + length]
        if marker == 0xDB:
            quant[seg[0]] = list(seg[1:65])
        if marker == 0xC4:
            p = 0
            while p < len(seg):
                counts = seg[p + 1:p + 17]
                symbols = seg[p + 17:p + 17 + sum(counts)]
                table = {}
                code = k = 0
                for length_bits in range(1, 17):
                    for _ in range(counts[length_bits - 1]):
                        table[symbols[k]] = (code, length_bits)
                        code += 1
                        k += 1
                    code <<= 1
                huff[seg[p]] = table
                p += 17 + sum(counts)
        if marker == 0xC0:
            height = seg[1] << 8 | seg[2]
            width = seg[3] << 8 | seg[4]
        if marker == 0xDA:
            return quant, huff, width, height, pos + 2 + length
        pos += 2 + length


def encode(rgb, w, h, quant, huff):
    pw = (w + 7) // 8 * 8
    ph = (h + 7) // 8 * 8
    yr, yg, yb = f32(0.299), f32(0.587), f32(0.114)
    cbr, cbg, crg, crb = f32(0.1687), f32(0.3313), f32(0.4187), f32(0.0813)
    planes = [[[0] * pw for _ in range(ph)] for _ in range(3)]

    def limit(v):
        return int(min(255.0, max(0.0, v)))

    for y in range(h):
        for x in range(w):
            r, g, b = rgb[(y * w + x) * 3:(y * w + x) * 3 + 3]
            planes[0][y][x] = limit(yr * r + yg * g + yb * b) - 128
            planes[1][y][x] = limit(0.5 * b - (cbr * r + cbg * g) + 128) - 128
            planes[2][y][x] = limit(0.5 * r - crg * g - crb * b + 128) - 128
    out = bytearray()
    acc = [0, 0]

    def put(value, n):
        for i in range(n - 1, -1, -1):
            acc[0] = acc[0] << 1 | (value >> i) & 1
            acc[1] += 1
            if acc[1] == 8:
                out.append(acc[0])
                if acc[0] == 0xFF:
                    out.append(0)
                acc[0] = acc[1] = 0

    def low_bits(v, cat):
        if cat:
            put((v - 1 if v < 0 else v) & ((1 << cat) - 1), cat)

    pred = [0, 0, 0]
    for by in range(0, ph, 8):
        for bx in range(0, pw, 8):
            for c in range(3):
                s = planes[c]
                coef = [0] * 64
                for v in range(8):
                    for u in range(8):
                        t = 0.0
                        for y in range(8):
                            for x in range(8):
                                t += s[by + y][bx + x] * cos4(u, x) * cos4(v, y)
                        cv = 0.7071 if v == 0 else 1.0
                        cu = 0.7071 if u == 0 else 1.0
                        coef[v * 8 + u] = int(0.25 * cv * cu * t)
                zz = [0] * 64
                for k in range(64):
                    zz[ZIGZAG[k]] = coef[k]
                table = quant[0 if c == 0 else 1]
                zz = [int(zz[i] / table[i]) for i in range(64)]
                dc = huff[0x00 if c == 0 else 0x01]
                ac = huff[0x10 if c == 0 else 0x11]
                diff = zz[0] - pred[c]
                pred[c] = zz[0]
                cat = abs(diff).bit_length()
                put(*dc[cat])
                low_bits(diff, cat)
                run = 0
                for k in range(1, 64):
                    if zz[k] == 0:
                        run += 1
                        continue
                    while run >= 16:
                        put(*ac[0xF0])
                        run -= 16
                    cat = abs(zz[k]).bit_length()
                    put(*ac[run * 16 + cat])
                    low_bits(zz[k], cat)
                    run = 0
                if zz[63] == 0:
                    put(*ac[0])
    while acc[1]:
        put(0, 1)
    return bytes(out)


def main():
    for path in sys.argv[1:]:
        data = open(path, 'rb').read()
        quant, huff, w, h, start = parse(data)
        ref = encode(open(path + '.rgb', 'rb').read(), w, h, quant, huff)
        got = data[start:-2]
        if ref != got or data[-2:] != b'\xff\xd9':
            n = next((i for i in range(min(len(ref), len(got))) if ref[i] != got[i]),
                     min(len(ref), len(got)))
            print(path, 'differs at scan byte', n, 'lengths', len(ref), len(got))
            return 1
    print('MATCH')
    return 0


sys.exit(main())
