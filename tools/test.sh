#!/usr/bin/env bash
# Builds MERU and runs every test twice: a normal build (its engine tests once
# more at the generic instruction level, as a processor without vector
# instructions runs them), then a build under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the search's thread tests in a build under
# ThreadSanitizer (tools/thread_tests.txt names them); then the fuzz targets
# (FUZZ_SECONDS each, default 30), each input, the corpus's included, within
# FUZZ_INPUT_SECONDS (default 10). Set-up included. Any failure fails the run.
# The normal build carries no debug information and the sanitizer builds only
# line tables (enough for their reports): debug information is a third of the
# compile time of a test file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest -j "$jobs" --output-on-failure --timeout 600)
}

echo "== normal build"
run_suite build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" \
  -DMERU_TESTS=ON -DMERU_BENCH=ON
echo "== engine tests at the generic instruction level"
MERU_SIMD=generic build-test/tests/test_search --gtest_brief=1
echo "== sanitizer build (address, undefined)"
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DMERU_SANITIZE=ON -DMERU_TESTS=ON -DMERU_BENCH=OFF

echo "== thread tests under ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" -DMERU_TSAN=ON -DMERU_TESTS=ON -DMERU_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target test_search_threads
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp" build-tsan/tests/test_search_threads \
  --gtest_brief=1 --gtest_filter="$(cat tools/thread_tests.txt | paste -sd:)"

if ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  echo "== fuzz targets"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
        -DCMAKE_CXX_COMPILER=clang++ \
        -DMERU_FUZZ=ON -DMERU_SANITIZE=OFF -DMERU_TESTS=OFF -DMERU_BENCH=OFF >/dev/null
  targets=$(ls fuzz/fuzz_*.cpp | xargs -n1 basename | sed 's/\.cpp$//')
  cmake --build build-fuzz -j "$jobs" --target $targets
  for t in $targets; do
    corpus="fuzz/corpus/${t#fuzz_}"
    mkdir -p "build-fuzz/corpus/$t"
    [ -d "$corpus" ] && cp -r "$corpus"/. "build-fuzz/corpus/$t/"
    echo "-- $t for ${FUZZ_SECONDS:-30} s"
    ASAN_OPTIONS=detect_leaks=1 "build-fuzz/fuzz/$t" -max_total_time="${FUZZ_SECONDS:-30}" \
        -timeout="${FUZZ_INPUT_SECONDS:-10}" -print_final_stats=0 "build-fuzz/corpus/$t" 2>&1 | tail -n 3
  done
fi
