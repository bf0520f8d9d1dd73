#!/usr/bin/env bash
# Sets up a fresh machine, builds the program and runs its main job: the start-up
# message rendered in a bundled style and saved as out/hello.bmp. Extra arguments are
# passed to the vornel command instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNEL_TESTS=OFF -DVORNEL_BENCH=OFF >/dev/null
cmake --build build-run
if [ $# -gt 0 ]; then
  exec build-run/cli/vornel "$@"
fi
mkdir -p out
# The start-up message in one of the bundled styles, with the program folder as built.
build-run/cli/vornel render --app-dir build-run/appdata --message 'Hello Vornel!' \
  --style build-run/appdata/gold_stars.sty --font-height 48 --type bmp -o out/hello
echo "Open out/hello.bmp to see it; 'scripts/run.sh --help' lists the other verbs."
