"""Screen and registry helpers for the window tests: screenshots of the X display,
a silent connect server that keeps the launcher in its connecting state, and the
launcher's settings key in the test prefix."""
import io
import socket
import subprocess
import threading

from PIL import Image

import launcher as zr

RES = zr.ROOT / "ui/res"
SETTINGS_KEY = r"HKCU\Software\Corvane\ZR\Config"


def screenshot():
    """The whole X display as an RGB image."""
    png = subprocess.run(["import", "-window", "root", "png:-"], check=True, capture_output=True,
                         timeout=30).stdout
    return Image.open(io.BytesIO(png)).convert("RGB")


def client_pixel(image, info, x, y):
    ox, oy = info["origin"]
    return image.getpixel((ox + x, oy + y))


def resource_pixel(name, x, y):
    return Image.open(RES / name).convert("RGB").getpixel((x, y))


def differing_point(a, b):
    """A point where two button bitmaps differ."""
    ia, ib = Image.open(RES / a).convert("RGB"), Image.open(RES / b).convert("RGB")
    for y in range(4, 24, 2):
        for x in range(6, 78, 2):
            if ia.getpixel((x, y)) != ib.getpixel((x, y)):
                return x, y
    raise AssertionError(f"{a} and {b} look alike")


class SilentServer:
    """Accepts connections on the connect-server port and never answers."""

    def __init__(self, port=44405):
        self.sock = socket.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind(("127.0.0.1", port))
        self.sock.listen(4)
        self.clients = []
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            self.clients.append(conn)

    def close(self):
        # A thread blocked in accept keeps the socket listening until it is shut down.
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()
        self.thread.join(timeout=5)
        for c in self.clients:
            c.close()


def reg(*args, check=False):
    return subprocess.run(["wine", "reg", *args], env=zr.wine_env(), capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=60, check=check)


def delete_settings():
    reg("delete", SETTINGS_KEY, "/f")


def read_settings():
    """The settings key as a dict of value name to text (REG_DWORD as an int)."""
    out = reg("query", SETTINGS_KEY).stdout
    values = {}
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            text = parts[2] if len(parts) > 2 else ""
            values[parts[0]] = int(text, 16) if parts[1] == "REG_DWORD" else text
    return values


def set_dword(name, value):
    reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f", check=True)
