#!/usr/bin/env bash
# Every native test again under AddressSanitizer + UndefinedBehaviorSanitizer, then the
# tests that run code on several threads under ThreadSanitizer. Any report fails the
# stage, also one from a child process whose failure a test expected: reports go to log
# files, and their presence is checked after ctest.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
scripts/install-deps build editor gui || exit 1

# -O1 with line tables: quick to build, and reports still name file and line.
common=(-G "Unix Makefiles" -DGW_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
        "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1")

# Tests of code that runs on more than one thread: the note queue across two threads, values
# taken into the instrument while it renders, the editor's pending changes, text objects and preferences from several threads, parameters
# and audio of the module on different threads, and the editor's render thread with host
# changes arriving from other threads (the editor GUI suites), and the effects' requests
# handed from the UI thread to the render thread.
threaded_targets=(gw_engine_tests gw_instrument_tests toolkit_tests gw_params_tests
                  gw_platform_tests glimmerwick glimmerwick-standalone gw_module_tests
                  gw_safety_threaded_tests editor_gui_tests module_editor_gui_tests effects_tests
                  controls_tests)
threaded_regex='Thread|Concurrent|Parallel|^editor_gui_tests$|^module_editor_gui_tests$'

status=0
# Runs ctest with every sanitizer's reports sent to files, then fails on any file.
# GW_LEAKS=0 turns leak checking off, GW_TSAN_EXTRA adds ThreadSanitizer options (below).
run_stage() {  # name build-dir ctest-args...
  local name=$1 dir=$2
  shift 2
  local logs=$root/$dir/sanitizer-logs/$name
  rm -rf "$logs" && mkdir -p "$logs"
  ASAN_OPTIONS="log_path=$logs/asan:detect_leaks=${GW_LEAKS:-1}:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1" \
  UBSAN_OPTIONS="log_path=$logs/ubsan:print_stacktrace=1:halt_on_error=1" \
  LSAN_OPTIONS="suppressions=$root/scripts/sanitizers/lsan.supp:print_suppressions=0" \
  TSAN_OPTIONS="log_path=$logs/tsan:halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/sanitizers/tsan.supp${GW_TSAN_EXTRA:-}" \
    ctest --test-dir "$dir" --output-on-failure -j 2 --timeout 900 "$@" || status=1
  local reports
  reports=$(find "$logs" -type f | wc -l)
  if [ "$reports" -gt 0 ]; then
    echo "=== $name: $reports sanitizer report(s)"
    for f in "$logs"/*; do echo "--- $f"; head -n 80 "$f"; done
    echo "0% tests passed, 1 tests failed out of 1"
    status=1
  else
    echo "=== $name: no sanitizer reports"
    echo "100% tests passed, 0 tests failed out of 1"
  fi
}

echo "=== AddressSanitizer + UndefinedBehaviorSanitizer: every test"
start=$(date +%s)
cmake -S . -B build-asan "${common[@]}" -DGW_SANITIZE=address,undefined >/dev/null &&
  cmake --build build-asan -j 2 >build-asan/build.log 2>&1 || { tail -50 build-asan/build.log; exit 1; }
echo "asan build: $(( $(date +%s) - start )) s"
run_stage asan build-asan -LE gui
# The GUI tests load Mesa, fontconfig and FreeType through the module; their caches become
# unreachable when the module is unloaded at exit, and LeakSanitizer can neither name nor
# suppress frames of unloaded libraries. Memory errors and undefined behaviour still count.
GW_LEAKS=0 run_stage asan-gui build-asan -L gui

echo "=== ThreadSanitizer: threaded tests"
start=$(date +%s)
cmake -S . -B build-tsan "${common[@]}" -DGW_SANITIZE=thread >/dev/null || exit 1
targets=()
known=$(cmake --build build-tsan --target help)
for t in "${threaded_targets[@]}"; do
  grep -qw -- "$t" <<<"$known" && targets+=(--target "$t")
done
cmake --build build-tsan -j 2 "${targets[@]}" >build-tsan/build.log 2>&1 || { tail -50 build-tsan/build.log; exit 1; }
echo "tsan build: $(( $(date +%s) - start )) s"
# The module's tests need it beside them, and ctest must not try tests whose binary was
# not built: run only the threaded ones.
run_stage tsan build-tsan -R "$threaded_regex" -LE gui
# Mesa unlocks a mutex whose locking the tool never saw, from a frame it cannot name
# (scripts/sanitizers/tsan.supp); races and deadlocks still count.
GW_TSAN_EXTRA=:report_mutex_bugs=0 run_stage tsan-gui build-tsan -R "$threaded_regex" -L gui
exit $status
