"""The Connect button once the client is current, with the real zr.exe: which program
is started with which command line, the options dialog first when "config.ini" is
missing, and a start that fails. The started programs are copies of gamerecorder.exe,
which appends its command line to gamerecorder.txt."""
import shutil
import time

import pytest

import launcher as zr

STATUS, CONNECT = 1020, 1999
RECORDER = zr.WIN / "tests/win/gamerecorder.exe"


def ready(game, *args):
    game.start(*args)
    game.wait_window()
    texts = zr.catalogue_texts()
    return game.wait_for(lambda i: any(c["id"] == CONNECT and c["visible"] for c in i["children"])
                         and any(c["id"] == STATUS and c["text"] == texts[126] for c in i["children"]),
                         what="the ready state")


def recorded(game, timeout=20.0):
    record = game.game_dir / "gamerecorder.txt"
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if record.exists() and record.read_text().strip():
            return record.read_text().strip().splitlines()
        time.sleep(0.2)
    raise AssertionError("no program was started")


def install_programs(game, config):
    for name in ("game.exe", "gametest.exe"):
        shutil.copy(RECORDER, game.game_dir / name)
    if config is not None:
        (game.game_dir / "config.ini").write_text(config.replace("\n", "\r\n"))


@pytest.mark.parametrize("args, config, started", [
    ((), "[LOGIN]\nVersion=1.00.03\n", "game.exe connect"),
    (("/t",), "[LOGIN]\nVersion=1.00.03\nTestVersion=1.00.04\n", "gametest.exe connect"),
    (("/t",), "[LOGIN]\nVersion=1.00.03\nTestVersion=1.00.03\n", "game.exe connect"),
], ids=["normal", "test-mode-newer-test-version", "test-mode-equal-versions"])
def test_connect_when_ready_starts_the_chosen_program_and_quits(launcher, server, args, config, started):
    server("--reply", "ready")
    game = launcher()
    install_programs(game, config)
    ready(game, *args)
    zr.probe("click", zr.TITLE, CONNECT)
    assert recorded(game) == [started]
    assert game.proc.wait(timeout=20) == 0


def test_missing_config_opens_the_options_dialog_before_the_start(launcher, server):
    server("--reply", "ready")
    game = launcher()
    install_programs(game, None)
    ready(game)
    zr.probe("click", zr.TITLE, CONNECT)
    zr.probe("wait", "owned:" + zr.TITLE, 15000)
    # Nothing is started while the player looks at the options.
    time.sleep(1)
    assert not (game.game_dir / "gamerecorder.txt").exists()
    zr.probe("click", "owned:" + zr.TITLE, 2)          # Cancel
    assert recorded(game) == ["game.exe connect"]
    assert game.proc.wait(timeout=20) == 0
    # The options dialog does not create the file.
    assert not (game.game_dir / "config.ini").exists()


def test_a_missing_game_program_is_reported_and_the_launcher_quits(launcher, server):
    server("--reply", "ready")
    game = launcher()
    (game.game_dir / "config.ini").write_text("[LOGIN]\r\nVersion=1.00.03\r\n")
    ready(game)
    zr.probe("click", zr.TITLE, CONNECT)
    box = zr.probe("msgbox", 15000, "--ok")
    assert zr.catalogue_texts()[133] in box["texts"]
    assert game.proc.wait(timeout=20) == 0
