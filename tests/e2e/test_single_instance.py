"""Only one launcher runs: a second start shows the catalogue's text 127 and ends."""
import launcher as zr


def test_second_copy_is_refused_and_the_first_keeps_running(launcher):
    first = launcher()
    first.start()
    first.wait_window()
    before = first.info()

    second = first.start()          # same game directory, same mutex
    box = zr.probe("msgbox", 15000, "--ok")
    assert box["texts"] == [zr.catalogue_texts()[127]]
    assert box["caption"] == zr.TITLE
    assert second.wait(timeout=20) == 0

    after = first.info()
    assert first.proc.poll() is None
    assert after["hwnd"] == before["hwnd"]
