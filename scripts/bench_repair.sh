#!/usr/bin/env bash
# A repair of an intact game directory, measured beside the native floor on the same
# files: the launcher's repair run under Wine (tests/bench/repair/bench_repair.cpp:
# catalogue, two versions' lists and manifests over FTP on loopback, then every file
# hashed with SHA-256, with the window's bars, counters and caption) against native
# `sha256sum` over the same files. Both read from the page cache: the files were just
# written (and read once before the first timing).
#
# Usage: scripts/bench_repair.sh [total MB, default 1000] [files, default 1000]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ZR_ROOT"
total_mb=${1:-1000}
file_count=${2:-1000}

bash scripts/setup.sh >/dev/null
zr_build_windows >/dev/null
exe=$ZR_BUILD/win/bench_repair.exe

work=$(mktemp -d "$ZR_BUILD/bench-repair.XXXXXX")
ftp_pid=
cleanup() {
  [ -n "$ftp_pid" ] && kill "$ftp_pid" 2>/dev/null && wait "$ftp_pid" 2>/dev/null
  zr_stop_all
  rm -rf "$work"
}
trap cleanup EXIT

# Two versions of file_count/2 files each in directories of 100, installed in the
# game directory as the walk would have left them; each version directory serves its
# files, list.inf and manifest.txt (no signatures: the benchmark has no key).
$PY - "$work" "$total_mb" "$file_count" <<'PYEOF'
import hashlib, os, random, sys
work, total_mb, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
size = total_mb * 1000 * 1000 // count
root, game = os.path.join(work, "ftproot"), os.path.join(work, "game")
versions = ["1.00.01", "1.00.02"]
os.makedirs(root)
os.makedirs(os.path.join(game, "Temp"))
with open(os.path.join(root, "version.cvd"), "w") as f:
    f.write(" ".join('"%s"' % v for v in versions) + "\n")
rng = random.Random(11)
block = rng.randbytes(1 << 20)
for number, version in enumerate(versions):
    vdir = os.path.join(root, version)
    os.makedirs(vdir)
    lines, entries, current = [], [], None
    for i in range(count // 2):
        directory = "data%d\\d%02d" % (number, i // 100)
        if directory != current:
            lines.append('1 "data%d"' % number)
            lines.append('1 "%s"' % directory)
            current = directory
        name = "f%d_%04d.dat" % (number, i)
        data = (block * (size // len(block) + 1))[i % 4096:i % 4096 + size]
        with open(os.path.join(vdir, name), "wb") as f:
            f.write(data)
        target = os.path.join(game, *directory.split("\\"))
        os.makedirs(target, exist_ok=True)
        with open(os.path.join(target, name), "wb") as f:
            f.write(data)
        lines.append('"%s"' % name)
        digest = hashlib.sha256(data).hexdigest()
        entries.append("file %d %s %d %s %s\\%s" % (size, digest, size, digest, directory, name))
    listing = ("\r\n".join(lines) + "\r\n").encode()
    with open(os.path.join(vdir, "list.inf"), "wb") as f:
        f.write(listing)
    manifest = ["zr-manifest 1", "version " + version,
                "list %d %s" % (len(listing), hashlib.sha256(listing).hexdigest())] + entries
    with open(os.path.join(vdir, "manifest.txt"), "w") as f:
        f.write("\n".join(manifest) + "\n")
PYEOF
cp app/message.en.ctf "$work/game/message.ctf"
game_bytes=$(du -sb --exclude=message.ctf --exclude=Temp "$work/game" | cut -f1)
(cd "$work/game" && find data0 data1 -type f | sort > "$work/files.txt")
(cd "$work/game" && xargs cat < "$work/files.txt" > /dev/null)

$PY tests/fixtures/ftp_server.py --root "$work/ftproot" --max-seconds 3600 --transfer-log "$work/transfers.log" >"$work/ftp.out" 2>/dev/null &
ftp_pid=$!
for _ in $(seq 100); do grep -q '^PORT' "$work/ftp.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^PORT //p' "$work/ftp.out")
[ -n "$port" ] || { echo "bench_repair: the FTP server did not start" >&2; exit 1; }

zr_start_xvfb
zr_start_wine
value() { sed -n "s/^$2=//p" "$1" | tr -d '\r'; }
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }

(cd "$work/game" && find data0 data1 -type f -exec stat -c '%Y %s %n' {} + | sort > "$work/before.txt")
(cd "$work/game" && wine "$exe" "$port" message.ctf >"$work/repair.out" 2>/dev/null </dev/null) || true
[ "$(value "$work/repair.out" repair_ok)" = 1 ] ||
  { echo "bench_repair: the repair failed" >&2; cat "$work/repair.out" >&2; exit 1; }
(cd "$work/game" && find data0 data1 -type f -exec stat -c '%Y %s %n' {} + | sort > "$work/after.txt")
cmp -s "$work/before.txt" "$work/after.txt" ||
  { echo "bench_repair: the repair changed files of an intact directory" >&2; exit 1; }
if grep -q '\.dat"' "$work/transfers.log" 2>/dev/null; then
  echo "bench_repair: the repair fetched files of an intact directory" >&2; exit 1
fi

native_start=$(date +%s.%N)
(cd "$work/game" && xargs sha256sum < "$work/files.txt" > /dev/null)
native_s=$(awk "BEGIN { printf \"%.3f\", $(date +%s.%N) - $native_start }")

repair_s=$(value "$work/repair.out" repair_seconds)
mb=$(calc "$game_bytes / 1000000")
printf 'game directory           %s MB in %d files\n' "$mb" "$file_count"
printf 'launcher repair (Wine)   %s s  %s files/s  %s MB/s  (%s pumps, %s bar updates)\n' "$repair_s" \
  "$(calc "$file_count / $repair_s")" "$(calc "$mb / $repair_s")" \
  "$(value "$work/repair.out" pumps)" "$(value "$work/repair.out" bar_updates)"
printf 'native sha256sum         %s s  %s files/s  %s MB/s\n' "$native_s" \
  "$(calc "$file_count / $native_s")" "$(calc "$mb / $native_s")"
printf 'ratio repair / sha256sum %s (the repair includes FTP login, catalogue, lists, manifests)\n' \
  "$(calc "$repair_s / $native_s")"
