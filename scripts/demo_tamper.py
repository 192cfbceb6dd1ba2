"""The demo's second step, with a signing key: a fourth version is published signed,
then one of its served files is changed on the FTP server, as a hostile mirror would.
The launcher, started again in the demo game directory, fetches it, finds that it does
not match the signed manifest, refuses the version and installs nothing of it."""

import shutil
import subprocess
import time

STATUS = 1020
TAMPERED_VERSION = "1.0.4"
DAMAGED_TEXT = 148


def catalogue_text(build, number):
    for line in (build / "win" / "message.ctf").read_text(encoding="utf-8").splitlines():
        head, _, text = line.partition("\t")
        if head == str(number):
            return text
    raise RuntimeError(f"no text {number} in message.ctf")


def publish_tampered_version(demo, trees, ftproot):
    """Builds 1.0.4 (a changed client.dat) signed, then flips one byte of the file as
    served. Returns the served file's path."""
    from demo import filler, run_tool, write
    tree = trees[-1].parent / "tree4"
    shutil.rmtree(tree, ignore_errors=True)
    shutil.copytree(trees[-1], tree)
    write(tree / "client.dat", filler(6, 3_100_000))
    before = {p.name for p in ftproot.iterdir() if p.is_dir()}
    run_tool([str(demo.tool("zr-patch-builder")), "build", "--old", str(trees[-1]), "--new", str(tree),
              "--root", str(ftproot), "--version", TAMPERED_VERSION, "--sign", str(demo.key)])
    directory = next(p for p in ftproot.iterdir() if p.is_dir() and p.name not in before)
    served = next(directory.glob("client.dat*"))
    data = bytearray(served.read_bytes())
    data[len(data) // 2] ^= 0x01
    served.write_bytes(bytes(data))
    return served


def refuse_tampered_version(demo, game, trees, ftproot):
    """Runs the second step; returns the problems found."""
    from demo import log
    served = publish_tampered_version(demo, trees, ftproot)
    log(f"published {TAMPERED_VERSION} signed, then changed one byte of {served.relative_to(ftproot)} "
        "on the FTP server")
    before = (game / "client.dat").read_bytes()
    launcher = demo.spawn(["wine", "zr.exe"], cwd=game, env=demo.env)
    expected = catalogue_text(demo.build, DAMAGED_TEXT)
    status = ""
    deadline = time.monotonic() + 180
    while time.monotonic() < deadline and status != expected:
        state = demo.probe("info", "ZR Auto Update")
        status = next((c["text"] for c in state.get("children", []) if c["id"] == STATUS), "")
        time.sleep(0.3)
    problems = []
    if status != expected:
        problems.append(f"the tampered version was not refused (status \"{status}\")")
    else:
        log(f"the launcher refused {TAMPERED_VERSION}: \"{status}\"")
        demo.screenshot("tampered-refused")
        if demo.shot_names and demo.shot_names[-1].name.endswith("tampered-refused.png"):
            log(f"screenshot: {demo.shot_names[-1]}")
    if (game / "client.dat").read_bytes() != before:
        problems.append("client.dat of the tampered version was installed")
    config = (game / "config.ini").read_text(errors="replace")
    if served.parent.name in config:
        problems.append("the tampered version was stored in config.ini")
    if not problems:
        log(f"nothing of {TAMPERED_VERSION} was installed; the game directory still holds 1.0.3")
    # After a failed update the first Close may only stop the session: press it again.
    for _ in range(3):
        demo.probe("close", "ZR Auto Update")
        try:
            launcher.wait(timeout=5)
            break
        except subprocess.TimeoutExpired:
            pass
    return problems
