#!/usr/bin/env bash
# Sets up a fresh machine, builds the program and runs its main job: the start-up
# message rendered and saved. Extra arguments are passed to the vornel command instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNEL_TESTS=OFF -DVORNEL_BENCH=OFF >/dev/null
cmake --build build
if [ $# -gt 0 ]; then
  exec build/cli/vornel "$@"
fi
mkdir -p out
if build/cli/vornel --help | grep -q '^  render'; then
  build/cli/vornel render --message 'Hello Vornel!' --type bmp -o out/hello
else
  build/cli/vornel --help
fi
