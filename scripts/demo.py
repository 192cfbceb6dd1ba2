#!/usr/bin/python3
"""The whole system on one machine: a demo client and three versions built with the
patch builder, the connect server and an FTP server on loopback, and the real zr.exe
under Wine patching a fresh game directory through every version, then starting the
demo game with "connect".

  demo.py --build BUILD --tools TOOLS [--work DIR] [--shots DIR] [--key KEY]

BUILD is the build tree (BUILD/win holds zr.exe, message.ctf, game.exe and
tests/win/zrprobe.exe), TOOLS the directory tree holding zr-connect-server and
zr-patch-builder. With --key every version and the catalogue are signed with the
secret key file KEY (made by `zr-patch-builder keygen`; zr.exe is built with KEY.pub)
and the root is verified against KEY.pub. Wine, its prefix and the X display come from
the environment.
Then it damages the game directory (a flipped byte, a deleted file, a removed directory)
and runs "zr.exe /verify", which restores it (scripts/demo_repair.py).
Prints what happened, stops every process it started, and exits 0 only when the game
directory matches the newest client tree, the game was started with "connect" and the
repair restored every damaged file.
With --key a last step follows (demo_tamper.py): a fourth version whose served file
is changed after signing is refused by the launcher and nothing of it installed.
"""

import argparse
import filecmp
import json
import os
import random
import select
import shutil
import socket
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from demo_tamper import refuse_tampered_version

CONNECT_PORT = 44405  # compiled into the launcher
TITLE = "ZR Auto Update"
FTP_USER = "demo"
FTP_PASSWORD = "demo"
STATUS, CONNECT_BUTTON, UPPER_BAR = 1020, 1999, 1021

# The three demo versions: (version, options of the patch builder, what it shows).
VERSIONS = [
    ("1.0.1", ["--compress", ".bz2"], "compressed"),
    ("1.0.2", [], "nested directories"),
    ("1.0.3", [], "a changed file and a new one"),
]


def log(text):
    print(f"demo: {text}", flush=True)


def wine_env(build):
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", str(build / "wineprefix"))
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    return env


def filler(seed, size):
    """Deterministic game data that compresses a little, as game files do."""
    rnd = random.Random(seed)
    words = [bytes(rnd.randrange(256) for _ in range(rnd.randrange(4, 40))) for _ in range(64)]
    out = bytearray()
    while len(out) < size:
        out += rnd.choice(words)
    return bytes(out[:size])


def write(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data if isinstance(data, bytes) else data.encode())


def make_trees(trees):
    """tree0 is what a fresh player has (nothing of the client); each later tree adds
    or changes files: the versions the builder turns into patches."""
    shutil.rmtree(trees, ignore_errors=True)
    t0, t1, t2, t3 = (trees / f"tree{i}" for i in range(4))
    t0.mkdir(parents=True)
    write(t1 / "client.dat", filler(1, 3_000_000))
    write(t1 / "data" / "items.txt", "sword 10\nshield 12\nbow 8\n" * 2000)
    write(t1 / "data" / "sound" / "theme.ogg", filler(2, 1_500_000))
    shutil.copytree(t1, t2)
    write(t2 / "data" / "maps" / "east" / "map01.bin", filler(3, 2_000_000))
    write(t2 / "data" / "maps" / "west" / "map02.bin", filler(4, 1_000_000))
    shutil.copytree(t2, t3)
    write(t3 / "client.dat", filler(5, 3_200_000))
    write(t3 / "data" / "readme.txt", "Welcome to the ZR demo client.\n")
    return [t0, t1, t2, t3]


def run_tool(args):
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if done.returncode != 0:
        raise RuntimeError(f"{Path(args[0]).name} failed:\n{done.stdout}")
    return done.stdout


