"""The options dialog opened from the Option button of the running launcher: defaults
in a fresh registry, Save and Cancel."""
import pytest

import launcher as zr
import window_support as ws

OPTIONS = "owned:" + zr.TITLE


@pytest.fixture
def fresh_settings():
    ws.delete_settings()
    yield
    ws.delete_settings()


def open_options(app):
    zr.probe("click", zr.TITLE, 1997)
    zr.probe("wait", OPTIONS, 15000)
    return zr.probe("info", OPTIONS)


def controls(info):
    return {c["id"]: c for c in info["children"]}


def test_first_opening_shows_and_stores_the_defaults(launcher, fresh_settings):
    app = launcher()
    app.start()
    app.wait_window()
    info = open_options(app)
    c = controls(info)
    assert info["window"][2:] == [472, 312]
    assert info["client"] == [0, 0, 470, 310]
    assert c[1006]["text"] == ""
    assert c[1007]["checked"] == 1 and c[1010]["checked"] == 0
    assert [c[i]["checked"] for i in (1043, 1044, 1045, 1046)] == [0, 0, 1, 0]
    assert c[1008]["rect"] == [250, 260, 90, 30] and c[2]["rect"] == [350, 260, 90, 30]
    # The registry holds the defaults before anything is pressed.
    assert ws.read_settings() == {"ID": "", "SoundOnOff": 1, "MusicOnOff": 0, "Resolution": 2}

    zr.probe("click", OPTIONS, 2)           # Cancel
    zr.probe("gone", OPTIONS, 10000)
    assert app.proc.poll() is None
    assert ws.read_settings()["Resolution"] == 2


def test_save_writes_and_cancel_leaves_the_registry(launcher, fresh_settings):
    app = launcher()
    app.start()
    app.wait_window()
    open_options(app)
    zr.probe("click", OPTIONS, 1043)        # 640x480
    zr.probe("click", OPTIONS, 2)           # Cancel
    zr.probe("gone", OPTIONS, 10000)
    assert ws.read_settings()["Resolution"] == 2

    open_options(app)
    zr.probe("click", OPTIONS, 1043)
    zr.probe("click", OPTIONS, 1008)        # Save
    zr.probe("gone", OPTIONS, 10000)
    assert ws.read_settings()["Resolution"] == 0


def test_out_of_range_resolution_checks_nothing_and_saves_as_default(launcher, fresh_settings):
    app = launcher()
    app.start()
    app.wait_window()
    open_options(app)                       # creates the key
    zr.probe("click", OPTIONS, 2)
    zr.probe("gone", OPTIONS, 10000)
    ws.set_dword("Resolution", 9)
    c = controls(open_options(app))
    assert [c[i]["checked"] for i in (1043, 1044, 1045, 1046)] == [0, 0, 0, 0]
    zr.probe("click", OPTIONS, 1008)
    zr.probe("gone", OPTIONS, 10000)
    assert ws.read_settings()["Resolution"] == 2
