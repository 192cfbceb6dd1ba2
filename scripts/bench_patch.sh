#!/usr/bin/env bash
# A whole patch over FTP on loopback, measured three ways in one run on the same FTP
# root (tests/fixtures/ftp_server.py, pyftpdlib):
#   - the launcher's walk: PatchEngine::BeginPatch under Wine with a real window
#     (catalogue, lists, log, 2048-byte transfers, expansion, installation, version);
#   - the floor of this design under Wine: a bare FtpOpenFileA/InternetReadFile loop
#     of 2048-byte reads over the same files, expanding the compressed ones with libbz2,
#     with the one listing per version directory that the design needs for the sizes;
#   - the physical limit natively: Python's ftplib over one connection with 64 KiB
#     reads, expanding the compressed files with bzip2 as they arrive
#     (tests/bench/patch/native_fetch.py). curl is no baseline: fetching many files
#     from pyftpdlib over one connection it stalls for seconds between files.
# Both Windows sides come from tests/bench/patch/bench_patch.cpp. Every run prints the
# walk's ratio to the bare loop and to the native limit.
# Then the signed run: a copy of the root signed with the test key (zr-patch-builder sign)
# and walked by a launcher holding the key, beside the unsigned walk; and the SHA-256
# throughput of the launcher's file hash under Wine beside native sha256sum on the
# same installed files.
#
# Usage: scripts/bench_patch.sh [total MB, default 200] [files, default 2000]
# Half of the files sit in versions with a compressed list.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ZR_ROOT"
total_mb=${1:-200}
file_count=${2:-2000}

bash scripts/setup.sh >/dev/null
zr_build_windows >/dev/null
zr_build_host >/dev/null
# The Windows build makes the benchmark program (tests/bench/CMakeLists.txt).
exe=$ZR_BUILD/win/bench_patch.exe

work=$(mktemp -d "$ZR_BUILD/bench-patch.XXXXXX")
ftp_pid=
signed_ftp_pid=
cleanup() {
  [ -n "$ftp_pid" ] && kill "$ftp_pid" 2>/dev/null && wait "$ftp_pid" 2>/dev/null
  [ -n "$signed_ftp_pid" ] && kill "$signed_ftp_pid" 2>/dev/null && wait "$signed_ftp_pid" 2>/dev/null
  zr_stop_all
  rm -rf "$work"
}
trap cleanup EXIT

# The FTP root: four versions of file_count/4 files each (a version directory holds at
# most 999), the last two with compressed lists. The data is text mixed with random
# bytes, so it compresses to about half. Also writes the manifest of the bare loop and
# the native client, and the expected tree.
$PY - "$work" "$total_mb" "$file_count" <<'PYEOF'
import bz2, hashlib, os, random, sys
work, total_mb, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
size = total_mb * 1000 * 1000 // count
per_version = count // 4
root = os.path.join(work, "ftproot")
rng = random.Random(7)
words = [b"patch", b"version", b"data", b"texture", b"sound", b"item", b"monster", b"zone"]
versions = ["1.00.01", "1.00.02", "1.00.03", "1.00.04"]
os.makedirs(root)
with open(os.path.join(root, "version.cvd"), "w") as f:
    f.write(" ".join('"%s"' % v for v in versions) + "\n")
manifest = open(os.path.join(work, "manifest.txt"), "w")
expected = open(os.path.join(work, "expected.txt"), "w")
for number, version in enumerate(versions):
    compressed = number >= 2
    vdir = os.path.join(root, version)
    os.makedirs(vdir)
    lines = ["#COMPRESSED#"] if compressed else []
    for i in range(per_version):
        data = bytearray()
        while len(data) < size:
            data += b" ".join(rng.choice(words) for _ in range(6)) + b"\r\n"
            data += rng.randbytes(40)
        data = bytes(data[:size])
        name = "f%d_%04d.dat" % (number, i)
        remote = name + ".bz_" if compressed else name
        with open(os.path.join(vdir, remote), "wb") as f:
            f.write(bz2.compress(data, 9) if compressed else data)
        lines.append('"%s"' % remote)
        manifest.write("%s\t%s\t%d\n" % (version, remote, compressed))
        expected.write("%s  %s\n" % (hashlib.md5(data).hexdigest(), name))
    with open(os.path.join(vdir, "list.inf"), "w") as f:
        f.write("\r\n".join(lines) + "\r\n")
