#!/usr/bin/env bash
# Expansion throughput of the launcher against native bzip2 on the same ~50 MB bzip2
# file, measured in one run. The launcher's side is the real PatchEngine expansion
# under Wine, with a real window that pumps messages, moves a progress bar and paints
# the transfer caption (tests/bench/decompress/bench_decompress.cpp).
#
# The benchmark program is a target of the Windows build (tests/bench/CMakeLists.txt),
# which this script runs first.
#
# Usage: scripts/bench_decompress.sh [compressed MB, default 50]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ZR_ROOT"
target_mb=${1:-50}

bash scripts/setup.sh >/dev/null
zr_build_windows >/dev/null
WIN=$ZR_BUILD/win
exe=$WIN/bench_decompress.exe

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

work=$(mktemp -d "$ZR_BUILD/bench-decompress.XXXXXX")
cleanup() { zr_stop_all; rm -rf "$work"; }
trap cleanup EXIT

# Test data: lines of text mixed with stretches of random bytes, so it compresses
# to a bit under half; generated until the compressed file reaches the target size.
$PY - "$work/data.bin.bz_" "$target_mb" <<'PYEOF'
import bz2, random, sys
out_name, target = sys.argv[1], int(sys.argv[2]) * 1000 * 1000
rng = random.Random(20240601)
words = [b"patch", b"version", b"data", b"file", b"player", b"map", b"server",
         b"texture", b"sound", b"item", b"monster", b"quest", b"guild", b"zone"]
comp = bz2.BZ2Compressor(9)
written = 0
with open(out_name, "wb") as out:
    while written < target:
        chunk = bytearray()
        for _ in range(800):
            chunk += b" ".join(rng.choice(words) for _ in range(8))
            chunk += b" %d\r\n" % rng.randrange(1000000)
        chunk += rng.randbytes(24000)
        data = comp.compress(bytes(chunk))
        out.write(data)
        written += len(data)
    out.write(comp.flush())
PYEOF
src_bytes=$(stat -c %s "$work/data.bin.bz_")
cat "$work/data.bin.bz_" >/dev/null   # both runs read from the page cache

zr_start_xvfb
zr_start_wine
value() { sed -n "s/^$1=//p" "$work/bench.txt"; }
min() { awk "BEGIN { a = $1; b = $2; printf \"%.6f\", (a < b ? a : b) }"; }

# Two rounds, alternating, and the faster time of each side: the machine may be
# shared, and a burst of other work should not decide the ratio.
native_s=1e9 engine_s=1e9
for round in 1 2; do
  t0=$(date +%s.%N)
  bzip2 -dc "$work/data.bin.bz_" >"$work/native.bin"
  t1=$(date +%s.%N)
  native_s=$(min "$native_s" "$(calc "$t1 - $t0")")

  (cd "$work" && wine "$exe" "data.bin.bz_" ".\\" >"$work/bench.out" 2>/dev/null </dev/null) || true
  tr -d '\r' <"$work/bench.out" >"$work/bench.txt"
  [ "$(value expand_ok)" = 1 ] || { echo "bench_decompress: the expansion failed" >&2; exit 1; }
  engine_s=$(min "$engine_s" "$(value expand_seconds)")
done
out_bytes=$(stat -c %s "$work/native.bin")

if ! cmp -s "$work/native.bin" "$work/data.bin"; then
  echo "bench_decompress: the engine's output differs from bzip2's" >&2
  exit 1
fi

mbps() { calc "$1 / 1000000 / $2"; }
printf 'compressed file          %d bytes, expands to %d bytes\n' "$src_bytes" "$out_bytes"
printf 'native bzip2 -d          %.3f s  %.1f MB/s of output\n' "$native_s" "$(mbps "$out_bytes" "$native_s")"
printf 'DecompressFile (Wine)    %.3f s  %.1f MB/s of output\n' \
  "$engine_s" "$(mbps "$out_bytes" "$engine_s")"
printf 'throughput ratio         %.3f (engine / native, target at least 0.9)\n' \
  "$(calc "$native_s / $engine_s")"
printf 'window work              %s pumps, %s bar updates, %s caption draws\n' \
  "$(value pumps)" "$(value bar_updates)" "$(value caption_draws)"
printf 'caption drawing          %s us per draw; drawn every input block it would cost %s s\n' \
  "$(value caption_us_per_draw)" "$(value caption_seconds_if_drawn_every_block)"
