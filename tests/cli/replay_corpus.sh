#!/usr/bin/env bash
# Nothing runs away: every fuzz corpus file goes through the real program, to each verb
# that reads that kind of file, under the budget's limits (2 GB of address space, a
# generous time limit as a hang guard); and a few crafted inputs that once cost minutes
# and gigabytes must now be refused quickly, with a message naming the size they need.
# A run may succeed or fail with a reason (exit 0 or 1); running out of memory (3), a
# usage error (2), a signal or the time limit fails the test.
set -euo pipefail
vornel=$1
appdata=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "replay_corpus.sh: $*" >&2; exit 1; }

# Under AddressSanitizer the address space is mostly shadow, so the limit is the
# sanitizer's own on resident memory; the time limit is wider for its slowness.
if grep -q __asan_init "$vornel" 2>/dev/null; then
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=2048:allocator_may_return_null=1"
  limit_kb=unlimited
  seconds=300
else
  limit_kb=$((2 * 1024 * 1024))
  seconds=60
fi

runs=0
# run LABEL ARGS...: the verb under the limits; prints its exit status.
run() {
  local label=$1
  shift
  local status=0
  (ulimit -v "$limit_kb" && exec timeout -k 5 "$seconds" "$vornel" "$@") \
    >"$work/out" 2>"$work/err" || status=$?
  runs=$((runs + 1))
  case $status in
    0 | 1) ;;
    124 | 137) fail "$label: still running after ${seconds}s: $vornel $*" ;;
    *) fail "$label: exit status $status: $vornel $* ($(head -c 300 "$work/err"))" ;;
  esac
  echo "$status"
}

app="$work/app"
cp -r "$appdata"/. "$app"
plain="$work/plain.sty"
printf 'Background 1 16777215\r\nOutLine 0 0 2 0 0 0 0 0 0 0 0 0\r\n\r\nSingleColor 0 0 2 0 255 0 0 0 0 0 0 0\r\n\r\nend\r\n' >"$plain"
star="$work/star.sty"
printf 'Background 1 16777215\r\nStarFilter 0 0 0 10 16777215 0 0 0 0 0 0 0\r\n\r\nend\r\n' >"$star"

