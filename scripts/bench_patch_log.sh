#!/usr/bin/env bash
# Builds the patch-log benchmark without sanitizers, optimised, in its own build
# directory, and runs it once. Arguments: N for the index (default 20000) and N for
# plain rereading (default 2000).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build/bench-patch-log
cmake -S "$ROOT" -B "$BUILD" -DZR_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target bench_patch_log -j2 >/dev/null
exe=$(find "$BUILD" -type f -name bench_patch_log -perm -u+x | head -n 1)
"$exe" "${1:-20000}" "${2:-2000}"
