#!/usr/bin/env bash
# Speed goals beside their peers, measured in one run. On the same 12-megapixel
# photo-like picture: our JPEG writer against cjpeg -sample 1x1, our JPEG reader against
# djpeg, our 256-colour GIF (reduction and writing, no dithering) against PIL and
# ImageMagick (best of three runs, megapixels per second), and the peak memory of each
# conversion against the picture's 24-bit size. Then the live previews and the relief
# (vornel_bench, CPU time), a small job's whole process (goal_startup.sh) and batches
# (goal_batch.sh). Ratios are what to read, the machine being shared.
#
#   bench/goals.sh [BUILD_DIR]     (default build-speed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-speed}
vornel=$build/cli/vornel
py=/usr/bin/python3
# The codecs' files go to memory where it can hold them: a disk's fsync of a 36 MB file
# would measure the disk, not the codec.
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT

# Smooth ramps in red and green, a soft diagonal in blue, grain on all three.
"$py" - "$work" <<'PY'
import sys
from PIL import Image, ImageChops
w, h = 4000, 3000
ramp = Image.linear_gradient("L")
red = ramp.rotate(90).resize((w, h))
green = ramp.resize((w, h))
blue = ramp.rotate(45).resize((w, h))
grain = Image.effect_noise((w, h), 24).point(lambda v: v // 6)
bands = [ImageChops.add(b, grain) for b in (red, green, blue)]
pic = Image.merge("RGB", bands)
pic.save(sys.argv[1] + "/pic.ppm")
pic.save(sys.argv[1] + "/pic.bmp")
PY
mp=12.0

# Best wall time of three runs of a command, in seconds.
best() {
  local start end b=999
  for _ in 1 2 3; do
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    b=$(echo "$start $end $b" | awk '{t = $2 - $1; print (t < $3) ? t : $3}')
  done
  echo "$b"
}
rate() { echo "$mp $1" | awk '{ if ($2 <= 0) $2 = 0.01; printf "%.1f", $1 / $2 }'; }

# Reading the BMP (ours) or the PPM (the peers) is part of each figure.
"$vornel" convert "$work/pic.bmp" "$work/ours.jpg" >/dev/null
# Peak resident memory of one conversion, in megabytes.
peak_mb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "%.1f", $1 / 1024 }'; }
m_enc=$(peak_mb "$vornel" convert "$work/pic.bmp" "$work/mem.jpg")
m_gif=$(peak_mb "$vornel" convert "$work/pic.bmp" "$work/mem.gif")
m_dec=$(peak_mb "$vornel" convert "$work/ours.jpg" "$work/mem.bmp")
cjpeg -sample 1x1 -outfile "$work/peer.jpg" "$work/pic.ppm"
t_enc=$(best "$vornel" convert "$work/pic.bmp" "$work/ours.jpg")
t_cjpeg=$(best cjpeg -sample 1x1 -outfile "$work/peer.jpg" "$work/pic.ppm")
t_dec=$(best "$vornel" convert "$work/ours.jpg" "$work/back.bmp")
t_djpeg=$(best djpeg -bmp -outfile "$work/peer.bmp" "$work/ours.jpg")
t_gif=$(best "$vornel" convert "$work/pic.bmp" "$work/ours.gif")
t_pil=$(best "$py" -c "
from PIL import Image
Image.open('$work/pic.ppm').quantize(256, dither=Image.Dither.NONE).save('$work/pil.gif')")
t_im=$(best convert "$work/pic.ppm" +dither -colors 256 "$work/im.gif")

row() { printf '%-34s %9s MP/s   %-22s %9s MP/s   %6s   %s\n' "$1" "$2" "$3" "$4" "$5" "$6"; }
ratio() { echo "$1 $2" | awk '{ printf "%.2f", $1 / $2 }'; }
printf '%-34s %14s   %-22s %14s   %6s   %s\n' "goal" "ours" "peer" "peer's" "ratio" "wanted"
row "JPEG encode, 12 MP" "$(rate "$t_enc")" "cjpeg -sample 1x1" "$(rate "$t_cjpeg")" \
  "$(ratio "$t_cjpeg" "$t_enc")" ">= 0.33"
row "JPEG decode, 12 MP" "$(rate "$t_dec")" "djpeg" "$(rate "$t_djpeg")" \
  "$(ratio "$t_djpeg" "$t_dec")" ">= 0.67"
row "GIF 256 colours, 12 MP" "$(rate "$t_gif")" "PIL quantize" "$(rate "$t_pil")" \
  "$(ratio "$t_pil" "$t_gif")" ">= 5"
row "GIF 256 colours, 12 MP" "$(rate "$t_gif")" "ImageMagick +dither" "$(rate "$t_im")" \
  "$(ratio "$t_im" "$t_gif")" ">= 2"

mrow() { printf '%-34s %9s MB     %-22s %9s MB     %6s   %s\n' "$1" "$2" "$3" "$4" "$5" "$6"; }
size24=$(echo "$mp" | awk '{ printf "%.1f", $1 * 3 }')
mrow "Peak memory, BMP to JPEG" "$m_enc" "24-bit picture" "$size24" "$(ratio "$m_enc" "$size24")" "<= 2.5"
mrow "Peak memory, BMP to GIF 256" "$m_gif" "24-bit picture" "$size24" "$(ratio "$m_gif" "$size24")" "<= 2.5"
mrow "Peak memory, JPEG to BMP" "$m_dec" "24-bit picture" "$size24" "$(ratio "$m_dec" "$size24")" "<= 2.5"

# Live previews and the relief: CPU time per call, in milliseconds, against a bound.
"$build/bench/vornel_bench" --benchmark_filter='RenderEffectPreview|RenderJobFiveEffects|WholeRelief/300' \
  --benchmark_format=json --benchmark_min_time=0.2 2>/dev/null >"$work/bench.json"
"$py" - "$work/bench.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def ms(r):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0}[r["time_unit"]]
    return r["cpu_time"] * scale
def row(goal, ours, bound):
    print("%-34s %9.3f ms     %-22s %9s ms     %6.2f   %s" % (goal, ours, "bound", bound, ours / bound, "< 1"))
for h, bound in ((20, 1.0), (100, 16.0)):
    previews = [r for r in runs if r["name"].startswith("BM_RenderEffectPreview/height:%d/" % h)]
    slowest = max(previews, key=ms)
    row("Slowest effect preview, h%d" % h, ms(slowest), bound)
    five = [r for r in runs if r["name"] == "BM_RenderJobFiveEffects/height:%d" % h]
    row("Five-effect render, h%d" % h, ms(five[0]), bound)
relief = [r for r in runs if r["name"] == "BM_WholeRelief/300"]
row("3D relief, 300-pixel message", ms(relief[0]), 20.0)
PY

# A small job's whole process, and batches.
bash "$root/bench/goal_startup.sh" "$build" | tail -n +2
bash "$root/bench/goal_batch.sh" "$build" | tail -n +2
