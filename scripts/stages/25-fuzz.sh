#!/usr/bin/env bash
# libFuzzer over the host boundary, MIDI event lists and the files we read, each for
# GW_FUZZ_SECONDS (default 60) under AddressSanitizer + UndefinedBehaviorSanitizer. A
# crash, sanitizer report, leak, time-out or memory blow-up fails the target's test; the
# input that did it is kept in build-fuzz/fuzz/fuzz-artifacts/<target>/.
# Longer runs by hand: build-fuzz/fuzz/fuzz_dispatcher -max_total_time=3600 \
#   build-fuzz/fuzz/corpus-work/fuzz_dispatcher fuzz/corpus/fuzz_dispatcher
set -uo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps build editor fuzz || exit 1

seconds=${GW_FUZZ_SECONDS:-60}
flags="-fsanitize=fuzzer-no-link"
start=$(date +%s)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G "Unix Makefiles" -DGW_FUZZ=ON \
  -DGW_FUZZ_SECONDS="$seconds" -DGW_BUILD_BENCH=OFF -DGW_SANITIZE=address,undefined \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1" \
  >/dev/null || exit 1
cmake --build build-fuzz -j 2 --target gw_fuzzers >build-fuzz/build.log 2>&1 ||
  { tail -50 build-fuzz/build.log; exit 1; }
echo "fuzz build: $(( $(date +%s) - start )) s"

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/sanitizers/lsan.supp:print_suppressions=0"
ctest --test-dir build-fuzz -L fuzz -j 2 --output-on-failure
