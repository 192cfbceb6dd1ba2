"""vsftpd, the FTP server operators run, started on loopback with a configuration file
of its own: local user with a password, no anonymous access, passive ports, chrooted
to the patch root, read only. The user and its PAM service are made at test time
(idempotently); that needs root."""
import os
import socket
import subprocess
import time
from pathlib import Path

VSFTPD = Path("/usr/sbin/vsftpd")
USER = "zrpatch"
PASSWORD = "Zr-mirror-7"
PAM_SERVICE = "zr-vsftpd"
PAM_FILE = Path("/etc/pam.d") / PAM_SERVICE


def unavailable():
    """Why vsftpd cannot run here, or None."""
    if not VSFTPD.exists():
        return "vsftpd is not installed (scripts/setup.sh installs it)"
    if os.geteuid() != 0:
        return "vsftpd's local user and PAM service need root"
    return None


def ensure_user():
    """A system user without a shell or home of its own (vsftpd enters the home
    directory before local_root, so it is "/") whose password the connect server hands
    out; a PAM service that checks only its password, because Debian's own vsftpd
    service also asks for a login shell listed in /etc/shells."""
    if subprocess.run(["id", "-u", USER], capture_output=True).returncode != 0:
        subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", "/",
                        "--shell", "/usr/sbin/nologin", USER], check=True, capture_output=True)
    subprocess.run(["chpasswd"], input=f"{USER}:{PASSWORD}\n", text=True, check=True,
                   capture_output=True)
    text = "auth required pam_unix.so\naccount required pam_unix.so\nsession required pam_permit.so\n"
    if not PAM_FILE.exists() or PAM_FILE.read_text() != text:
        PAM_FILE.write_text(text)


def free_ports(count):
    """`count` consecutive free loopback ports."""
    for _ in range(50):
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            base = s.getsockname()[1]
        if base + count > 65535:
            continue
        ok = True
        for port in range(base, base + count):
            with socket.socket() as s:
                try:
                    s.bind(("127.0.0.1", port))
                except OSError:
                    ok = False
                    break
        if ok:
            return base
    raise RuntimeError("no run of free ports")


def configuration(root, port, passive, log, max_rate=0):
    """The configuration file's text; docs/operators.md shows the same settings. The
    sandbox (seccomp_sandbox, isolate_network) is off only here: the test runs inside a
    private network namespace of a container that may refuse vsftpd the namespaces and
    filters it would add. Production keeps vsftpd's defaults."""
    return f"""\
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port={port}
background=NO
ftpd_banner=ZR patch mirror
anonymous_enable=NO
local_enable=YES
write_enable=NO
pam_service_name={PAM_SERVICE}
userlist_enable=NO
chroot_local_user=YES
local_root={root}
hide_ids=YES
pasv_enable=YES
pasv_address=127.0.0.1
pasv_min_port={passive}
pasv_max_port={passive + 9}
port_enable=NO
max_clients=200
max_per_ip=20
local_max_rate={max_rate}
idle_session_timeout=120
data_connection_timeout=60
xferlog_enable=YES
xferlog_std_format=YES
xferlog_file={log}.xfer
log_ftp_protocol=YES
dual_log_enable=YES
vsftpd_log_file={log}
secure_chroot_dir={Path(log).parent / 'vsftpd-empty'}
seccomp_sandbox=NO
isolate_network=NO
"""


class Vsftpd:
    def __init__(self, root, work, max_rate=0):
        self.root, self.work = Path(root), Path(work)
        ensure_user()
        empty = self.work / "vsftpd-empty"
        empty.mkdir(parents=True, exist_ok=True)
        empty.chmod(0o755)
        # The user enters the root before the chroot: its parents (test directories,
        # private to root) must let it pass, not list. Below the root it reads
        # everything and writes nothing.
        for parent in self.root.resolve().parents:
            parent.chmod(parent.stat().st_mode | 0o001)
        for path in [self.root, *self.root.rglob("*")]:
            path.chmod(0o755 if path.is_dir() else 0o644)
        self.log = self.work / "vsftpd.log"
        self.port = free_ports(1)
        self.config = self.work / "vsftpd.conf"
        self.config.write_text(configuration(self.root, self.port, free_ports(10), self.log, max_rate))
        self.config.chmod(0o600)   # vsftpd refuses a configuration others may write
        self.proc = None
        self.start()

    def start(self):
        self.proc = subprocess.Popen([str(VSFTPD), str(self.config)], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError(f"vsftpd ended: {self.proc.stderr.read().decode(errors='replace')}")
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=2) as s:
                    if s.recv(64).startswith(b"220"):
                        return
            except OSError:
                time.sleep(0.1)
        raise RuntimeError("vsftpd did not greet")

    def completed(self):
        """Files sent in full, in order, as the xferlog names them (relative to the
        root). Standard xferlog lines end with the completion flag: c or i."""
        xfer = Path(f"{self.log}.xfer")
        if not xfer.exists():
            return []
        sent = []
        for line in xfer.read_text(errors="replace").splitlines():
            fields = line.split()
            if len(fields) >= 18 and fields[11] == "o" and fields[-1] == "c":
                sent.append(fields[8].lstrip("/"))
        return sent

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
