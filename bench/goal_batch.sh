#!/usr/bin/env bash
# A batch of 100 different messages beside ImageMagick making the same 100 labels in one
# process: `vornel batch` in a plain fill (no style) against one `convert` writing each
# label:... with -write, in Liberation Sans with a 20- and a 100-pixel em, as JPEG and as
# 256-colour GIF without dithering. Each figure is the best wall time of five runs, in
# milliseconds, each run into a folder of its own, kept to the end (new files cost alike
# for both, and no run's files are freed while the next one allocates); ratios are what
# to read, the machine being shared.
#
#   bench/goal_batch.sh [BUILD_DIR]     (default build-speed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-speed}" && pwd)
vornel=$build/cli/vornel
magick=/usr/local/bin/convert
py=/usr/bin/python3
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

# Wall and CPU time (user and system, all threads) of one command, in milliseconds.
timed() {
  "$py" -c '
import os, resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wall = time.monotonic() - start
use = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.1f %.1f" % (wall * 1e3, (use.ru_utime + use.ru_stime) * 1e3))' "$@"
}

# Best wall time and best CPU time of five runs ("WALL CPU"); each run in a fresh folder,
# where it must leave 100 files. $1: files' extension; the command follows and runs in
# that folder.
best() {
  local ext=$1 dir made bw=999999 bc=999999 w c
  shift
  for _ in 1 2 3 4 5; do
    dir=$(mktemp -d "$work/run.XXXXXX")
    read -r w c < <(cd "$dir" && timed "$@")
    made=$(find "$dir" -name "*.$ext" | wc -l)
    if [ "$made" -ne 100 ]; then
      echo "goal_batch: $* made $made files, not 100" >&2
      exit 1
    fi
    bw=$(echo "$w $bw" | awk '{print ($1 < $2) ? $1 : $2}')
    bc=$(echo "$c $bc" | awk '{print ($1 < $2) ? $1 : $2}')
  done
  echo "$bw $bc"
}

ours() { best "$1" "$vornel" batch "$work/list.txt" --font "Liberation Sans" -q "${@:2}"; }
# The arguments go through a file, read before the clock starts: one convert process.
peer() {
  local ext=$1
  shift
  magick_args "$ext" "$@" >"$work/args"
  mapfile -d '' -t args <"$work/args"
  best "$ext" "$magick" -font "$font" -pointsize "$size" "${args[@]}"
}

row() { printf '%-34s %9s ms     %-22s %9s ms     %6s   %s\n' "$1" "$2" "$3" "$4" "$5" "$6"; }
ratio() { echo "$1 $2" | awk '{ if ($2 <= 0) $2 = 0.01; printf "%.2f", $1 / $2 }'; }
printf '%-34s %14s   %-22s %14s   %6s   %s\n' "goal" "ours" "peer" "peer's" "ratio" "wanted"
# Wall time, then CPU time (ours counts both threads of a batch).
rows() {
  local goal=$1 peer=$2 wanted=$3
  read -r ow oc <<<"$4"
  read -r pw pc <<<"$5"
  row "$goal, wall" "$ow" "$peer" "$pw" "$(ratio "$pw" "$ow")" "$wanted"
  row "$goal, CPU" "$oc" "$peer" "$pc" "$(ratio "$pc" "$oc")" "$wanted"
}
for size in 20 100; do
  wanted=$([ "$size" = 20 ] && echo ">= 10" || echo ">= 5")
  rows "100 labels, h$size, JPEG" "ImageMagick, 1 process" "$wanted" \
    "$(ours jpg --font-height -"$size" -o b.jpg)" "$(peer jpg)"
  rows "100 labels, h$size, GIF 256" "ImageMagick +dither" "$wanted" \
    "$(ours gif --font-height -"$size" --type gif256 -o b.gif)" "$(peer gif +dither -colors 256)"
done
