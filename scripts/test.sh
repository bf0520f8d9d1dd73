#!/usr/bin/env bash
# Sets up a fresh machine, then builds and runs everything that checks the program:
# the formatting and include-level checks, the test suite (engine, command line, the
# window's page logic, Qt tests of its widgets and a scripted session of the real window
# under Xvfb), the engine's suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, each fuzz target briefly, and the benchmarks once as a
# smoke run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)
fuzz_seconds=${VORNEL_FUZZ_SECONDS:-15}

echo "== format check"
if git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror 2>/tmp/vornel-format.log; then
  echo "formatted"
else
  head -20 /tmp/vornel-format.log
  echo "clang-format: files need formatting"
  exit 1
fi

echo "== levels"
scripts/check-levels.sh

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNEL_UI=ON >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest -j "$jobs" --output-on-failure) | tee /tmp/vornel-ctest.log | tail -n 3

echo "== sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORNEL_SANITIZE=ON -DVORNEL_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest -j "$jobs" --output-on-failure) | tee /tmp/vornel-ctest-asan.log | tail -n 3

echo "== fuzz"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNEL_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j "$jobs"
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus_src=fuzz/corpus/${name#fuzz_}
  work=$(mktemp -d)
  [ -d "$corpus_src" ] && cp -r "$corpus_src"/. "$work"/
  echo "fuzzing $name for ${fuzz_seconds}s"
  "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=0 "$work" 2>"$work.log" || {
    tail -40 "$work.log"
    echo "$name: fuzzing found a failure"
    exit 1
  }
  rm -rf "$work" "$work.log"
done

echo "== benchmarks (smoke run)"
build/bench/vornel_bench --benchmark_min_time=0.01 >/tmp/vornel-bench.log 2>&1 || {
  tail -20 /tmp/vornel-bench.log
  exit 1
}
tail -n 5 /tmp/vornel-bench.log
build/bench/ui/vornel_window_bench --benchmark_min_time=0.01 >/tmp/vornel-window-bench.log 2>&1 || {
  tail -20 /tmp/vornel-window-bench.log
  exit 1
}
tail -n 2 /tmp/vornel-window-bench.log

# One closing line for both suites.
count() { grep -Eo "tests passed, [0-9]+ tests failed out of [0-9]+" "$1" | tail -1; }
total=0
failed=0
for log in /tmp/vornel-ctest.log /tmp/vornel-ctest-asan.log; do
  line=$(count "$log")
  f=$(echo "$line" | awk '{print $3}')
  n=$(echo "$line" | awk '{print $NF}')
  total=$((total + n))
  failed=$((failed + f))
done
echo "tests: $((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
