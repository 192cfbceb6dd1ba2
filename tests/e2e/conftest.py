import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).parent))
import launcher as zr  # noqa: E402
from connect_fixture import ConnectServer  # noqa: E402


@pytest.fixture
def launcher(tmp_path):
    reason = zr.available()
    if reason:
        pytest.skip(reason)
    instances = []

    def make(name="game"):
        inst = zr.Launcher(tmp_path / name)
        instances.append(inst)
        return inst

    yield make
    for inst in instances:
        inst.stop()


@pytest.fixture
def server(tmp_path):
    servers = []

    def start(*args):
        s = ConnectServer(tmp_path / f"server{len(servers)}.log", *args)
        servers.append(s)
        return s

    yield start
    for s in servers:
        s.stop()
