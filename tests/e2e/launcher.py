"""Runs the real zr.exe under Wine in a temporary game directory and looks at its
windows from outside through the zrprobe.exe helper, as a user would."""
import json
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("ZR_BUILD_DIR", ROOT / "build"))
WIN = BUILD / "win"
TITLE = "ZR Auto Update"
# The message catalogue each launcher gets as message.ctf: the one the build installed
# beside zr.exe, in the language it chose. Screenshots of the other language set it.
CATALOGUE = WIN / "message.ctf"


def wine_env():
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", str(BUILD / "wineprefix"))
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    return env


def available():
    """Why the end-to-end tests cannot run here, or None when they can."""
    if not (WIN / "zr.exe").exists():
        return "zr.exe not built (run scripts/test.sh)"
    if not os.environ.get("DISPLAY"):
        return "no X display (run scripts/test.sh)"
    return None


def run_probe(args):
    """One run of zrprobe.exe: the lines it printed. Its output goes through a file, not
    a pipe: Wine processes started on the way may inherit a pipe and keep it open."""
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", str(WIN / "tests/win/zrprobe.exe"), *map(str, args)],
                       env=wine_env(), stdout=out, stderr=subprocess.DEVNULL,
                       stdin=subprocess.DEVNULL, timeout=60)
        out.seek(0)
        return out.read().decode("utf-8", "replace").strip().splitlines()


def probe(*args, check=True):
    """Runs zrprobe.exe and returns its JSON answer. Every command prints one answer
    line; a run that printed nothing never got to the command (Wine failed to start
    the program under load) and is run once more."""
    text = run_probe(args) or run_probe(args)
    answer = json.loads(text[-1]) if text else {"error": "no output"}
    if check and "error" in answer:
        raise AssertionError(f"zrprobe {' '.join(map(str, args))}: {answer['error']}")
    return answer


class Launcher:
    """One zr.exe process in its own game directory."""

    def __init__(self, game_dir: Path):
        self.game_dir = Path(game_dir)
        self.game_dir.mkdir(parents=True, exist_ok=True)
        shutil.copy(WIN / "zr.exe", self.game_dir / "zr.exe")
        shutil.copy(CATALOGUE, self.game_dir / "message.ctf")
        self.proc = None

    def start(self, *args):
        proc = subprocess.Popen(["wine", "zr.exe", *args], cwd=self.game_dir, env=wine_env(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        if self.proc is None:
            self.proc = proc
        return proc

    def wait_window(self, ms=15000):
        return probe("wait", TITLE, ms)

    def info(self):
        return probe("info", TITLE)

    def control(self, control_id):
        for child in self.info()["children"]:
            if child["id"] == control_id:
                return child
        raise AssertionError(f"no control {control_id}")

    def wait_for(self, predicate, timeout=15.0, what="condition"):
        deadline = time.monotonic() + timeout
        last = None
        while time.monotonic() < deadline:
            last = self.info()
            if predicate(last):
                return last
            time.sleep(0.2)
        raise AssertionError(f"timed out waiting for {what}; last state: {last}")

    def stop(self):
        if self.proc and self.proc.poll() is None:
            probe("close", TITLE, check=False)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def catalogue_texts():
    """The catalogue the launchers get (CATALOGUE) as a dict of number to text."""
    texts = {}
    for line in CATALOGUE.read_text(encoding="utf-8").splitlines():
        number, _, text = line.partition("\t")
        if number.isdigit():
            texts[int(number)] = text.replace("\\n", "\n")
    return texts


TEST_KEY = ROOT / "tests" / "fixtures" / "keys" / "test_publisher.key"


def sign_root(root, catalogue="version.cvd"):
    """Signs every version of an FTP root and its catalogue with the throw-away test
    key, which the test build of zr.exe carries, through the patch builder."""
    builder = BUILD / "host" / "tools" / "patch_builder" / "zr-patch-builder"
    if not builder.exists():
        pytest.skip("the patch builder is not built (run scripts/test.sh)")
    subprocess.run([str(builder), "sign", "--root", str(root), "--key", str(TEST_KEY),
                    "--catalogue", catalogue, "--resign"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