def build_versions(builder, trees, ftproot, key=None):
    shutil.rmtree(ftproot, ignore_errors=True)
    ftproot.mkdir(parents=True)
    signing = ["--sign", str(key)] if key else []
    for (version, options, what), old, new in zip(VERSIONS, trees, trees[1:]):
        run_tool([str(builder), "build", "--old", str(old), "--new", str(new), "--root", str(ftproot),
                  "--version", version, *options, *signing])
        log(f"built version {version} ({what}){', signed' if key else ''}")
    checking = ["--key", f"{key}.pub"] if key else []
    run_tool([str(builder), "verify", "--root", str(ftproot), *checking])
    log("the FTP root verifies" + (", every signature and hash" if key else ""))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def port_in_use(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


def wait_port(port, seconds=15):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if port_in_use(port):
            return
        time.sleep(0.1)
    raise RuntimeError(f"nothing listens on port {port}")


def read_line(proc, seconds):
    """One line of a process's standard output, or '' after the time ran out."""
    ready, _, _ = select.select([proc.stdout], [], [], seconds)
    return proc.stdout.readline().decode(errors="replace") if ready else ""


class Demo:
    def __init__(self, build, tools, work, shots, key=None):
        self.build, self.tools, self.work, self.shots = build, tools, work, shots
        self.key = key
        self.win = build / "win"
        self.env = wine_env(build)
        self.procs = []
        self.shot_names = []
        self.ftp_user, self.ftp_password = FTP_USER, FTP_PASSWORD
        self.catalogue = self.win / "message.ctf"   # the build's language

    def tool(self, name):
        found = sorted(self.tools.rglob(name))
        if not found:
            raise RuntimeError(f"{name} not found under {self.tools}")
        return found[0]

    def spawn(self, args, **kw):
        proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, **kw)
        self.procs.append(proc)
        return proc

    def stop_all(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()

    def probe(self, *args):
        with tempfile.TemporaryFile() as out:
            subprocess.run(["wine", str(self.win / "tests/win/zrprobe.exe"), *map(str, args)],
                           env=self.env, stdout=out, stderr=subprocess.DEVNULL,
                           stdin=subprocess.DEVNULL, timeout=60)
            out.seek(0)
            lines = out.read().decode("utf-8", "replace").strip().splitlines()
        return json.loads(lines[-1]) if lines else {"error": "no answer"}

    def screenshot(self, name):
        if not self.shots:
            return
        self.shots.mkdir(parents=True, exist_ok=True)
        target = self.shots / f"{len(self.shot_names) + 1}-{name}.png"
        if subprocess.run(["import", "-window", "root", str(target)], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0:
            self.shot_names.append(target)

    def start_ftp(self, ftproot):
        """Starts the FTP server on ftproot; returns its port. self.ftp_log collects
        its log, where each file sent is a line holding "RETR"."""
        ftp_port = free_port()
        self.ftp_log = self.work / "ftp.log"
        self.spawn(["/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", str(ftp_port),
                    "-d", str(ftproot), "-u", self.ftp_user, "-P", self.ftp_password],
                   stdout=subprocess.DEVNULL, stderr=self.ftp_log.open("w"))
        wait_port(ftp_port)
        log(f"FTP server (pyftpdlib) serves {ftproot} on 127.0.0.1:{ftp_port}")
        return ftp_port

    def start_servers(self, ftproot):
        # A connect server of an earlier run may still be closing down.
        deadline = time.monotonic() + 30
        while port_in_use(CONNECT_PORT) and time.monotonic() < deadline:
            time.sleep(0.5)
        if port_in_use(CONNECT_PORT):
            raise RuntimeError(f"port {CONNECT_PORT} is taken: the demo's connect server needs it")
        self.ftp_port = self.start_ftp(ftproot)
        self.ftproot = ftproot
        self.connect_log = self.start_connect("connect")

    def start_connect(self, name):
        """Starts the connect server logging to WORK/NAME.log; returns the log's path."""
        ftproot, ftp_port = self.ftproot, self.ftp_port
        connect_log = self.work / f"{name}.log"
        connect_log.unlink(missing_ok=True)
        config = self.work / f"{name}.conf"
        config.write_text(
            f"listen = 127.0.0.1\nport = {CONNECT_PORT}\nlog_file = {connect_log}\n"
            f"catalogue = {ftproot / 'version.cvd'}\n\n[patch_server]\nhost = 127.0.0.1\n"
            f"port = {ftp_port}\nuser = {self.ftp_user}\npassword = {self.ftp_password}\n"
            "catalogue = version.cvd\n")
        self.connect_server = self.spawn([str(self.tool("zr-connect-server")), "--config", str(config)],
                                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        line = read_line(self.connect_server, 15)
        if "listening on" not in line:
            raise RuntimeError(f"the connect server did not start: {line.strip() or 'no output'}")
        log(f"connect server {line.strip()}")
        return connect_log

    def prepare_game(self):
        game = self.work / "game"
        shutil.rmtree(game, ignore_errors=True)
        game.mkdir(parents=True)
        for name in ("zr.exe", "game.exe"):
            shutil.copy(self.win / name, game / name)
        shutil.copy(self.catalogue, game / "message.ctf")
        return game

    def watch_launcher(self, launcher, seconds=300, stage=""):
        """Follows the window until the Connect button is offered; screenshots of each
        stage. Returns the last state of the window."""
        deadline = time.monotonic() + seconds
        seen = set()
        state = {}
        while time.monotonic() < deadline:
            if launcher.poll() is not None:
                raise RuntimeError("the launcher ended before the update was complete")
            state = self.probe("info", TITLE)
            if "error" in state:
                time.sleep(0.2)
                continue
            controls = {c["id"]: c for c in state["children"]}
            status = controls.get(STATUS, {}).get("text", "")
            if "window" not in seen:
                seen.add("window")
                log(f"launcher window open: \"{status}\"")
                self.screenshot(stage + "window-open")
            if controls.get(UPPER_BAR, {}).get("pos", 0) > 0 and "patching" not in seen:
                seen.add("patching")
                log(f"patching: \"{status}\"")
                self.screenshot(stage + "patching")
            button = controls.get(CONNECT_BUTTON, {})
            if button.get("visible") and button.get("enabled"):
                # The probe reads one control after the other: read the status line
                # again now that the update has ended.
                state = self.probe("info", TITLE)
                status = next((c["text"] for c in state.get("children", []) if c["id"] == STATUS), status)
                log(f"update ended: \"{status}\"")
                self.screenshot(stage + "ready")
                return state, status
            time.sleep(0.2)
        raise RuntimeError("the launcher did not finish the update in time")

    def run(self):
        trees = make_trees(self.work / "trees")
        ftproot = self.work / "ftproot"
        build_versions(self.tool("zr-patch-builder"), trees, ftproot, self.key)
        self.start_servers(ftproot)
        game = self.prepare_game()
        log(f"starting zr.exe under Wine in {game}")
        launcher = self.spawn(["wine", "zr.exe"], cwd=game, env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if "error" in self.probe("wait", TITLE, 30000):
            raise RuntimeError("the launcher window did not appear")
        _, status = self.watch_launcher(launcher)

        log("pressing Connect")
        self.probe("click", TITLE, CONNECT_BUTTON)
        record = game / "demo-game.txt"
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and not record.exists():
            time.sleep(0.2)
        if not record.exists():
            raise RuntimeError("the demo game was not started")
        time.sleep(1)
        self.screenshot("game-started")
        launcher.wait(timeout=30)
        command_line = record.read_text(errors="replace").strip()
        log(f"the launcher ended; the demo game was started as: {command_line}")
        self.game, self.newest = game, trees[-1]
        self.finished = (game, trees, ftproot)
        return self.report(game, trees[-1], status, command_line)

    def run_tampered_step(self):
        """The second step, after run() and with a key: a tampered version is refused."""
        problems = refuse_tampered_version(self, *self.finished)
        for problem in problems:
            log(f"PROBLEM: {problem}")
        return problems

    def report(self, game, newest, status, command_line):
        """Compares the game directory with the newest tree and prints the servers'
        view of the run. Returns the problems found."""
        problems = []
        for path in sorted(p for p in newest.rglob("*") if p.is_file()):
            rel = path.relative_to(newest)
            installed = game / rel
            if not installed.is_file() or not filecmp.cmp(path, installed, shallow=False):
                problems.append(f"{rel} differs from the newest client tree")
        config = game / "config.ini"
        config_text = config.read_text(errors="replace") if config.exists() else ""
        log(f"config.ini: {' '.join(config_text.split()) or 'missing'}")
        if "1.0.3" not in config_text.replace("1.00.03", "1.0.3"):
            problems.append("config.ini does not hold version 1.0.3")
        if not command_line.rstrip().endswith("connect"):
            problems.append("the game was not started with connect")
        for line in self.connect_log.read_text(errors="replace").splitlines():
            log(f"connect server: {line}")
        fetched = [line for line in self.ftp_log.read_text(errors="replace").splitlines() if "RETR" in line]
        log(f"FTP server: {len(fetched)} files sent")
        files = sum(1 for p in newest.rglob("*") if p.is_file())
        if problems:
            for problem in problems:
                log(f"PROBLEM: {problem}")
        else:
            log(f"the game directory holds all {files} files of version 1.0.3, byte for byte")
        for shot in self.shot_names:
            log(f"screenshot: {shot}")
        return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, type=Path)
    parser.add_argument("--tools", required=True, type=Path)
    parser.add_argument("--work", type=Path)
    parser.add_argument("--shots", type=Path)
    parser.add_argument("--key", type=Path)
    args = parser.parse_args()
    work = args.work or args.build / "demo"
    work.mkdir(parents=True, exist_ok=True)
    demo = Demo(args.build.resolve(), args.tools.resolve(), work.resolve(), args.shots,
                args.key.resolve() if args.key else None)
    try:
        problems = demo.run()
        if not problems:
            import demo_repair   # it imports this module's names
            problems = demo_repair.run_repair(demo)
        if demo.key and not problems:
            problems = demo.run_tampered_step()
    except (RuntimeError, subprocess.TimeoutExpired) as error:
        log(f"FAILED: {error}")
        problems = [str(error)]
    finally:
        demo.stop_all()
    log("finished: all good" if not problems else f"finished with {len(problems)} problem(s)")
    return 0 if not problems else 1


if __name__ == "__main__":
    sys.exit(main())
