#!/usr/bin/env bash
# Builds both trees, then retakes the window pictures in docs/ under a private X
# display and Wine server (see screenshots.py). Arguments go to screenshots.py.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ZR_ROOT"
bash scripts/setup.sh >/dev/null
zr_build_windows >/dev/null
cmake -S "$ZR_ROOT" -B "$ZR_BUILD/host-tools" -DCMAKE_BUILD_TYPE=Release -DZR_SANITIZE=OFF >/dev/null
cmake --build "$ZR_BUILD/host-tools" --target zr-connect-server zr-patch-builder -j2 >/dev/null
trap zr_stop_all EXIT
zr_start_xvfb
zr_start_wine
ZR_BUILD_DIR=$ZR_BUILD $PY scripts/screenshots.py --tools "$ZR_BUILD/host-tools/tools" "$@"
