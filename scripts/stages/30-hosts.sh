#!/usr/bin/env bash
# Hosts that nobody here wrote play the module: Ardour 7 (its scanner and a headless
# session), Qtractor's scanner, and the standalone under a JACK server; plus what real
# hosts do to a module, through our host library; and the LV2 bundle under LV2's own tools,
# jalv and Ardour. On a fresh machine the hosts stage
# installs about 110 packages (Ardour with its libraries, Qtractor, JACK): about 15 s
# from a nearby mirror, a few minutes over a slow link.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps build editor gui hosts lv2
scripts/build build
cd build
# One at a time: the JACK server's dummy backend keeps real time and the sessions are busy.
ctest --output-on-failure -L hosts --timeout 900
