"""The scriptable test connect server (tests/fixtures/connect_server.py) run on the
launcher's port for one end-to-end test, with its event log."""
import json
import socket
import subprocess
import sys
import time
from pathlib import Path

import pytest

import launcher as zr

SERVER = zr.ROOT / "tests/fixtures/connect_server.py"
PORT = 44405             # the launcher's connect-server port; the test build uses 127.0.0.1


def wait_port_free(timeout=60.0):
    """Other test runs on this machine may hold the port for a while. Connections of
    earlier tests that linger in TIME_WAIT do not count (SO_REUSEADDR)."""
    deadline = time.monotonic() + timeout
    while True:
        with socket.socket() as s:
            s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            try:
                s.bind(("127.0.0.1", PORT))
                return
            except OSError:
                if time.monotonic() > deadline:
                    pytest.fail(f"port {PORT} stays busy")
        time.sleep(0.5)


class ConnectServer:
    def __init__(self, log_path, *args):
        wait_port_free()
        self.log_path = Path(log_path)
        self.proc = subprocess.Popen([sys.executable, str(SERVER), "--port", str(PORT),
                                      "--log", str(self.log_path), *args],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.proc.stdout.readline()
        assert line.startswith("PORT "), line

    def events(self, name=None):
        if not self.log_path.exists():
            return []
        records = [json.loads(x) for x in self.log_path.read_text().splitlines() if x.strip()]
        return [r for r in records if name is None or r["event"] == name]

    def wait_event(self, name, count=1, timeout=15.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if len(self.events(name)) >= count:
                return self.events(name)
            time.sleep(0.1)
        raise AssertionError(f"no {name} event; log: {self.events()}")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(timeout=10)
