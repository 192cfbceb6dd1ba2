#!/usr/bin/env bash
# The whole demonstration on one machine: sets everything up, builds the operator tools,
# a demo publisher key and the launcher carrying it, builds a demo client and three
# versions signed with that key with the patch builder,
# serves them with the connect server and an FTP server on loopback, and runs zr.exe
# under Wine in a fresh demo game directory until the demo game has started. On your
# display when there is one, else under Xvfb with a screenshot of each stage.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ZR_ROOT"
bash scripts/setup.sh
echo "run: building the tools, the demo publisher key and the launcher"
cmake -S "$ZR_ROOT" -B "$ZR_BUILD/host-tools" -DCMAKE_BUILD_TYPE=Release -DZR_SANITIZE=OFF >/dev/null
cmake --build "$ZR_BUILD/host-tools" --target zr-connect-server zr-patch-builder -j2 >/dev/null
# The demo publisher's key pair, made once per build tree; zr.exe carries its public half.
key="$ZR_BUILD/demo-key/demo.key"
if [ ! -f "$key" ]; then
  mkdir -p "$(dirname "$key")"
  "$ZR_BUILD/host-tools/tools/patch_builder/zr-patch-builder" keygen "$key" >/dev/null
fi
ZR_PUBLISHER_KEYS=$(cat "$key.pub") zr_build_windows >/dev/null
trap zr_stop_all EXIT
shots=()
if [ -z "${DISPLAY:-}" ]; then
  zr_start_xvfb
  rm -rf "$ZR_BUILD/demo/shots"
  shots=(--shots "$ZR_BUILD/demo/shots")
fi
zr_start_wine
$PY scripts/demo.py --build "$ZR_BUILD" --tools "$ZR_BUILD/host-tools/tools" --work "$ZR_BUILD/demo" \
  --key "$key" "${shots[@]}"
