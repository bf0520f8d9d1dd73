#!/usr/bin/env bash
# Sets up a fresh machine, builds both programs and runs the main job: the window
# (hellovornel) when a display is present; without one, the start-up message rendered in
# a bundled style into out/hello.bmp. Extra arguments are passed to the vornel command
# instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNEL_TESTS=OFF \
  -DVORNEL_BENCH=OFF -DVORNEL_UI=ON >/dev/null
cmake --build build-run
if [ $# -gt 0 ]; then
  exec build-run/cli/vornel "$@"
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build-run/ui/hellovornel
fi
mkdir -p out
# The start-up message in one of the bundled styles, with the program folder as built.
build-run/cli/vornel render --app-dir build-run/appdata --message 'Hello Vornel!' \
  --style build-run/appdata/gold_stars.sty --font-height 48 --type bmp -o out/hello
echo "No display: rendered out/hello.bmp instead of opening the window."
echo "On a desktop, 'scripts/run.sh' (or build-run/ui/hellovornel) opens the window;"
echo "'scripts/run.sh --help' lists the command line's verbs."
