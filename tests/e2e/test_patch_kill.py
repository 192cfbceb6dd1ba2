"""kill -9 of the real zr.exe while it checks a signed version, installs it and cleans
up after it: the next run converges on the version's tree. The version is shaped so
that each stage lasts long enough to be caught from outside: one large file (hashed
before the install) followed by many small ones (copied and deleted one by one). The
stage is recognised on disk, then the process is killed at once; the state found after
the kill proves which stage it was in, and a run that slipped past it is tried again."""
import time

import pytest

import launcher as zr
from test_patch import FtpServer, connect_visible, logged_files, patch_reply, status

VERSION = "1.00.01"
BIG = ("big.bin", bytes(range(256)) * (40 * 4096))            # 40 MiB
SMALL = [(f"s{i:03d}.dat", f"small file {i}\n".encode() * 400) for i in range(160)]
FILES = dict([BIG, *SMALL])
ATTEMPTS = 3


@pytest.fixture
def signed_root(tmp_path):
    root = tmp_path / "ftproot"
    (root / VERSION).mkdir(parents=True)
    (root / "version.cvd").write_text(f'"{VERSION}"\n')
    (root / VERSION / "list.inf").write_text("".join(f'"{name}"\r\n' for name in FILES))
    for name, data in FILES.items():
        (root / VERSION / name).write_bytes(data)
    zr.sign_root(root)
    return root


def installed(game_dir):
    return [name for name in FILES if (game_dir / name).exists()]


def stored(game_dir):
    config = game_dir / "config.ini"
    return config.exists() and f"Version={VERSION}" in config.read_text(errors="replace")


# Each stage: when to kill (seen on disk while it runs), and what must hold after the
# kill for the kill to have fallen inside the stage.
STAGES = {
    "verifying": (
        lambda g: len(logged_files(g)) == len(FILES) and not installed(g),
        lambda g: len(logged_files(g)) == len(FILES) and not installed(g) and not stored(g)),
    "installing": (
        lambda g: 0 < len(installed(g)),
        lambda g: 0 < len(installed(g)) < len(FILES) and not stored(g)),
    "cleaning-up": (
        lambda g: stored(g),
        lambda g: stored(g) and (g / "patch.log").exists()),
}


def kill_at(game, condition):
    proc = game.start()
    deadline = time.monotonic() + 180
    while time.monotonic() < deadline and proc.poll() is None:
        if condition(game.game_dir):
            break
        time.sleep(0.002)
    proc.kill()
    proc.wait(timeout=10)
    zr.probe("gone", zr.TITLE, 15000)
    game.proc = None


@pytest.mark.parametrize("stage", list(STAGES))
def test_a_kill_at_any_stage_converges_on_the_next_run(launcher, server, tmp_path, signed_root, stage):
    when, inside = STAGES[stage]
    ftp = FtpServer(signed_root, tmp_path / "transfers.log", 0)
    try:
        server(*patch_reply(ftp))
        for attempt in range(ATTEMPTS):
            game = launcher(f"game{attempt}")
            kill_at(game, when)
            if inside(game.game_dir):
                break
        else:
            pytest.fail(f"no kill fell inside the {stage} stage in {ATTEMPTS} runs")

        game.start()
        game.wait_window()
        texts = zr.catalogue_texts()
        game.wait_for(lambda i: connect_visible(i) and status(i)["text"] == texts[126], timeout=180,
                      what="the ready state after the run that follows the kill")
        for name, data in FILES.items():
            assert (game.game_dir / name).read_bytes() == data, name
        assert stored(game.game_dir)
        assert not (game.game_dir / "patch.log").exists()
        assert not any(p.is_file() for p in (game.game_dir / "Temp").rglob("*"))
    finally:
        ftp.stop()
