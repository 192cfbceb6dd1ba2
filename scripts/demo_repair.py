"""The demo's repair step: after the walk, the game directory is damaged as players
damage theirs (a flipped byte in a file, a deleted file that two versions changed, a
removed directory), and the launcher started with /verify checks every file against
the signed manifests and fetches back what is damaged. Returns the problems found."""

import filecmp
import shutil
import subprocess
import time

from demo import TITLE, log

CLOSE_BUTTON = 2000
FLIPPED = "data/items.txt"        # in the compressed version 1.0.1
DELETED = "client.dat"            # changed by 1.0.1 and 1.0.3: the later content returns
REMOVED = "data/maps/west"        # a directory of version 1.0.2


def damage(game):
    items = game / FLIPPED
    data = bytearray(items.read_bytes())
    data[len(data) // 2] ^= 0x01
    items.write_bytes(bytes(data))
    (game / DELETED).unlink()
    shutil.rmtree(game / REMOVED)
    log(f"damaged the game directory: flipped a byte of {FLIPPED}, deleted {DELETED}, "
        f"removed {REMOVED}/")


def intact_times(game, newest):
    """Modification times of the files the damage leaves alone."""
    times = {}
    for path in newest.rglob("*"):
        rel = path.relative_to(newest).as_posix()
        if path.is_file() and rel not in (FLIPPED, DELETED) and not rel.startswith(REMOVED + "/"):
            times[rel] = (game / rel).stat().st_mtime_ns
    return times


def run_repair(demo):
    game, newest = demo.game, demo.newest
    times = intact_times(game, newest)
    damage(game)
    # A fresh connect server log: the repair's request stands apart from the walk's.
    demo.connect_server.terminate()
    demo.connect_server.wait(timeout=10)
    demo.repair_log = demo.start_connect("connect-repair")
    log("starting zr.exe /verify under Wine")
    launcher = demo.spawn(["wine", "zr.exe", "/verify"], cwd=game, env=demo.env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if "error" in demo.probe("wait", TITLE, 30000):
        raise RuntimeError("the launcher window did not appear for the repair")
    _, status = demo.watch_launcher(launcher, stage="repair-")
    demo.repair_status = status

    problems = []
    for path in sorted(p for p in newest.rglob("*") if p.is_file()):
        rel = path.relative_to(newest).as_posix()
        installed = game / rel
        if not installed.is_file() or not filecmp.cmp(path, installed, shallow=False):
            problems.append(f"after the repair {rel} differs from the newest client tree")
        elif rel in times and installed.stat().st_mtime_ns != times[rel]:
            problems.append(f"the repair touched the intact file {rel}")
    for line in demo.repair_log.read_text(errors="replace").splitlines():
        log(f"connect server: {line}")
    if "3 repaired" not in status and "3개 복구" not in status:
        problems.append(f"the status line does not report 3 repaired files: {status}")
    if problems:
        for problem in problems:
            log(f"PROBLEM: {problem}")
    else:
        log("the repair restored all three damaged files byte for byte and left the rest alone")

    demo.probe("click", TITLE, CLOSE_BUTTON)
    try:
        launcher.wait(timeout=30)
    except subprocess.TimeoutExpired:
        problems.append("the launcher did not end after Close")
    time.sleep(0.5)
    return problems
