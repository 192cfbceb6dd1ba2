"""The main window as a user sees it: size and layout, the skin, Escape, dragging by
the body, tooltips and the bitmap buttons' pressed and focused looks."""
import time

import pytest

import launcher as zr
import window_support as ws


@pytest.fixture
def silent_server():
    # Other suites may hold the fixed port for a while; wait for it.
    deadline = time.monotonic() + 90
    while True:
        try:
            server = ws.SilentServer()
            break
        except OSError:
            if time.monotonic() > deadline:
                pytest.skip("the connect-server port stays in use")
            time.sleep(0.5)
    yield server
    server.close()


def controls(info):
    return {c["id"]: c for c in info["children"]}


def center(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def test_layout_skin_and_first_look(launcher, silent_server):
    app = launcher()
    app.start()
    app.wait_window()
    texts = zr.catalogue_texts()
    info = app.wait_for(lambda i: controls(i)[1020]["text"] == texts[102], what="connecting status")
    assert info["title"] == zr.TITLE
    assert info["window"][2:] == [423, 352]
    assert info["client"] == [0, 0, 421, 350]
    c = controls(info)
    assert c[1020]["rect"] == [24, 28, 390, 40]
    assert c[1021]["rect"] == [24, 75, 390, 20]
    assert c[1022]["rect"] == [24, 95, 390, 10]
    assert c[1027]["rect"] == [24, 105, 215, 17]
    assert c[1028]["rect"] == [200, 105, 215, 17]
    assert c[1997]["rect"] == [45, 130, 84, 28] and c[1997]["visible"]
    assert c[2000]["rect"] == [315, 130, 84, 28] and c[2000]["visible"]
    assert c[1999]["rect"] == [180, 130, 84, 28] and not c[1999]["visible"]
    assert c[1004]["rect"] == [25, 180, 390, 165]
    link = c[1005]
    assert link["text"] == "www.zr-online.net"
    x, y, w, h = link["rect"]
    assert (x, y) == (155, 160)
    assert 60 < w < 250 and 8 < h < 19, link["rect"]

    # Parts of the body no control covers show the background image as it is.
    shot = ws.screenshot()
    for px, py in [(3, 3), (200, 8), (10, 200), (418, 300), (150, 140), (290, 150), (300, 349)]:
        assert ws.client_pixel(shot, info, px, py) == ws.resource_pixel("bg_main.bmp", px, py), (px, py)


def test_escape_does_nothing(launcher, silent_server):
    app = launcher()
    app.start()
    app.wait_window()
    before = app.info()
    zr.probe("key", zr.TITLE, 27)
    time.sleep(1.0)
    after = app.info()
    assert app.proc.poll() is None
    assert after["hwnd"] == before["hwnd"] and after["window"] == before["window"]


def drag(app, start, delta):
    """Presses at client point start, moves the pointer by delta in two steps on the
    screen and releases it there."""
    ox, oy = app.info()["origin"]
    x, y = ox + start[0], oy + start[1]
    zr.probe("pointer", "move", x, y)
    zr.probe("pointer", "down", x, y)
    time.sleep(0.3)
    zr.probe("pointer", "move", x + delta[0] // 2, y + delta[1] // 2)
    time.sleep(0.2)
    zr.probe("pointer", "move", x + delta[0], y + delta[1])
    time.sleep(0.2)
    zr.probe("pointer", "up", x + delta[0], y + delta[1])
    time.sleep(0.3)


def test_dragging_the_body_moves_the_window_but_not_from_a_button(launcher, silent_server):
    app = launcher()
    app.start()
    app.wait_window()
    start = app.info()["window"]

    drag(app, (200, 12), (40, 30))            # empty part of the body
    moved = app.info()["window"]
    assert moved[:2] == [start[0] + 40, start[1] + 30]

    drag(app, (60, 40), (-25, 20))            # the status line
    moved2 = app.info()["window"]
    assert moved2[:2] == [moved[0] - 25, moved[1] + 20]

    drag(app, (300, 112), (10, -15))          # the file counter
    moved3 = app.info()["window"]
    assert moved3[:2] == [moved2[0] + 10, moved2[1] - 15]

    drag(app, (87, 144), (50, 50))            # the Option button
    assert app.info()["window"][:2] == moved3[:2]
    time.sleep(0.5)
    with pytest.raises(AssertionError):       # released off the button: no click
        zr.probe("wait", "owned:" + zr.TITLE, 300)


def test_tooltips_of_the_buttons(launcher):
    app = launcher()
    app.start()
    app.wait_window()
    texts = zr.catalogue_texts()
    # Nothing listens on the port: the attempt fails and the Connect button is offered.
    info = app.wait_for(lambda i: controls(i)[1999]["visible"], timeout=30, what="Connect button")
    connect = controls(info)[1999]
    assert connect["rect"] == [180, 130, 84, 28] and connect["enabled"]

    def hover(control_id):
        zr.probe("mouse", zr.TITLE, "move", 200, 12)
        time.sleep(0.6)
        x, y = center(controls(info)[control_id]["rect"])
        zr.probe("mouse", zr.TITLE, "move", x, y)
        zr.probe("mouse", zr.TITLE, "move", x + 1, y)
        return zr.probe("tooltip", zr.TITLE, 2500)["texts"]

    assert hover(1999) == [texts[102]]
    assert hover(1997) == [texts[2]]
    assert hover(2000) == []


def test_buttons_show_their_second_bitmap_when_pressed_or_focused(launcher, silent_server):
    app = launcher()
    app.start()
    app.wait_window()
    info = app.info()

    def press_then_leave(control_id):
        x, y = center(controls(info)[control_id]["rect"])
        zr.probe("mouse", zr.TITLE, "move", x, y)
        zr.probe("mouse", zr.TITLE, "down", x, y)
        time.sleep(0.5)
        pressed = ws.screenshot()
        # Off the button before releasing: no click, but the button keeps the focus.
        zr.probe("mouse", zr.TITLE, "move", 200, 12)
        zr.probe("mouse", zr.TITLE, "up", 200, 12)
        time.sleep(0.5)
        return pressed, ws.screenshot()

    bx, by = ws.differing_point("close_normal.bmp", "close_pressed.bmp")
    assert ws.client_pixel(ws.screenshot(), info, 315 + bx, 130 + by) == ws.resource_pixel("close_normal.bmp", bx, by)
    pressed, focused = press_then_leave(2000)
    assert ws.client_pixel(pressed, info, 315 + bx, 130 + by) == ws.resource_pixel("close_pressed.bmp", bx, by)
    assert ws.client_pixel(focused, info, 315 + bx, 130 + by) == ws.resource_pixel("close_pressed.bmp", bx, by)
    assert app.proc.poll() is None

    ox, oy = ws.differing_point("option_normal.bmp", "option_pressed.bmp")
    pressed, focused = press_then_leave(1997)
    assert ws.client_pixel(pressed, info, 45 + ox, 130 + oy) == ws.resource_pixel("option_pressed.bmp", ox, oy)
    assert ws.client_pixel(focused, info, 45 + ox, 130 + oy) == ws.resource_pixel("option_normal.bmp", ox, oy)
    # The Close button lost the focus to the Option button and looks normal again.
    assert ws.client_pixel(focused, info, 315 + bx, 130 + by) == ws.resource_pixel("close_normal.bmp", bx, by)
