#!/usr/bin/env bash
# The cost of one small job from process start to written file: `vornel render` of the
# bundled plastic_3d style (a drop shadow and a 3D relief) at font height 20, against
# ImageMagick drawing a comparable label with a shadow, and against `vornel info` of a
# 1 x 1 BMP, the floor any start of the program pays. Each figure is CPU time (user +
# sys) per run, the best of five batches of ten runs, in milliseconds. The program runs
# with a fresh HOME, so its per-user folder is seeded once before the timing and its font
# cache written once: what is timed is an ordinary start, not the first one.
#
#   bench/goal_startup.sh [BUILD_DIR]     (default build-speed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-speed}" && pwd)
vornel=$build/cli/vornel
im=/usr/local/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CACHE_HOME=$work/home/cache
export XDG_CONFIG_HOME=$work/home/config
mkdir -p "$HOME"
cd "$work"

# A 1 x 1 24-bit BMP: the 14-byte file header, the 40-byte info header, one padded row.
printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0' \
  >tiny.bmp
printf '\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0\x10\x20\x30\0' >>tiny.bmp

render=("$vornel" render --style plastic_3d --font-height 20 --message Hello -o "$work/ours.bmp")
info=("$vornel" info "$work/tiny.bmp")
peer=("$im" -background white -fill '#4040c0' -font Liberation-Sans -pointsize 20 label:Hello
  '(' +clone -background '#3c3c3c' -shadow 60x2+3+3 ')' +swap -background white -layers merge
  +repage "BMP3:$work/peer.bmp")

# CPU seconds of a shell's children, from the second line of its `times` (user and sys).
child_cpu() {
  tail -1 | awk '{
    t = 0
    for (i = 1; i <= 2; ++i) { split($i, p, "m"); t += p[1] * 60 + p[2] }
    printf "%.6f", t }'
}
# Best CPU time per run, in milliseconds, over five batches of ten runs of a command.
best_ms() {
  local b=999999 t
  for _ in 1 2 3 4 5; do
    t=$( (for _ in 1 2 3 4 5 6 7 8 9 10; do "$@" >/dev/null 2>&1; done; times) | child_cpu)
    b=$(echo "$t $b" | awk '{t = $1 * 100; print (t < $2) ? t : $2}')
  done
  printf '%.2f' "$b"
}

"${render[@]}" >/dev/null  # seeds the per-user folder, writes the font cache
"${info[@]}" >/dev/null
"${peer[@]}"
t_render=$(best_ms "${render[@]}")
t_info=$(best_ms "${info[@]}")
t_peer=$(best_ms "${peer[@]}")

row() { printf '%-34s %9s ms     %-22s %9s ms     %6s   %s\n' "$1" "$2" "$3" "$4" "$5" "$6"; }
ratio() { echo "$1 $2" | awk '{ printf "%.2f", $1 / $2 }'; }
printf '%-34s %14s   %-22s %14s   %6s   %s\n' "goal" "ours" "peer" "peer's" "ratio" "wanted"
row "3D button render, height 20" "$t_render" "ImageMagick label" "$t_peer" \
  "$(ratio "$t_render" "$t_peer")" "<= 0.33"
row "3D button render, height 20" "$t_render" "vornel info 1x1 BMP" "$t_info" \
  "$(ratio "$t_render" "$t_info")" "<= 2"
