"""A patch with the real zr.exe against the FTP test server, slowed down so that the
launcher can be interrupted in the middle of a version: killed outright (the next run
resumes from its patch log) or stopped with its Close button."""
import json
import os
import signal
import subprocess
import sys
import time

import pytest

import launcher as zr

STATUS, CONNECT, CLOSE = 1020, 1999, 2000
FTP_SERVER = zr.ROOT / "tests/fixtures/ftp_server.py"
FILES = [f"part{i}.bin" for i in range(8)]
FILE_BYTES = 64 * 1024


class FtpServer:
    """tests/fixtures/ftp_server.py on a free loopback port, limited to `throttle`
    bytes per second, with its transfer log."""

    def __init__(self, root, log, throttle):
        self.log = log
        self.proc = subprocess.Popen(
            [sys.executable, str(FTP_SERVER), "--root", str(root), "--transfer-log", str(log),
             "--throttle", str(throttle), "--max-seconds", "300"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.proc.stdout.readline()
        assert line.startswith("PORT "), line
        self.port = int(line.split()[1])

    def completed(self):
        if not self.log.exists():
            return []
        records = [json.loads(x) for x in self.log.read_text().splitlines() if x.strip()]
        return [r["file"] for r in records if r["completed"]]

    def freeze(self):
        """Stops the server process outright: connections stay open, nothing answers."""
        os.kill(self.proc.pid, signal.SIGSTOP)

    def stop(self):
        os.kill(self.proc.pid, signal.SIGCONT)
        self.proc.terminate()
        self.proc.wait(timeout=10)


@pytest.fixture
def ftp(tmp_path):
    root = tmp_path / "ftproot"
    (root / "1.00.01").mkdir(parents=True)
    (root / "version.cvd").write_text('"1.00.01"\n')
    (root / "1.00.01" / "list.inf").write_text("".join(f'"{name}"\r\n' for name in FILES))
    for number, name in enumerate(FILES):
        (root / "1.00.01" / name).write_bytes(bytes([number]) * FILE_BYTES)
    zr.sign_root(root)
    servers = []

    def start(throttle):
        s = FtpServer(root, tmp_path / f"transfers{len(servers)}.log", throttle)
        servers.append(s)
        return s

    yield start
    for s in servers:
        s.stop()


def patch_reply(ftp_server):
    return ("--reply", "patch", "--ftp-host", "127.0.0.1", "--ftp-port", str(ftp_server.port),
            "--ftp-user", "patch", "--ftp-password", "patch", "--catalogue", "version.cvd")


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def logged_files(game_dir):
    """The names that patch.log records as complete in Temp."""
    log = game_dir / "patch.log"
    if not log.exists():
        return set()
    return {line[2:].strip() for line in log.read_text(errors="replace").splitlines()
            if line.startswith("F ")}


def stored_version(game_dir):
    config = game_dir / "config.ini"
    return config.exists() and "Version" in config.read_text(errors="replace")


def status(info):
    return next(c for c in info["children"] if c["id"] == STATUS)


def connect_visible(info):
    return any(c["id"] == CONNECT and c["visible"] for c in info["children"])


def test_a_killed_run_resumes_with_the_files_its_log_does_not_name(launcher, server, ftp):
    ftp_server = ftp(throttle=96 * 1024)
    server(*patch_reply(ftp_server))
    game = launcher()
    first = game.start()
    game.wait_window()
    # Killed outright while the version is half fetched: no chance to clean up.
    wait_until(lambda: len(logged_files(game.game_dir)) >= 3, 60, "three logged files")
    first.kill()
    first.wait(timeout=10)
    zr.probe("gone", zr.TITLE, 15000)
    logged = logged_files(game.game_dir)
    assert 3 <= len(logged) < len(FILES), logged
    assert not stored_version(game.game_dir)
    time.sleep(0.5)   # the server notices the dropped transfer and logs it
    before = len(ftp_server.completed())

    second = game.start()
    game.wait_window()
    texts = zr.catalogue_texts()
    game.wait_for(lambda i: connect_visible(i) and status(i)["text"] == texts[126], timeout=60,
                  what="the ready state after the resumed patch")

    fetched = [f for f in ftp_server.completed()[before:] if f.startswith("1.00.01/part")]
    assert sorted(fetched) == sorted(f"1.00.01/{name}" for name in FILES if name not in logged)
    for number, name in enumerate(FILES):
        assert (game.game_dir / name).read_bytes() == bytes([number]) * FILE_BYTES, name
    assert "Version=1.00.01" in (game.game_dir / "config.ini").read_text()
    assert not (game.game_dir / "patch.log").exists()
    game.proc = second


@pytest.mark.parametrize("frozen", [False, True], ids=["transferring", "server-frozen"])
def test_close_during_a_transfer_stops_the_patch_and_close_again_quits(launcher, server, ftp, frozen):
    slow = ftp(throttle=16 * 1024)       # four seconds per file
    server(*patch_reply(slow))
    game = launcher()
    game.start()
    game.wait_window()
    temp_file = game.game_dir / "Temp" / FILES[0]
    wait_until(lambda: temp_file.exists() and temp_file.stat().st_size > 0, 60,
               "the first file to arrive in Temp")
    if frozen:
        # The server stops answering mid-file; the window must still answer.
        slow.freeze()
        time.sleep(2)

    # Close stops the patch at once, long before any network timeout.
    started = time.monotonic()
    zr.probe("click", zr.TITLE, CLOSE)
    texts = zr.catalogue_texts()
    game.wait_for(lambda i: connect_visible(i) and status(i)["text"] == texts[126], timeout=20,
                  what="the stopped patch to offer Connect")
    assert time.monotonic() - started < 15
    # The partial file is gone, nothing was installed and no version was stored.
    assert not temp_file.exists()
    assert not (game.game_dir / FILES[0]).exists()
    assert not stored_version(game.game_dir)
    assert game.proc.poll() is None

    zr.probe("click", zr.TITLE, CLOSE)
    assert game.proc.wait(timeout=20) == 0


def caption_text_pixels(shot, info):
    """Dark pixels of the transfer caption strip: the text."""
    import window_support as ws
    return sum(1 for y in range(106, 122) for x in range(138, 303)
               if sum(ws.client_pixel(shot, info, x, y)) < 300)


def test_the_caption_and_counters_stay_readable_after_the_patch(launcher, server, ftp):
    import window_support as ws
    server(*patch_reply(ftp(throttle=0)))
    game = launcher()
    game.start()
    game.wait_window()
    zr.probe("pointer", "move", 0, 0)
    texts = zr.catalogue_texts()
    info = game.wait_for(lambda i: connect_visible(i) and status(i)["text"] == texts[126], timeout=60,
                         what="the ready state after the patch")
    caption = next(c for c in info["children"] if c["id"] == 1029)
    assert caption["text"] == texts[147] and caption["rect"] == [138, 106, 165, 16]
    time.sleep(0.5)
    drawn = caption_text_pixels(ws.screenshot(), info)
    assert drawn > 20
    # Options then Cancel repaints the window under the dialog: the caption stays.
    zr.probe("click", zr.TITLE, 1997)
    zr.probe("wait", "owned:" + zr.TITLE, 15000)
    zr.probe("click", "owned:" + zr.TITLE, 2)
    zr.probe("gone", "owned:" + zr.TITLE, 10000)
    time.sleep(3)
    shot = ws.screenshot()
    assert caption_text_pixels(shot, info) == drawn
    # The counters' fill is the panel of the background image.
    for x, y in [(120, 121), (320, 121)]:
        assert ws.client_pixel(shot, info, x, y) == ws.resource_pixel("bg_main.bmp", x, y), (x, y)
