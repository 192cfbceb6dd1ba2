"""The launcher against the project's own servers: versions built by the patch builder
from client trees, announced by the connect server from the builder's catalogue and
served over FTP; the real zr.exe patches a fresh game directory through all of them
and starts the game; then "zr.exe /verify" repairs the damaged game directory. The
demonstration of the README's first command, run as a test."""
import sys

import pytest

import launcher as zr

sys.path.insert(0, str(zr.ROOT / "scripts"))
import demo  # noqa: E402
import demo_repair  # noqa: E402


def test_own_servers_take_a_fresh_client_to_the_newest_tree_and_the_game(tmp_path):
    reason = zr.available()
    if reason:
        pytest.skip(reason)
    tools = zr.BUILD / "host" / "tools"
    if not any(tools.rglob("zr-connect-server")):
        pytest.skip("the operator tools are not built (run scripts/test.sh)")
    # Signed with the throw-away test key that the test build of zr.exe carries.
    key = zr.ROOT / "tests" / "fixtures" / "keys" / "test_publisher.key"
    run = demo.Demo(zr.BUILD.resolve(), tools.resolve(), tmp_path, None, key)
    try:
        problems = run.run()
        # Then the game directory is damaged and "zr.exe /verify" repairs it.
        repair_problems = demo_repair.run_repair(run) if not problems else ["the walk failed"]
    finally:
        run.stop_all()
    # run() compares every file of the newest tree byte for byte with the game
    # directory, checks the stored version and the game's command line.
    assert problems == []
    game = tmp_path / "game"
    assert (game / "demo-game.txt").read_text().split()[-1] == "connect"
    assert "Version=1.00.03" in (game / "config.ini").read_text()
    answers = [line for line in run.connect_log.read_text().splitlines() if "answer=" in line]
    assert len(answers) == 1 and "version=0.0.0 answer=patch" in answers[0]
    assert not (game / "Temp" / "client.dat").exists()

    assert repair_problems == []
    repair_answers = [line for line in run.repair_log.read_text().splitlines() if "answer=" in line]
    assert len(repair_answers) == 1 and "version=0.0.0 answer=patch" in repair_answers[0]
    assert not (game / "zr._xe").exists()
