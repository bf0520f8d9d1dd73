"""Recomputes the LZW data of GIF files written by our encoder, from the raw pixel
indices stored next to each file (NAME.raw), with the hashed compressor worked out
step by step: 5003-slot table, hash (c << 4) ^ prefix, key (c << 12) + prefix, probe
step 5003 - i (1 at slot 0), a stored key of 0 ending a probe, a clear code once 4096
codes are in use, and 254-byte sub-blocks. Prints MATCH when every file agrees byte for
byte, else the first file and offset that differ."""
import sys


def lzw(pixels, initbits):
    clear = 1 << (initbits - 1)
    end = clear + 1
    st = dict(free=clear + 2, bits=initbits, limit=(1 << initbits) - 1, clearflag=False,
              acc=0, nacc=0)
    keys = [-1] * 5003
    codes = [0] * 5003
    out = bytearray()
    pkt = bytearray()

    def byte(b):
        pkt.append(b)
        if len(pkt) == 254:
            out.append(254)
            out.extend(pkt)
            pkt.clear()

    def emit(code):
        st['acc'] |= code << st['nacc']
        st['nacc'] += st['bits']
        while st['nacc'] >= 8:
            byte(st['acc'] & 255)
            st['acc'] >>= 8
            st['nacc'] -= 8
        if st['free'] > st['limit'] or st['clearflag']:
            if st['clearflag']:
                st['bits'] = initbits
                st['limit'] = (1 << initbits) - 1
                st['clearflag'] = False
            else:
                st['bits'] += 1
                st['limit'] = 4096 if st['bits'] == 12 else (1 << st['bits']) - 1
        if code == end:
            while st['nacc'] > 0:
                byte(st['acc'] & 255)
                st['acc'] >>= 8
                st['nacc'] -= 8
            if pkt:
                out.append(len(pkt))
                out.extend(pkt)
                pkt.clear()

    emit(clear)
    prefix = pixels[0]
    for c in pixels[1:]:
        key = (c << 12) + prefix
        i = (c << 4) ^ prefix
        if keys[i] == key:
            prefix = codes[i]
            continue
        found = False
        if keys[i] >= 0:
            step = 1 if i == 0 else 5003 - i
            while True:
                i -= step
                if i < 0:
                    i += 5003
                if keys[i] == key:
                    found = True
                    break
                if not keys[i] > 0:
                    break
        if found:
            prefix = codes[i]
            continue
        emit(prefix)
        if st['free'] < 4096:
            codes[i] = st['free']
            keys[i] = key
            st['free'] += 1
        else:
            keys[:] = [-1] * 5003
            st['free'] = clear + 2
            st['clearflag'] = True
            emit(clear)
        prefix = c
    emit(prefix)
    emit(end)
    return bytes(out)


def main():
    for path in sys.argv[1:]:
        data = open(path, 'rb').read()
        bits = (data[10] & 7) + 1
        pos = 13 + 3 * (1 << bits) + 8 + 10
        ref = lzw(list(open(path + '.raw', 'rb').read()), data[pos] + 1)
        got = data[pos + 1:-2]
        if ref != got or data[-2:] != b'\x00\x3b':
            n = next((i for i in range(min(len(ref), len(got))) if ref[i] != got[i]),
                     min(len(ref), len(got)))
            print(path, 'differs at data byte', n, 'lengths', len(ref), len(got))
            return 1
    print('MATCH')
    return 0


sys.exit(main())
