"""The native baseline of scripts/bench_patch.sh: every file of the manifest fetched
over one FTP connection with Python's ftplib (binary, passive, 64 KiB reads) and the
compressed ones expanded with bzip2 as they arrive, into DEST under their bare names.

Usage: native_fetch.py PORT MANIFEST DEST. Prints native_seconds=, native_expand_seconds=
and native_files= lines."""
import bz2
import ftplib
import os
import sys
import time


def fetch(ftp, path, target, compressed):
    """One file; returns the seconds spent expanding it."""
    expander = bz2.BZ2Decompressor() if compressed else None
    spent = 0.0
    with open(target, "wb") as out:
        def write(block):
            nonlocal spent
            if expander is None:
                out.write(block)
                return
            began = time.perf_counter()
            out.write(expander.decompress(block))
            spent += time.perf_counter() - began
        ftp.retrbinary("RETR " + path, write, blocksize=65536)
    if expander is not None and not expander.eof:
        raise RuntimeError(f"{path}: the compressed stream ends early")
    return spent


def main(port, manifest, dest):
    entries = [line.rstrip("\n").split("\t") for line in open(manifest, encoding="ascii") if line.strip()]
    os.makedirs(dest, exist_ok=True)
    began = time.perf_counter()
    expand = 0.0
    with ftplib.FTP(timeout=60) as ftp:
        ftp.connect("127.0.0.1", int(port))
        ftp.login("patch", "patch")
        ftp.voidcmd("TYPE I")
        for version, remote, compressed in entries:
            name = remote[:-4] if compressed == "1" else remote
            expand += fetch(ftp, f"{version}/{remote}", os.path.join(dest, name), compressed == "1")
    seconds = time.perf_counter() - began
    print(f"native_seconds={seconds:.3f}")
    print(f"native_expand_seconds={expand:.3f}")
    print(f"native_files={len(entries)}")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