PYEOF
served_bytes=$(du -sb "$work/ftproot" | cut -f1)

# The signed root: a copy signed with the test key (git does not keep the key's mode
# 0600, so the builder's warning about it is dropped), served by a second server.
cp -r "$work/ftproot" "$work/ftproot-signed"
"$ZR_BUILD/host/tools/patch_builder/zr-patch-builder" sign --root "$work/ftproot-signed" \
  --key "$ZR_ROOT/tests/fixtures/keys/test_publisher.key" >/dev/null 2>&1 ||
  { echo "bench_patch: signing the root failed" >&2; exit 1; }
$PY tests/fixtures/ftp_server.py --root "$work/ftproot-signed" --max-seconds 3600 >"$work/ftp-signed.out" 2>/dev/null &
signed_ftp_pid=$!
$PY tests/fixtures/ftp_server.py --root "$work/ftproot" --max-seconds 3600 >"$work/ftp.out" 2>/dev/null &
ftp_pid=$!
for _ in $(seq 100); do grep -q '^PORT' "$work/ftp.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^PORT //p' "$work/ftp.out")
for _ in $(seq 100); do grep -q '^PORT' "$work/ftp-signed.out" 2>/dev/null && break; sleep 0.1; done
signed_port=$(sed -n 's/^PORT //p' "$work/ftp-signed.out")
[ -n "$signed_port" ] || { echo "bench_patch: the second FTP server did not start" >&2; exit 1; }
[ -n "$port" ] || { echo "bench_patch: the FTP server did not start" >&2; exit 1; }

zr_start_xvfb
zr_start_wine
value() { sed -n "s/^$2=//p" "$1" | tr -d '\r'; }
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
game_dir() { rm -rf "$work/$1"; mkdir -p "$work/$1/Temp"; cp app/message.en.ctf "$work/$1/message.ctf"; }

# Walks the FTP server on port $2 into game directory $1, with the key $3 if given;
# prints the walk's seconds after checking the game directory.
walk() {
  game_dir "$1"
  (cd "$work/$1" && wine "$exe" engine "$2" message.ctf ${3:+"$3"} >"$work/$1.out" 2>/dev/null </dev/null) || true
  [ "$(value "$work/$1.out" walk_ok)" = 1 ] || { echo "bench_patch: the $1 walk failed" >&2; cat "$work/$1.out" >&2; exit 1; }
  (cd "$work/$1" && md5sum -c --quiet "$work/expected.txt") ||
    { echo "bench_patch: the $1 walk's game directory differs from the patch" >&2; exit 1; }
  value "$work/$1.out" walk_seconds
}
key=$(cat "$ZR_ROOT/tests/fixtures/keys/test_publisher.key.pub")

# Runs the bare loop into its own game directory; prints its seconds after checking
# the files.
bare_loop() {
  game_dir bare
  (cd "$work/bare" && wine "$exe" bare "$port" 'Z:'"${work//\//\\}"'\manifest.txt' >"$work/bare.out" 2>/dev/null </dev/null) || true
  [ "$(value "$work/bare.out" bare_ok)" = 1 ] || { echo "bench_patch: the bare loop failed" >&2; cat "$work/bare.out" >&2; exit 1; }
  (cd "$work/bare/Temp" && md5sum -c --quiet "$work/expected.txt") ||
    { echo "bench_patch: the bare loop's files differ from the patch" >&2; exit 1; }
  value "$work/bare.out" bare_seconds
}

