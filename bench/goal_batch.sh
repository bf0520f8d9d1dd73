#!/usr/bin/env bash
# A batch of 100 different messages beside ImageMagick making the same 100 labels in one
# process: `vornel batch` in a plain fill (no style) against one `convert` writing each
# label:... with -write, in Liberation Sans with a 20- and a 100-pixel em, as JPEG and as
# 256-colour GIF without dithering. Each figure is the best wall time of five runs, in
# milliseconds, each run into a folder of its own (a file system allocates new files
# alike for both); ratios are what to read, the machine being shared.
#
#   bench/goal_batch.sh [BUILD_DIR]     (default build-speed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-speed}" && pwd)
vornel=$build/cli/vornel
magick=/usr/local/bin/convert
font=$(fc-match -f '%{file}' 'Liberation Sans:style=Regular')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

messages=()
for i in $(seq 0 99); do messages+=("Label $i: hello world"); done
printf '%s\n' "${messages[@]}" >"$work/list.txt"

# ImageMagick's arguments for the 100 labels: each written and dropped, the last one the
# command's output. $1: extension, then the options given to each label before writing.
magick_args() {
  local ext=$1 i
  shift
  for i in "${!messages[@]}"; do
    if ((i + 1 < ${#messages[@]})); then
      printf '%s\0' "label:${messages[i]}" "$@" -write "f$i.$ext" +delete
    else
      printf '%s\0' "label:${messages[i]}" "$@" "f$i.$ext"
    fi
  done
}

run=0
# Best wall time of five runs, in milliseconds; each run in a fresh folder, where it must
# leave 100 files. $1: files' extension; the command follows and runs in that folder.
best() {
  local ext=$1 start end b=999999 dir
  shift
  for _ in 1 2 3 4 5; do
    run=$((run + 1))
    dir=$work/run$run
    mkdir "$dir"
    start=$(date +%s%N)
    (cd "$dir" && "$@" >/dev/null 2>&1)
    end=$(date +%s%N)
    local made
    made=$(find "$dir" -name "*.$ext" | wc -l)
    if [ "$made" -ne 100 ]; then
      echo "goal_batch: $* made $made files, not 100" >&2
      exit 1
    fi
    b=$(echo "$start $end $b" | awk '{t = ($2 - $1) / 1e6; print (t < $3) ? t : $3}')
    rm -rf "$dir"
  done
  printf '%.1f' "$b"
}

ours() { "$vornel" batch "$work/list.txt" --font "Liberation Sans" -q "$@"; }
peer() {
  local ext=$1
  shift
  magick_args "$ext" "$@" | xargs -0 "$magick" -font "$font" -pointsize "$size"
}

row() { printf '%-34s %9s ms     %-22s %9s ms     %6s   %s\n' "$1" "$2" "$3" "$4" "$5" "$6"; }
ratio() { echo "$1 $2" | awk '{ if ($2 <= 0) $2 = 0.01; printf "%.2f", $1 / $2 }'; }
printf '%-34s %14s   %-22s %14s   %6s   %s\n' "goal" "ours" "peer" "peer's" "ratio" "wanted"
for size in 20 100; do
  wanted=$([ "$size" = 20 ] && echo ">= 10" || echo ">= 5")
  t_jpg=$(best jpg ours --font-height -"$size" -o b.jpg)
  t_im_jpg=$(best jpg peer jpg)
  row "100 labels, h$size, JPEG" "$t_jpg" "ImageMagick, 1 process" "$t_im_jpg" \
    "$(ratio "$t_im_jpg" "$t_jpg")" "$wanted"
  t_gif=$(best gif ours --font-height -"$size" --type gif256 -o b.gif)
  t_im_gif=$(best gif peer gif +dither -colors 256)
  row "100 labels, h$size, GIF 256" "$t_gif" "ImageMagick +dither" "$t_im_gif" \
    "$(ratio "$t_im_gif" "$t_gif")" "$wanted"
done
