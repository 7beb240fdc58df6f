#!/usr/bin/env bash
# Native build with every unit, module and GUI test (GUI tests start their own Xvfb), and
# `cmake --install` of it into a scratch folder once every part is built; the hosts and the
# package have stages of their own.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps build editor gui
scripts/build build
cd build
ctest --output-on-failure -j 2 --timeout 600 -LE 'hosts|package'
