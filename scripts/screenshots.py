#!/usr/bin/python3
"""Retakes the window pictures in docs/ with the real zr.exe under Wine: the main
window while connecting, after a connection error, while patching and ready, and the
options dialog, with the Korean catalogue (window-ready.png, ...) and the English one
(window-ready.en.png, ...). Each picture is cropped to its window.

  screenshots.py --tools TOOLS [--out DIR] [--language ko|en ...]

Needs the Windows build of ZR_BUILD_DIR (zr.exe, game.exe, zrprobe.exe), the directory
tree TOOLS holding zr-connect-server and zr-patch-builder, a running X display and Wine's environment; the
connect-server port 44405 must be free. scripts/screenshots.sh provides all of that.
"""
import argparse
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "scripts"))

import demo  # noqa: E402
import launcher as zr  # noqa: E402
import window_support as ws  # noqa: E402

STATUS, CONNECT, OPTION = 1020, 1999, 1997
RED = (255, 0, 0)
OPTIONS = "owned:" + zr.TITLE


# The pictures with the Korean catalogue keep their plain names; other languages add
# ".LANG" before ".png".
SUFFIX = ""


def named(name):
    return name.replace(".png", SUFFIX + ".png")


def log(text):
    print(f"screenshots: {text}", flush=True)


def crop(image, window):
    x, y, w, h = window
    return image.crop((x, y, x + w, y + h))


def park_pointer():
    # The pointer starts in the middle of the screen, over the centred window, where it
    # would light up the link or raise a tooltip.
    zr.probe("pointer", "move", 0, 0)


def status_of(info):
    return next(c for c in info["children"] if c["id"] == STATUS)


def connecting(app, out):
    server = ws.SilentServer()
    try:
        app.start()
        app.wait_window()
        park_pointer()
        text = zr.catalogue_texts()[102]
        info = app.wait_for(lambda i: status_of(i)["text"] == text, what="the connecting text")
        time.sleep(0.5)
        crop(ws.screenshot(), info["window"]).save(out / named("window-connecting.png"))
    finally:
        app.stop()
        server.close()


def connection_error(app, out):
    """Nothing listens: every attempt fails and shows its error for half a second, which
    is caught by grabbing the screen until the status line turns red."""
    app.start()
    app.wait_window()
    park_pointer()
    try:
        info = app.wait_for(lambda i: next(c for c in i["children"] if c["id"] == CONNECT)["visible"],
                            timeout=30, what="the Connect button")
        x0, y0 = info["origin"]
        sx, sy = status_of(info)["rect"][:2]
        for _ in range(8):
            zr.probe("click", zr.TITLE, CONNECT)
            deadline = time.monotonic() + 3
            while time.monotonic() < deadline:
                shot = ws.screenshot()
                if shot.getpixel((x0 + sx + 4, y0 + sy + 4)) == RED:
                    crop(shot, info["window"]).save(out / named("window-error.png"))
                    return
            app.wait_for(lambda i: next(c for c in i["children"] if c["id"] == CONNECT)["visible"],
                         timeout=30, what="the Connect button again")
        raise RuntimeError("the error style never reached the screen")
    finally:
        app.stop()


class PatchShots(demo.Demo):
    """The demo's patch run through its own servers, keeping the window while it
    patches and once it is ready."""

    NAMES = {"patching": "window-patching.png", "ready": "window-ready.png"}

    def __init__(self, tools, work, out):
        super().__init__(zr.BUILD.resolve(), tools.resolve(), work, None)
        self.out = out
        self.catalogue = zr.CATALOGUE

    def screenshot(self, name):
        if name not in self.NAMES:
            return
        if name == "ready":
            time.sleep(0.5)
        info = self.probe("info", zr.TITLE)
        if "window" in info:
            crop(ws.screenshot(), info["window"]).save(self.out / named(self.NAMES[name]))
            self.shot_names.append(self.out / named(self.NAMES[name]))


def patching_and_ready(tools, work, out):
    run = PatchShots(tools, work, out)
    try:
        problems = run.run()
    finally:
        run.stop_all()
    missing = [n for n in PatchShots.NAMES.values() if out / named(n) not in run.shot_names]
    if problems or missing:
        raise RuntimeError(f"patch run: {problems + missing}")


def options_dialog(app, out):
    ws.delete_settings()
    app.start()
    app.wait_window()
    park_pointer()
    try:
        zr.probe("click", zr.TITLE, OPTION)
        zr.probe("wait", OPTIONS, 15000)
        time.sleep(0.5)
        info = zr.probe("info", OPTIONS)
        crop(ws.screenshot(), info["window"]).save(out / named("options.png"))
    finally:
        zr.probe("click", OPTIONS, 2, check=False)
        app.stop()
        ws.delete_settings()


def take_all(args, language):
    global SUFFIX
    SUFFIX = "" if language == "ko" else "." + language
    zr.CATALOGUE = ROOT / "app" / f"message.{language}.ctf"
    with tempfile.TemporaryDirectory() as tmp:
        work = Path(tmp)
        connecting(zr.Launcher(work / "connecting"), args.out)
        log(named("window-connecting.png"))
        connection_error(zr.Launcher(work / "error"), args.out)
        log(named("window-error.png"))
        patching_and_ready(args.tools, work / "patch", args.out)
        log(f"{named('window-patching.png')}, {named('window-ready.png')}")
        options_dialog(zr.Launcher(work / "options"), args.out)
        log(named("options.png"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tools", type=Path, default=zr.BUILD / "host" / "tools")
    parser.add_argument("--out", type=Path, default=ROOT / "docs")
    parser.add_argument("--language", nargs="+", choices=["ko", "en"], default=["ko", "en"])
    args = parser.parse_args()
    reason = zr.available()
    if reason:
        log(reason)
        return 1
    args.out.mkdir(parents=True, exist_ok=True)
    for language in args.language:
        take_all(args, language)
    return 0


if __name__ == "__main__":
    sys.exit(main())
