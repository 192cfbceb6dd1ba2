"""The launcher against vsftpd, the FTP server operators run: the demo's three versions
from a fresh client to the game start, and a killed run that resumes, both over a
chrooted local account with passive ports and no anonymous access."""
import sys
import time

import pytest

import launcher as zr
import vsftpd_fixture
from test_patch import (CONNECT, FILE_BYTES, FILES, connect_visible, logged_files, status,
                        stored_version, wait_until)

sys.path.insert(0, str(zr.ROOT / "scripts"))
import demo  # noqa: E402


@pytest.fixture(autouse=True)
def needs_vsftpd():
    reason = vsftpd_fixture.unavailable() or zr.available()
    if reason:
        pytest.skip(reason)


class VsftpdDemo(demo.Demo):
    """The demo with vsftpd in place of the Python FTP server."""

    def __init__(self, *args):
        super().__init__(*args)
        self.ftp_user, self.ftp_password = vsftpd_fixture.USER, vsftpd_fixture.PASSWORD
        self.vsftpd = None

    def start_ftp(self, ftproot):
        self.vsftpd = vsftpd_fixture.Vsftpd(ftproot, self.work)
        self.ftp_log = self.vsftpd.log
        return self.vsftpd.port

    def stop_all(self):
        super().stop_all()
        if self.vsftpd:
            self.vsftpd.stop()


def test_demo_versions_over_vsftpd(tmp_path):
    tools = zr.BUILD / "host" / "tools"
    if not any(tools.rglob("zr-connect-server")):
        pytest.skip("the operator tools are not built (run scripts/test.sh)")
    # Signed with the test key, which the test build of zr.exe carries.
    run = VsftpdDemo(zr.BUILD.resolve(), tools.resolve(), tmp_path, None, zr.TEST_KEY.resolve())
    try:
        problems = run.run()
    finally:
        run.stop_all()
    assert problems == []
    game = tmp_path / "game"
    assert "Version=1.00.03" in (game / "config.ini").read_text()
    assert (game / "demo-game.txt").read_text().split()[-1] == "connect"
    log = run.vsftpd.log.read_text(errors="replace")
    assert f'[{vsftpd_fixture.USER}] OK LOGIN' in log
    assert "PASV" in log and "FAIL LOGIN" not in log
    sent = run.vsftpd.completed()
    # The catalogue and each version's list, named as inside the chroot.
    assert "version.cvd" in sent
    assert sorted(name for name in sent if name.endswith("/list.inf")) == \
        ["1.0.1/list.inf", "1.0.2/list.inf", "1.0.3/list.inf"], sent
    answers = [line for line in run.connect_log.read_text().splitlines() if "answer=patch" in line]
    assert len(answers) == 1


def test_killed_run_resumes_over_vsftpd(tmp_path, launcher, server):
    root = tmp_path / "ftproot"
    (root / "1.00.01").mkdir(parents=True)
    (root / "version.cvd").write_text('"1.00.01"\n')
    (root / "1.00.01" / "list.inf").write_text("".join(f'"{name}"\r\n' for name in FILES))
    for number, name in enumerate(FILES):
        (root / "1.00.01" / name).write_bytes(bytes([number]) * FILE_BYTES)
    zr.sign_root(root)
    ftp = vsftpd_fixture.Vsftpd(root, tmp_path, max_rate=96 * 1024)
    try:
        server("--reply", "patch", "--ftp-host", "127.0.0.1", "--ftp-port", str(ftp.port),
               "--ftp-user", vsftpd_fixture.USER, "--ftp-password", vsftpd_fixture.PASSWORD,
               "--catalogue", "version.cvd")
        game = launcher()
        first = game.start()
        game.wait_window()
        wait_until(lambda: len(logged_files(game.game_dir)) >= 3, 60, "three logged files")
        first.kill()
        first.wait(timeout=10)
        zr.probe("gone", zr.TITLE, 15000)
        logged = logged_files(game.game_dir)
        assert 3 <= len(logged) < len(FILES), logged
        assert not stored_version(game.game_dir)
        time.sleep(1.0)   # vsftpd logs the broken transfer when its session ends
        before = len(ftp.completed())

        second = game.start()
        game.wait_window()
        texts = zr.catalogue_texts()
        game.wait_for(lambda i: connect_visible(i) and status(i)["text"] == texts[126], timeout=60,
                      what="the ready state after the resumed patch")
        game.proc = second
        fetched = [f for f in ftp.completed()[before:] if f.startswith("1.00.01/part")]
        assert sorted(fetched) == sorted(f"1.00.01/{name}" for name in FILES if name not in logged)
        for number, name in enumerate(FILES):
            assert (game.game_dir / name).read_bytes() == bytes([number]) * FILE_BYTES, name
        assert "Version=1.00.01" in (game.game_dir / "config.ini").read_text()
        assert any(c["id"] == CONNECT for c in game.info()["children"])
    finally:
        ftp.stop()
