#!/usr/bin/env bash
# The 32-bit Windows module with its editor: the editor's libraries cross-built from
# Debian's sources (scripts/cross-libs, cached), the module cross-built with mingw-w64 into
# build-win32 and its Windows tests (platform backend, plug-in frame, engine, the DLL
# through our host library, the DLL's export and import tables, the editor in a host
# window) run under Wine, on a virtual display with Mesa's software OpenGL, so that
# message boxes and GL windows really open. On a fresh 2-core machine it takes about 3.5 minutes: 50 s to install
# the cross compiler and Wine, 15 s for the Wine prefix, 2 minutes to build, 30 s of tests.
set -euo pipefail
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$0")/../.."
root=$(pwd)

if [ -z "${GW_WINE_STAGE_DISPLAY:-}" ]; then
  scripts/install-deps build cross cross-editor wine gui
  GW_WINE_STAGE_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$self"
fi

# The prefix the cross build runs its programs in (cmake/toolchain-mingw32.cmake).
export WINEPREFIX=$root/build-win32/wine-prefix
start=$(date +%s)
# A server left over from an interrupted run would keep the old display.
wineserver -k 2>/dev/null || true
cmake/wine-run --init
wineserver -w
# One persistent server for the stage, or every test program waits seconds for Wine's
# services. They start here, where they cannot hold ctest's output pipes open.
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
cmake/wine-run wineboot </dev/null >/dev/null 2>&1
echo "wine prefix $WINEPREFIX ready after $(($(date +%s) - start)) s"

start=$(date +%s)
cross_libs=$(scripts/cross-libs)
echo "editor libraries for Windows after $(($(date +%s) - start)) s: $cross_libs"

start=$(date +%s)
scripts/configure-win32 "$cross_libs"
cmake --build build-win32 -j 2 >build-win32/build.log 2>&1 ||
  { tail -n 60 build-win32/build.log; exit 1; }
echo "cross build after $(($(date +%s) - start)) s: $(grep -c 'warning:' build-win32/build.log) warnings"
i686-w64-mingw32-objdump -p build-win32/glimmerwick.dll |
  sed -n -e 's/^\s*DLL Name: /imports /p' -e 's/^\s*\[\s*[0-9]*\] \(VSTPluginMain\|main\)$/exports \1/p'

cd build-win32
# The engine's long random-program sweep is the same arithmetic the native stages sweep
# and would take most of this stage's time under Wine; the module-level sweeps still run.
ctest --output-on-failure -j 2 --timeout 600 -E '^OutputSafety\.RandomProgramsWithRandomMidi'
