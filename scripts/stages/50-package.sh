#!/usr/bin/env bash
# What users install, installed as they install it. scripts/package makes the Debian
# package and the Windows installer; apt-get installs the package (CI runs as root), and the
# tests labelled "package" check it with no LV2_PATH, VST_PATH or LXVST_PATH: lintian, its
# files, lv2ls and jalv, Ardour 7 on its default paths, the programs from the PATH, man, the
# menu entry; and the installer silently under Wine. Then apt-get remove --purge must leave
# none of the package's paths; the package is removed at the end whatever happened. A
# glimmerwick package installed before the stage is replaced, and removed with it.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
scripts/install-deps build editor gui hosts lv2 jack package cross cross-editor wine

start=$(date +%s)
scripts/package
version=$(cmake -P cmake/version.cmake)
echo "package and installer after $(($(date +%s) - start)) s"

# The checks' programs: the native tree of the earlier stages, and the Wine test host.
start=$(date +%s)
scripts/build build
cmake --build build-win32 -j 2 --target glimmerwick-standalone >build-win32/package-host.log 2>&1 ||
  { tail -n 40 build-win32/package-host.log; exit 1; }
echo "test programs after $(($(date +%s) - start)) s"

export GW_PACKAGE_DEB=$root/build/glimmerwick_${version}_amd64.deb
export GW_WIN32_INSTALLER=$root/build/glimmerwick-${version}-win32-setup.exe
export GW_WIN32_HOST=$root/build-win32/host/glimmerwick-standalone.exe
unset LV2_PATH VST_PATH LXVST_PATH
trap 'DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -q -o DPkg::Lock::Timeout=600 \
        glimmerwick >/dev/null 2>&1 || true' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 \
  "$GW_PACKAGE_DEB" >build/package-install.log 2>&1 ||
  { cat build/package-install.log; exit 1; }
dpkg -I "$GW_PACKAGE_DEB"
dpkg -L glimmerwick

status=0
# One at a time: the JACK servers' dummy backends keep real time and the sessions are busy.
# With them `cmake --install` of the native tree, which the native stage skips while the
# LV2 bundle is not built yet.
ctest --test-dir build -L 'package|install' --output-on-failure --timeout 900 || status=1
# ctest's way of counting, for scripts/test.
if tests/package/purge-check; then
  echo "100% tests passed, 0 tests failed out of 1"
else
  echo "0% tests passed, 1 tests failed out of 1"
  status=1
fi
exit $status
