"""Shared helpers of the operator-tool tests: where the built programs are, and a
running connect server on an ephemeral loopback port."""
import os
import pathlib
import signal
import socket
import subprocess
import time

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("ZR_TOOLS_BUILD_DIR", REPO / "build" / "host-tools"))


def tool_path(env_name, relative):
    path = pathlib.Path(os.environ.get(env_name, BUILD / relative))
    if not path.exists():
        pytest.fail(f"{path} is not built (set {env_name} or build {BUILD})")
    return str(path)


@pytest.fixture(scope="session")
def server_binary():
    return tool_path("ZR_CONNECT_SERVER", "tools/connect_server/zr-connect-server")


@pytest.fixture(scope="session")
def builder_binary():
    return tool_path("ZR_PATCH_BUILDER", "tools/patch_builder/zr-patch-builder")


KEY = bytes([0x5A, 0x3C, 0x96])


def descramble(field):
    return bytes(b ^ KEY[i % 3] for i, b in enumerate(field))


def text_field(frame, offset, width):
    return descramble(frame[offset:offset + width]).split(b"\0")[0].decode("latin-1")


def parse_patch_reply(frame):
    """Fields of a patch-server reply as the launcher reads them."""
    assert frame[0] == 0xC2, frame[:4].hex()
    assert (frame[1] << 8 | frame[2]) == len(frame) >= 168
    op = frame[3]
    host_offset = 5 if op == 1 else 6
    return {
        "op": op,
        "host": text_field(frame, host_offset, 100),
        "port": frame[106] | frame[107] << 8,
        "user": text_field(frame, 108, 20),
        "password": text_field(frame, 128, 20),
        "catalogue": text_field(frame, 148, 20),
    }


def read_all(sock, timeout=5.0):
    sock.settimeout(timeout)
    data = b""
    while True:
        chunk = sock.recv(4096)
        if not chunk:
            return data
        data += chunk


def converse(port, op, version, source="127.0.0.1"):
    """One launcher conversation: greeting, version request, reply until the close."""
    with socket.create_connection(("127.0.0.1", port), timeout=5,
                                  source_address=(source, 0)) as sock:
        greeting = b""
        while len(greeting) < 4:
            chunk = sock.recv(4 - len(greeting))
            assert chunk, "closed before the greeting"
            greeting += chunk
        assert greeting == bytes([0xC1, 0x04, 0x00, 0x01])
        sock.sendall(bytes([0xC1, 0x06, op, *version]))
        return read_all(sock)


class RunningServer:
    def __init__(self, proc, port, log_path):
        self.proc = proc
        self.port = port
        self.log_path = log_path

    def log(self):
        return self.log_path.read_text() if self.log_path.exists() else ""

    def wait_for_log(self, fragment, timeout=5.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if fragment in self.log():
                return True
            time.sleep(0.05)
        return False

    def stop(self, sig=signal.SIGTERM, timeout=5.0):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
        return self.proc.wait(timeout=timeout)


def write_config(path, settings, servers, test_servers=()):
    lines = ["# test configuration"]
    lines += [f"{key} = {value}" for key, value in settings.items()]
    for section, entries in (("patch_server", servers), ("test_patch_server", test_servers)):
        for entry in entries:
            lines.append(f"[{section}]")
            lines += [f"{key} = {value}" for key, value in entry.items()]
    path.write_text("\n".join(lines) + "\n")


DEFAULT_SERVER = {"host": "127.0.0.1", "port": "2121", "user": "zr", "password": "secret",
                  "catalogue": "version.cvd"}


@pytest.fixture
def start_server(server_binary, tmp_path):
    started = []

    def start(settings, servers=(DEFAULT_SERVER,), test_servers=()):
        log_path = tmp_path / f"server{len(started)}.log"
        config = tmp_path / f"server{len(started)}.conf"
        base = {"listen": "127.0.0.1", "port": "0", "log_file": str(log_path)}
        base.update(settings)
        write_config(config, base, servers, test_servers)
        proc = subprocess.Popen([server_binary, "--config", str(config)],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = proc.stdout.readline()
        if not line.startswith("listening on "):
            proc.kill()
            pytest.fail(f"server did not start: {line!r} {proc.stderr.read()}")
        server = RunningServer(proc, int(line.rsplit(":", 1)[1]), log_path)
        started.append(server)
        return server

    yield start
    for server in started:
        if server.proc.poll() is None:
            server.proc.kill()
            server.proc.wait()