# The data is in the page cache for every side: it was just written. The unsigned
# walk, the signed walk and the bare loop take turns, twice, and the better time of
# each counts: on a shared machine the load changes within minutes, and a side timed
# once would carry that noise into the ratios.
walk=1e9 signed=1e9 bare=1e9
for round in 1 2; do
  t=$(walk engine "$port") || exit 1
  walk=$(awk "BEGIN { printf \"%.3f\", ($walk < $t ? $walk : $t) }")
  t=$(walk signed "$signed_port" "$key") || exit 1
  signed=$(awk "BEGIN { printf \"%.3f\", ($signed < $t ? $signed : $t) }")
  t=$(bare_loop) || exit 1
  if awk "BEGIN { exit !($t < $bare) }"; then
    bare=$t
    cp "$work/bare.out" "$work/bare.best"
  fi
done

# Hashing alone, on the installed files (in the page cache for both sides).
(cd "$work/signed" && wine "$exe" hash . >"$work/hash.out" 2>/dev/null </dev/null) || true
[ "$(value "$work/hash.out" hash_ok)" = 1 ] || { echo "bench_patch: hashing failed" >&2; exit 1; }
t0=$(date +%s.%N)
(cd "$work/signed" && sha256sum ./*.dat >/dev/null)
t1=$(date +%s.%N)
native_hash_s=$(calc "$t1 - $t0")

# The native client, on the same server and files: the better of two rounds.
native_s=1e9
for round in 1 2; do
  rm -rf "$work/native"
  $PY tests/bench/patch/native_fetch.py "$port" "$work/manifest.txt" "$work/native" >"$work/native.out" ||
    { echo "bench_patch: the native client failed" >&2; exit 1; }
  native_s=$(awk "BEGIN { a = $native_s; b = $(value "$work/native.out" native_seconds); printf \"%.3f\", (a < b ? a : b) }")
done
(cd "$work/native" && md5sum -c --quiet "$work/expected.txt") ||
  { echo "bench_patch: the native client produced other files" >&2; exit 1; }

bare_expand=$(value "$work/bare.best" bare_expand_seconds)
bare_list=$(value "$work/bare.best" bare_list_seconds)
printf 'patch served             %d bytes in %d files (half compressed), %s MB expanded\n' \
  "$served_bytes" "$file_count" "$total_mb"
printf 'launcher walk (Wine)     %s s, best of two  (%s pumps, %s bar updates, %s caption draws)\n' "$walk" \
  "$(value "$work/engine.out" pumps)" "$(value "$work/engine.out" bar_updates)" \
  "$(value "$work/engine.out" caption_draws)"
printf 'bare loop + expansion    %s s, best of two  (of it expansion %s s, listings %s s)\n' "$bare" "$bare_expand" "$bare_list"
printf 'native ftplib + bzip2    %s s  (of it expansion %s s; one connection, 64 KiB reads)\n' \
  "$native_s" "$(value "$work/native.out" native_expand_seconds)"
printf 'ratio walk / bare        %s (target at most 1.10)\n' "$(calc "$walk / $bare")"
printf 'ratio without listings   %s (the listing is WinINet under Wine; both sides list)\n' \
  "$(calc "($walk - $bare_list) / ($bare - $bare_list)")"
printf 'ratio walk / native      %s (the walk against the physical limit)\n' "$(calc "$walk / $native_s")"
printf 'ratio bare / native      %s (what Wine'"'"'s WinINet costs by itself)\n' "$(calc "$bare / $native_s")"
hash_mb=$(calc "$(value "$work/hash.out" hash_bytes) / 1000000")
printf 'signed walk (Wine)       %s s, best of two\n' "$signed"
printf 'ratio signed / unsigned  %s (target at most 1.03)\n' "$(calc "$signed / $walk")"
printf 'SHA-256 under Wine       %s MB/s (%s MB in %s s)\n' \
  "$(calc "$hash_mb / $(value "$work/hash.out" hash_seconds)")" "$hash_mb" "$(value "$work/hash.out" hash_seconds)"
printf 'sha256sum native         %s MB/s (%s s)\n' "$(calc "$hash_mb / $native_hash_s")" "$native_hash_s"
