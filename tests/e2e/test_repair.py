"""The options dialog's repair entry on the running launcher: once the connect server
has answered, the entry is offered, and a click on it connects again asking as a fresh
install does (version 0.0.0), so that the patch server's reply starts the repair."""
import json

import launcher as zr
import window_support as ws

OPTIONS = "owned:" + zr.TITLE
STATUS, CONNECT, OPTION, REPAIR_LINK = 1020, 1999, 1997, 1050


def child(info, control_id):
    return next(c for c in info["children"] if c["id"] == control_id)


def test_the_repair_entry_connects_again_as_a_fresh_install(launcher, server, tmp_path):
    script = tmp_path / "script.json"
    script.write_text(json.dumps({"connections": [{"replies": ["ready"]}, {"replies": ["none"]}]}))
    srv = server("--script", str(script))
    ws.delete_settings()
    game = launcher()
    try:
        game.start("/l", "1.2.3")
        game.wait_window()
        texts = zr.catalogue_texts()
        game.wait_for(lambda i: child(i, STATUS)["text"] == texts[126] and child(i, CONNECT)["visible"],
                      what="the ready state")
        assert srv.wait_event("request")[0]["hex"] == "c10607010203"

        zr.probe("click", zr.TITLE, OPTION)
        zr.probe("wait", OPTIONS, 15000)
        link = child(zr.probe("info", OPTIONS), REPAIR_LINK)
        assert link["visible"] and link["text"] == texts[166]
        zr.probe("click", OPTIONS, REPAIR_LINK)

        requests = srv.wait_event("request", count=2)
        assert requests[1]["hex"] == "c10607000000"   # the run mode's op code, version 0.0.0
        assert "error" in zr.probe("info", OPTIONS, check=False)   # the dialog has closed
    finally:
        ws.delete_settings()