for dir in "$root"/fuzz/corpus/*/; do
  kind=$(basename "$dir")
  for file in "$dir"*; do
    [ -f "$file" ] || continue
    name=$(basename "$file")
    case $kind in
      bmp | gif | jpeg | png)
        run "$kind/$name" info "$file" >/dev/null
        run "$kind/$name" convert "$file" "$work/converted.bmp" >/dev/null
        run "$kind/$name" render --app-dir "$app" --mask "$file" --style "$plain" \
          --type bmp -o "$work/masked" >/dev/null
        # As a texture of the program folder, under the name the reader knows it by.
        cp "$file" "$app/texture/replayed.${name##*.}"
        printf 'Background 1 16777215\r\nSingleColor 0 0 4 0 0 0 0 0 0 0 0 0\r\nreplayed.%s \r\nTile 0 0 0 0 0 0 0 0 0 0 0 0\r\nreplayed.%s \r\nend\r\n' \
          "${name##*.}" "${name##*.}" >"$work/textured.sty"
        run "$kind/$name" render --app-dir "$app" --style "$work/textured.sty" --type bmp \
          -o "$work/textured" >/dev/null
        ;;
      style)
        run "$kind/$name" style "$file" >/dev/null
        run "$kind/$name" render --app-dir "$app" --style "$file" --pressed --type gif256 \
          -o "$work/styled" >/dev/null
        ;;
      project)
        run "$kind/$name" project "$file" >/dev/null
        run "$kind/$name" render --app-dir "$app" --project "$file" --pressed --type jpg \
          -o "$work/project" >/dev/null
        ;;
      batchlist)
        run "$kind/$name" batch "$file" --app-dir "$app" --style "$plain" --yes --type bmp \
          -o "$work/batch" >/dev/null
        ;;
      star_kernel)
        starred="$work/starred"
        rm -rf "$starred" && cp -r "$app" "$starred"
        for k in 0 1 2; do cp "$file" "$starred/star$k.lit"; done
        run "$kind/$name" render --app-dir "$starred" --style "$star" --type bmp \
          -o "$work/star" >/dev/null
        ;;
      font_cache)
        # As the program's font cache, which must change nothing of what is drawn.
        cache="$work/cache"
        rm -rf "$cache" && mkdir -p "$cache/hellovornel"
        XDG_CACHE_HOME="$cache/none" run "$kind/$name" render --app-dir "$app" --style "$plain" \
          --message 'Ag' --type bmp -o "$work/uncached" >/dev/null
        cp "$file" "$cache/hellovornel/fonts-$(basename "$vornel").cache"
        XDG_CACHE_HOME="$cache" run "$kind/$name" render --app-dir "$app" --style "$plain" \
          --message 'Ag' --type bmp -o "$work/cached" >/dev/null
        cmp -s "$work/uncached.bmp" "$work/cached.bmp" || fail "$kind/$name: the cache changed the picture"
        ;;
      *)
        fail "no verb of this test reads the fuzz corpus $kind: add one"
        ;;
    esac
  done
done

# --- Crafted inputs: each refused at once, naming what it would need. ---------------
# refused LABEL WORDS ARGS...: exits 1 within the limits, its message holding WORDS.
refused() {
  local label=$1 words=$2
  shift 2
  local status
  status=$(run "$label" "$@")
  [ "$status" = 1 ] || fail "$label was not refused"
  grep -qF -- "$words" "$work/err" || fail "$label: no \"$words\" in: $(cat "$work/err")"
}

# 64 bytes: an outline 8100 pixels thick (a canvas of 16240 x 16220 pixels).
thick="$work/thick.sty"
printf 'Background 1 16777215\nOutLine 0 0 8100 0 255 0 0 0 0 0 0 0\n\nend\n' >"$thick"
refused "thick outline" "at most 16.8 M pixels" render --app-dir "$app" --style "$thick" \
  --type bmp -o "$work/thick"
# A font 16384 pixels high through the fog style.
refused "huge font" "the canvas would be" render --app-dir "$app" --font-height -16384 \
  --font-width 0 --message Hi --style "$root/data/bundle/foggy.sty" --type bmp -o "$work/huge"
# A blur radius beyond the largest kernel.
printf 'Background 1 16777215\nSingleColor 0 0 2 0 255 0 0 0 0 0 0 0\n\nDepthField 0 0 150 5000 0 0 0 0 0 0 0 0\n\nend\n' \
  >"$work/blur.sty"
refused "wide blur" "would need more than" render --app-dir "$app" --style "$work/blur.sty" \
  --type bmp -o "$work/blur"

# Pictures whose headers declare 16384 x 16384 pixels: tiny ones, and ones whose data
# really fills that size (a 100 KB GIF of ever longer LZW strings, a 1 MB JPEG of empty
# blocks), which once took seconds and 1.5 GB to decode.
if command -v python3 >/dev/null; then
  python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]

def jpeg(width, height, blocks):
    out = bytearray(b"\xff\xd8")
    out += b"\xff\xdb" + struct.pack(">H", 67) + b"\x00" + bytes([1] * 64)
    out += b"\xff\xc0" + struct.pack(">HBHHB", 11, 8, height, width, 1) + bytes([1, 0x11, 0])
    for table_class in (0x00, 0x10):  # one code of length 1: DC category 0, AC end of block
        out += b"\xff\xc4" + struct.pack(">H", 20) + bytes([table_class, 1] + [0] * 15 + [0])
    out += b"\xff\xda" + struct.pack(">H", 8) + bytes([1, 1, 0, 0, 63, 0])
    out += bytes((blocks * 2 + 7) // 8) + b"\xff\xd9"  # two zero bits a block
    return bytes(out)

def gif(width, height, pixels):
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80, 0, 0))
    out += b"\x00\x00\x00\xff\xff\xff" + b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    out += bytes([2])
    # After the clear code and a first pixel, each code names the string one longer than
    # the last, up to the 4096-entry table; then the longest string, over and over.
    codes, done, length, free = [4, 0], 1, 1, 6
    while done < pixels:
        if free < 4096:
            codes.append(free)
            free += 1
            length += 1
        else:
            codes.append(4095)
        done += length
    codes.append(5)
    data, acc, bits, width_bits, next_free = bytearray(), 0, 0, 3, 6
    for i, code in enumerate(codes):
        acc |= code << bits
        bits += width_bits
        while bits >= 8:
            data.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
        if i >= 2 and next_free < 4096:
            next_free += 1
            if next_free == 1 << width_bits and width_bits < 12:
                width_bits += 1
    if bits:
        data.append(acc & 0xFF)
    for i in range(0, len(data), 255):
        out += bytes([len(data[i:i + 255])]) + data[i:i + 255]
    return bytes(out + b"\x00\x3b")

side = 16384
open(work + "/tiny.jpg", "wb").write(jpeg(side, side, 16))
open(work + "/full.jpg", "wb").write(jpeg(side, side, (side // 8) ** 2))
open(work + "/tiny.gif", "wb").write(gif(side, side, 64))
open(work + "/full.gif", "wb").write(gif(side, side, side * side))
open(work + "/fits.gif", "wb").write(gif(4096, 4096, 4096 * 4096))
PY
  for f in tiny.jpg full.jpg tiny.gif full.gif; do
    refused "$f" "16384 x 16384 pixels" info "$work/$f"
  done
  # The largest picture the readers take still reads within the limits.
  [ "$(run fits.gif info "$work/fits.gif")" = 0 ] || fail "fits.gif was refused"
  # Its global table holds two colours: a GIF's depth is its table's, 1 bit.
  grep -q '^4096x4096 1-bit$' "$work/out" || fail "fits.gif reads as $(cat "$work/out")"
else
  echo "replay_corpus.sh: python3 missing, crafted pictures skipped"
fi
echo "replay_corpus.sh: $runs runs within ${seconds}s and $limit_kb KB each"
