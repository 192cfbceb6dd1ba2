"""The real zr.exe talking to the scriptable connect server on loopback: the version
answer, the ready and idle states as the user sees them on screen, the Connect button
as retry button, and Close while the connection is open."""
import time

from PIL import ImageGrab

import launcher as zr
from connect_fixture import wait_port_free

STATUS, CONNECT, CLOSE = 1020, 1999, 2000
RED, WHITE, GREY = (255, 0, 0), (255, 255, 255), (230, 230, 230)


def status_pixels(info):
    """Screen colours of the status line: a background pixel near its corner and the
    set of colours inside it."""
    x0, y0 = info["origin"]
    rect = next(c for c in info["children"] if c["id"] == STATUS)["rect"]
    left, top = x0 + rect[0], y0 + rect[1]
    image = ImageGrab.grab(bbox=(left, top, left + rect[2], top + rect[3])).convert("RGB")
    colours = set(image.getdata())
    return image.getpixel((4, 4)), colours


def button(info, control_id):
    return next(c for c in info["children"] if c["id"] == control_id)


def test_up_to_date_client_is_answered_and_shown_ready(launcher, server):
    srv = server()
    game = launcher()
    game.start("/l", "1.2.3")
    game.wait_window()
    texts = zr.catalogue_texts()
    info = game.wait_for(lambda i: button(i, STATUS)["text"] == texts[126] and button(i, CONNECT)["visible"],
                         what="the ready state")
    request = srv.wait_event("request")[0]
    assert request["hex"] == "c10607010203"       # /l: op 7 with the given version
    assert button(info, CONNECT)["enabled"]
    background, colours = status_pixels(info)
    assert background == GREY
    assert (0, 0, 0) in colours and RED not in colours


def test_failed_connection_goes_idle_and_connect_retries(launcher, server):
    wait_port_free()
    game = launcher()
    game.start()
    game.wait_window()
    texts = zr.catalogue_texts()

    def idle(i):
        return button(i, CONNECT)["visible"] and button(i, STATUS)["text"] == texts[126]

    info = game.wait_for(idle, what="the idle state")
    background, colours = status_pixels(info)
    assert background == WHITE and RED not in colours and (0, 0, 0) in colours

    # Each press of Connect hides it and makes a new attempt, which fails again with
    # text 107 in white on red for half a second; one of a few attempts is caught.
    seen_error = False
    geometry = game.info()
    for _ in range(5):
        zr.probe("click", zr.TITLE, CONNECT)
        # The launcher is blocked while the error shows, so only the screen is read.
        deadline = time.monotonic() + 2.5
        while time.monotonic() < deadline and not seen_error:
            background, colours = status_pixels(geometry)
            seen_error = background == RED and WHITE in colours
        game.wait_for(idle, what="idle again")
        if seen_error:
            break
    assert seen_error, "the error style was never on screen"

    # A server now listens: the next press connects, and the launcher becomes ready.
    srv = server()
    assert srv.events("connect") == []
    zr.probe("click", zr.TITLE, CONNECT)
    assert srv.wait_event("request")[0]["valid"]
    game.wait_for(lambda i: button(i, CONNECT)["visible"] and status_pixels(i)[0] == GREY,
                  what="the ready state after the retry")


def test_close_while_connected_ends_the_launcher(launcher, server):
    srv = server("--stall")
    game = launcher()
    game.start()
    game.wait_window()
    srv.wait_event("connect")
    texts = zr.catalogue_texts()
    info = game.wait_for(lambda i: button(i, STATUS)["text"] == texts[102], what="text 102")
    assert not button(info, CONNECT)["visible"]
    zr.probe("click", zr.TITLE, CLOSE)
    assert game.proc.wait(timeout=20) == 0
    srv.wait_event("close")
