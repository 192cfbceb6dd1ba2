"""The connect server, run for real on an ephemeral loopback port and spoken to over
real sockets as the launcher speaks to it."""
import os
import signal
import socket
import subprocess
import time

import pytest

from conftest import DEFAULT_SERVER, converse, parse_patch_reply, read_all, write_config

UP_TO_DATE = bytes([0xC1, 0x03, 0x02])


def write_catalogue(path, versions):
    path.write_text("// catalogue\n" + "".join(f'"{v}"\n' for v in versions))


def replace_atomically(path, text):
    temporary = path.with_name(path.name + ".new")
    temporary.write_text(text)
    os.replace(temporary, path)


def open_greeted(port, source="127.0.0.1"):
    sock = socket.create_connection(("127.0.0.1", port), timeout=5, source_address=(source, 0))
    greeting = sock.recv(4)
    assert greeting == bytes([0xC1, 0x04, 0x00, 0x01])
    return sock


class TestAnswers:
    def test_current_newer_and_older_clients(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0", "1.0.2"])
        server = start_server({"catalogue": catalogue})

        assert converse(server.port, 5, (1, 0, 2)) == UP_TO_DATE
        assert converse(server.port, 5, (1, 0, 3)) == UP_TO_DATE
        reply = converse(server.port, 5, (1, 0, 1))
        assert len(reply) == 168
        assert parse_patch_reply(reply) == {"op": 5, "host": "127.0.0.1", "port": 2121,
                                            "user": "zr", "password": "secret",
                                            "catalogue": "version.cvd"}
        # The port is plain little-endian; 2121 = 0x0849.
        assert reply[106:108] == bytes([0x49, 0x08])
        assert server.wait_for_log("request=05 version=1.0.1 answer=patch")
        assert server.wait_for_log("request=05 version=1.0.2 answer=current")

    def test_versions_compare_as_packed_bytes(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.02.05"])
        server = start_server({"catalogue": catalogue})
        # 0.255.255 < 1.2.5 < 1.2.6, byte by byte, not as text.
        assert parse_patch_reply(converse(server.port, 5, (0, 255, 255)))["op"] == 5
        assert converse(server.port, 5, (1, 2, 5)) == UP_TO_DATE
        assert converse(server.port, 5, (1, 2, 6)) == UP_TO_DATE

    def test_reply_op_follows_request_op_and_configuration(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["2.0.0"])
        server = start_server({"catalogue": catalogue})
        assert parse_patch_reply(converse(server.port, 7, (1, 0, 0)))["op"] == 7
        assert parse_patch_reply(converse(server.port, 6, (1, 0, 0)))["op"] == 5
        server.stop()

        server = start_server({"catalogue": catalogue, "reply_op_5": "1", "reply_op_6": "7"})
        reply = converse(server.port, 5, (1, 0, 0))
        fields = parse_patch_reply(reply)
        # Op 1 carries the host one byte earlier; the other fields stay in place.
        assert fields["op"] == 1 and fields["host"] == "127.0.0.1"
        assert fields["user"] == "zr" and fields["catalogue"] == "version.cvd"
        assert parse_patch_reply(converse(server.port, 6, (1, 0, 0)))["op"] == 7

    def test_test_mode_clients_use_the_test_channel(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        test_catalogue = tmp_path / "test.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        write_catalogue(test_catalogue, ["1.0.0", "1.0.1"])
        test_server = {"host": "test.local", "port": "2200", "user": "tester",
                       "password": "pw", "catalogue": "test.cvd"}
        server = start_server({"catalogue": catalogue, "test_catalogue": test_catalogue},
                              test_servers=(test_server,))
        assert converse(server.port, 5, (1, 0, 0)) == UP_TO_DATE
        fields = parse_patch_reply(converse(server.port, 6, (1, 0, 0)))
        assert fields == {"op": 5, "host": "test.local", "port": 2200, "user": "tester",
                          "password": "pw", "catalogue": "test.cvd"}
        assert converse(server.port, 6, (1, 0, 1)) == UP_TO_DATE

    def test_test_mode_without_test_channel_uses_main_catalogue(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.3"])
        server = start_server({"catalogue": catalogue})
        assert converse(server.port, 6, (1, 0, 3)) == UP_TO_DATE
        assert parse_patch_reply(converse(server.port, 6, (1, 0, 2)))["host"] == "127.0.0.1"

    def test_request_split_into_single_bytes_is_answered(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        server = start_server({"catalogue": catalogue})
        with open_greeted(server.port) as sock:
            for byte in bytes([0xC1, 0x06, 0x05, 1, 0, 0]):
                sock.sendall(bytes([byte]))
                time.sleep(0.05)
            assert read_all(sock) == UP_TO_DATE


class TestCatalogueChanges:
    def test_catalogue_update_is_used_by_the_next_client(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        server = start_server({"catalogue": catalogue})
        assert converse(server.port, 5, (1, 0, 0)) == UP_TO_DATE

        replace_atomically(catalogue, '"1.0.0"\n"1.0.1"\n')
        assert parse_patch_reply(converse(server.port, 5, (1, 0, 0)))["op"] == 5

        # Appended in place (same inode, new size) is seen too.
        with open(catalogue, "a") as file:
            file.write('"1.0.2"\n')
        assert parse_patch_reply(converse(server.port, 5, (1, 0, 1)))["op"] == 5
        assert converse(server.port, 5, (1, 0, 2)) == UP_TO_DATE

    def test_vanished_catalogue_keeps_the_last_good_version(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.5"])
        server = start_server({"catalogue": catalogue})
        catalogue.unlink()
        assert parse_patch_reply(converse(server.port, 5, (1, 0, 4)))["op"] == 5
        assert converse(server.port, 5, (1, 0, 5)) == UP_TO_DATE
        assert server.wait_for_log("cannot be read")
        write_catalogue(catalogue, ["1.0.6"])
        assert parse_patch_reply(converse(server.port, 5, (1, 0, 5)))["op"] == 5

    def test_version_published_by_the_patch_builder(self, tmp_path, start_server,
                                                     builder_binary):
        root = tmp_path / "ftp"
        old, new = tmp_path / "old", tmp_path / "new"
        for tree in (root, old, new):
            tree.mkdir()
        (old / "a.dat").write_bytes(b"one")
        (new / "a.dat").write_bytes(b"two")
        write_catalogue(root / "version.cvd", ["1.0.0"])
        server = start_server({"catalogue": root / "version.cvd"})
        assert converse(server.port, 5, (1, 0, 0)) == UP_TO_DATE
        subprocess.run([builder_binary, "build", "--old", old, "--new", new, "--root", root,
                        "--version", "1.0.1"], check=True, capture_output=True)
        assert parse_patch_reply(converse(server.port, 5, (1, 0, 0)))["op"] == 5


def test_patch_servers_are_handed_out_in_turn(tmp_path, start_server):
    catalogue = tmp_path / "version.cvd"
    write_catalogue(catalogue, ["3.0.0"])
    mirrors = [dict(DEFAULT_SERVER, host=f"mirror{i}.local", port=str(2100 + i))
               for i in range(3)]
    server = start_server({"catalogue": catalogue}, servers=mirrors)
    seen = [parse_patch_reply(converse(server.port, 5, (1, 0, 0))) for _ in range(6)]
    assert [f["host"] for f in seen] == ["mirror0.local", "mirror1.local", "mirror2.local"] * 2
    assert [f["port"] for f in seen[:3]] == [2100, 2101, 2102]
    # Current clients do not use up a turn.
    assert converse(server.port, 5, (3, 0, 0)) == UP_TO_DATE
    assert parse_patch_reply(converse(server.port, 5, (1, 0, 0)))["host"] == "mirror0.local"


class TestMisbehavingClients:
    def test_garbage_silent_and_slow_clients_do_not_delay_others(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        server = start_server({"catalogue": catalogue, "client_timeout_ms": "1500"})

        garbage = open_greeted(server.port)
        garbage.sendall(b"GET / HTTP/1.0\r\n\r\n")
        silent = open_greeted(server.port)
        slow = open_greeted(server.port)
        slow.sendall(bytes([0xC1]))

        # The bad frame is dropped at once.
        started = time.monotonic()
        assert read_all(garbage) == b""
        assert time.monotonic() - started < 1.0

        # A good client is answered promptly while the others hang on.
        for _ in range(3):
            started = time.monotonic()
            assert converse(server.port, 5, (1, 0, 0)) == UP_TO_DATE
            assert time.monotonic() - started < 0.5
            slow.sendall(bytes([0x06]))
            time.sleep(0.2)

        # Silent and slow clients are dropped when their time runs out.
        started = time.monotonic()
        assert read_all(silent) == b""
        assert read_all(slow) == b""
        assert time.monotonic() - started < 2.5
        for sock in (garbage, silent, slow):
            sock.close()
        assert server.wait_for_log("dropped: bad frame (byte 0 is 0x47)")
        assert server.wait_for_log("dropped: timeout after 1500 ms")
        # The two timeouts are logged one after the other.
        deadline = time.monotonic() + 5.0
        while server.log().count("dropped: timeout") < 2 and time.monotonic() < deadline:
            time.sleep(0.05)
        assert server.log().count("dropped: timeout") == 2

    @pytest.mark.parametrize("request_bytes, problem", [
        (bytes([0xC1, 0x07, 0x05, 1, 0, 0]), "byte 1 is 0x07"),
        (bytes([0xC1, 0x06, 0x04, 1, 0, 0]), "byte 2 is 0x04"),
        (bytes([0xC2, 0x00, 0x06, 0x05, 1, 0]), "byte 0 is 0xC2"),
    ])
    def test_malformed_requests_are_dropped(self, tmp_path, start_server, request_bytes,
                                            problem):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        server = start_server({"catalogue": catalogue})
        with open_greeted(server.port) as sock:
            sock.sendall(request_bytes)
            assert read_all(sock) == b""
        assert server.wait_for_log(problem)

    def test_per_address_limit(self, tmp_path, start_server):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        server = start_server({"catalogue": catalogue, "max_per_address": "2"})
        held = [open_greeted(server.port), open_greeted(server.port)]

        third = socket.create_connection(("127.0.0.1", server.port), timeout=5)
        assert read_all(third) == b""   # closed without a greeting
        third.close()
        assert server.wait_for_log("too many connections from this address (limit 2)")

        # Another loopback address has its own allowance.
        assert converse(server.port, 5, (1, 0, 0), source="127.0.0.2") == UP_TO_DATE

        held.pop().close()
        time.sleep(0.2)
        assert converse(server.port, 5, (1, 0, 0)) == UP_TO_DATE
        held[0].close()


class TestShutdown:
    @pytest.mark.parametrize("sig, name", [(signal.SIGTERM, "SIGTERM"),
                                           (signal.SIGINT, "SIGINT")])
    def test_signal_closes_clients_and_exits_zero(self, tmp_path, start_server, sig, name):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        server = start_server({"catalogue": catalogue})
        waiting = open_greeted(server.port)
        started = time.monotonic()
        assert server.stop(sig) == 0
        assert time.monotonic() - started < 2.0
        assert read_all(waiting) == b""
        waiting.close()
        assert f"stopping on {name} with 1 clients connected" in server.log()
        assert "dropped: server stopping" in server.log()
        with pytest.raises(OSError):
            socket.create_connection(("127.0.0.1", server.port), timeout=1).close()


class TestConfigurationErrors:
    def check(self, server_binary, config_path):
        result = subprocess.run([server_binary, "--config", str(config_path), "--check"],
                                capture_output=True, text=True, timeout=10)
        assert result.returncode == 1
        return result.stderr

    @pytest.mark.parametrize("field, value, message", [
        ("host", "h" * 100, "host is 100 bytes long; the reply frame holds at most 99"),
        ("user", "u" * 20, "user is 20 bytes long; the reply frame holds at most 19"),
        ("password", "p" * 20, "password is 20 bytes long"),
        ("catalogue", "c" * 20, "catalogue is 20 bytes long"),
        ("port", "70000", "port must be a port number from 1 to 65535, not '70000'"),
        ("port", "0", "port must be a port number from 1 to 65535, not '0'"),
        ("port", "21x", "port must be a port number from 1 to 65535, not '21x'"),
        ("mirror", "x", "unknown key 'mirror' in [patch_server]"),
    ])
    def test_bad_patch_server_fields(self, tmp_path, server_binary, field, value, message):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        config = tmp_path / "bad.conf"
        write_config(config, {"catalogue": catalogue}, [dict(DEFAULT_SERVER, **{field: value})])
        stderr = self.check(server_binary, config)
        line = next(i for i, text in enumerate(config.read_text().splitlines(), 1)
                    if text.startswith(f"{field} = {value}"))
        assert f"{config}:{line}: {message}" in stderr

    @pytest.mark.parametrize("settings, message", [
        ({"port": "65536"}, "port must be a port number from 0 to 65535"),
        ({"listen": "localhost"}, "listen must be an IPv4 address"),
        ({"reply_op_5": "2"}, "reply_op_5 must be 1, 5 or 7"),
        ({"client_timeout_ms": "0"}, "client_timeout_ms must be from 100"),
        ({"catalogue": "/nonexistent/version.cvd"},
         "catalogue '/nonexistent/version.cvd' cannot be read: No such file or directory"),
        ({"test_catalogue": "/nonexistent/test.cvd"}, "test_catalogue '/nonexistent/test.cvd'"),
    ])
    def test_bad_global_settings(self, tmp_path, server_binary, settings, message):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        config = tmp_path / "bad.conf"
        write_config(config, dict({"catalogue": catalogue}, **settings), [DEFAULT_SERVER])
        assert message in self.check(server_binary, config)

    def test_structural_errors(self, tmp_path, server_binary):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        config = tmp_path / "bad.conf"

        config.write_text(f"catalogue = {catalogue}\n")
        assert "no [patch_server] section" in self.check(server_binary, config)

        config.write_text(f"catalogue = {catalogue}\n[patch_server]\nuser = a\ncatalogue = v\n")
        assert f"{config}:2: [patch_server] has no host" in self.check(server_binary, config)

        config.write_text(f"catalogue = {catalogue}\nport = 1\nport = 2\n")
        assert f"{config}:3: key 'port' is given twice" in self.check(server_binary, config)

        config.write_text("just some words\n")
        assert f"{config}:1: expected key = value" in self.check(server_binary, config)

        config.write_text("[mirrors]\n")
        assert f"{config}:1: unknown section [mirrors]" in self.check(server_binary, config)

        missing = tmp_path / "missing.conf"
        assert "cannot open the configuration file" in self.check(server_binary, missing)

    def test_good_configuration_passes_the_check(self, tmp_path, server_binary):
        catalogue = tmp_path / "version.cvd"
        write_catalogue(catalogue, ["1.0.0"])
        config = tmp_path / "good.conf"
        write_config(config, {"catalogue": catalogue},
                     [dict(DEFAULT_SERVER, host="h" * 99, user="u" * 19)], [DEFAULT_SERVER])
        result = subprocess.run([server_binary, "--config", str(config), "--check"],
                                capture_output=True, text=True, timeout=10)
        assert result.returncode == 0, result.stderr
        assert "1 patch server(s), 1 test patch server(s)" in result.stdout
