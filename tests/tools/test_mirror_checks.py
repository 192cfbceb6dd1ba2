"""The connect server's checks of its patch servers: only mirrors that greet with 220
are handed out; a mirror that stops is skipped until it answers again; with none live
the configured order is kept and the log says so."""
import socket
import subprocess
import threading
import time

import pytest

from conftest import DEFAULT_SERVER, converse, parse_patch_reply, write_config

FAST = {"mirror_check_interval_ms": "150", "mirror_check_timeout_ms": "300"}


class FakeMirror:
    """A loopback listener that greets every connection with one line, or stays
    silent; it can be stopped and started again on the same port."""

    def __init__(self, greeting=b"220 ready\r\n"):
        self.greeting = greeting
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        self.port = probe.getsockname()[1]
        probe.close()
        self.listener = None
        self.checks = 0

    def start(self):
        self.listener = socket.socket()
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", self.port))
        self.listener.listen(16)
        threading.Thread(target=self._serve, args=(self.listener,), daemon=True).start()
        return self

    def _serve(self, listener):
        held = []
        while True:
            try:
                conn, _ = listener.accept()
            except OSError:
                break
            self.checks += 1
            if self.greeting:
                conn.sendall(self.greeting)
                conn.close()
            else:
                held.append(conn)   # silent: keep it open, say nothing
        for conn in held:
            conn.close()

    def stop(self):
        self.listener.shutdown(socket.SHUT_RDWR)
        self.listener.close()

    def entry(self, name):
        return dict(DEFAULT_SERVER, host="127.0.0.1", port=str(self.port), user=name)


def handed_out(server, count):
    return [parse_patch_reply(converse(server.port, 5, (1, 0, 0)))["user"] for _ in range(count)]


def wait_until(condition, timeout=5.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.05)
    return False


@pytest.fixture
def mirrors():
    started = []

    def make(greeting=b"220 ready\r\n"):
        mirror = FakeMirror(greeting).start()
        started.append(mirror)
        return mirror

    yield make
    for mirror in started:
        if mirror.listener.fileno() >= 0:
            mirror.stop()


def test_stopped_mirror_is_skipped_until_it_answers_again(tmp_path, start_server, mirrors):
    catalogue = tmp_path / "version.cvd"
    catalogue.write_text('"2.0.0"\n')
    a, b = mirrors(), mirrors()
    server = start_server(dict(FAST, catalogue=catalogue), servers=[a.entry("a"), b.entry("b")])
    assert wait_until(lambda: a.checks >= 2 and b.checks >= 2)
    assert handed_out(server, 4) == ["a", "b", "a", "b"]

    b.stop()
    assert server.wait_for_log(f"patch server 127.0.0.1:{b.port} is down (connect failed")
    assert handed_out(server, 3) == ["a", "a", "a"]

    b.start()
    assert server.wait_for_log(f"patch server 127.0.0.1:{b.port} is live again")
    assert sorted(handed_out(server, 4)) == ["a", "a", "b", "b"]
    assert "no patch server is live" not in server.log()


def test_all_stopped_keeps_the_configured_order_and_says_so(tmp_path, start_server, mirrors):
    catalogue = tmp_path / "version.cvd"
    catalogue.write_text('"2.0.0"\n')
    a, b, c = mirrors(), mirrors(), mirrors()
    server = start_server(dict(FAST, catalogue=catalogue),
                          servers=[a.entry("a"), b.entry("b"), c.entry("c")])
    for mirror in (a, b, c):
        mirror.stop()
    assert server.wait_for_log("no patch server is live: handing them out in the configured order")
    assert handed_out(server, 6) == ["a", "b", "c", "a", "b", "c"]
    assert server.log().count("no patch server is live") == 1   # said once, not every round
    a.start()
    assert server.wait_for_log(f"127.0.0.1:{a.port} is live again")
    assert handed_out(server, 3) == ["a", "a", "a"]


def test_wrong_greeting_and_silence_mark_a_mirror_down(tmp_path, start_server, mirrors):
    catalogue = tmp_path / "version.cvd"
    catalogue.write_text('"2.0.0"\n')
    good = mirrors()
    busy = mirrors(b"421 Too many users\r\n")
    silent = mirrors(greeting=None)
    near = mirrors(b"2200 not a reply code\r\n")
    server = start_server(dict(FAST, catalogue=catalogue),
                          servers=[busy.entry("busy"), silent.entry("silent"),
                                   near.entry("near"), good.entry("good")])
    assert server.wait_for_log(f":{busy.port} is down (greeting \"421 Too many users\" is not 220)")
    assert server.wait_for_log(f":{silent.port} is down (no greeting within 300 ms)")
    assert server.wait_for_log(f":{near.port} is down (greeting")
    assert handed_out(server, 3) == ["good"] * 3


def test_checks_do_not_hold_up_clients(tmp_path, start_server, mirrors):
    """Silent mirrors keep their checks waiting for the whole timeout; clients are
    answered meanwhile, at once."""
    catalogue = tmp_path / "version.cvd"
    catalogue.write_text('"2.0.0"\n')
    silent = [mirrors(greeting=None) for _ in range(3)]
    server = start_server({"catalogue": catalogue, "mirror_check_interval_ms": "100",
                           "mirror_check_timeout_ms": "5000"},
                          servers=[m.entry(f"s{i}") for i, m in enumerate(silent)])
    assert wait_until(lambda: all(m.checks >= 1 for m in silent))
    began = time.monotonic()
    assert handed_out(server, 20) == ["s0", "s1", "s2"] * 6 + ["s0", "s1"]
    assert time.monotonic() - began < 2.0


def test_checking_can_be_turned_off(tmp_path, start_server):
    catalogue = tmp_path / "version.cvd"
    catalogue.write_text('"2.0.0"\n')
    dead = [dict(DEFAULT_SERVER, port="1", user=name) for name in ("x", "y")]
    server = start_server({"catalogue": catalogue, "mirror_check_interval_ms": "0"}, servers=dead)
    assert handed_out(server, 4) == ["x", "y", "x", "y"]
    time.sleep(0.3)
    assert "is down" not in server.log() and "no patch server" not in server.log()


@pytest.mark.parametrize("settings, message", [
    ({"mirror_check_interval_ms": "50"}, "mirror_check_interval_ms must be 0 (off) or from 100"),
    ({"mirror_check_interval_ms": "-1"}, "mirror_check_interval_ms must be 0 (off) or from 100"),
    ({"mirror_check_timeout_ms": "0"}, "mirror_check_timeout_ms must be from 50 to 60000, not '0'"),
    ({"mirror_check_timeout_ms": "3s"}, "mirror_check_timeout_ms must be from 50 to 60000"),
])
def test_bad_check_settings_are_refused(tmp_path, server_binary, settings, message):
    catalogue = tmp_path / "version.cvd"
    catalogue.write_text('"1.0.0"\n')
    config = tmp_path / "bad.conf"
    write_config(config, dict({"catalogue": catalogue}, **settings), [DEFAULT_SERVER])
    result = subprocess.run([server_binary, "--config", str(config), "--check"],
                            capture_output=True, text=True, timeout=10)
    assert result.returncode == 1 and message in result.stderr
