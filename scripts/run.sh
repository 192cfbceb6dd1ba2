#!/usr/bin/env bash
# Sets everything up, builds the launcher and runs it under Wine in a fresh demo game
# directory: on your display when there is one, else under Xvfb, writing a screenshot.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ZR_ROOT"
bash scripts/setup.sh
zr_build_windows >/dev/null
game=$ZR_BUILD/demo/game
rm -rf "$game"; mkdir -p "$game"
cp "$ZR_BUILD/win/zr.exe" "$ZR_BUILD/win/message.ctf" "$game/"
trap zr_stop_all EXIT
headless=0
if [ -z "${DISPLAY:-}" ]; then headless=1; zr_start_xvfb; fi
zr_start_wine
cd "$game"
if [ $headless = 1 ]; then
  wine zr.exe >/dev/null 2>&1 &
  sleep 4
  import -window root "$ZR_BUILD/demo/launcher.png"
  echo "run: the launcher ran under Xvfb; screenshot: $ZR_BUILD/demo/launcher.png"
else
  echo "run: the launcher is open on $DISPLAY; close it to finish."
  wine zr.exe >/dev/null 2>&1 || true
fi
