"""Signed versions: keygen, build --sign, sign and verify --key on real trees. Each bad
case changes a signed root the way a damaged transfer or a hostile mirror would, and
verify must name what is wrong and exit 1."""
import os
import shutil
import stat
import subprocess

import pytest

from test_patch_builder import build, make_tree, verify

FIXTURE_KEY = os.path.join(os.path.dirname(__file__), "..", "fixtures", "keys", "test_publisher.key")


def run(builder, *args):
    return subprocess.run([builder, *map(str, args)], capture_output=True, text=True, timeout=120)


def keygen(builder, path):
    result = run(builder, "keygen", path)
    assert result.returncode == 0, result.stderr
    return result.stdout.strip()


@pytest.fixture
def signed_root(tmp_path, builder_binary):
    """Two signed versions: 1.0.1 compressed with a nested directory, 1.0.2 plain."""
    v0, v1, v2, root = (tmp_path / n for n in ("v0", "v1", "v2", "ftp"))
    make_tree(v0, {"a.txt": b"zero", "d/b.txt": b"zero"})
    make_tree(v1, {"a.txt": b"one" * 50, "d/b.txt": b"zero", "d/e/c.txt": b"c" * 5000})
    make_tree(v2, {"a.txt": b"one" * 50, "d/b.txt": b"two" * 9, "d/e/c.txt": b"c" * 5000})
    root.mkdir()
    key = tmp_path / "publisher.key"
    public = keygen(builder_binary, key)
    for old, new, version, extra in ((v0, v1, "1.0.1", ["--compress", ".bz2"]), (v1, v2, "1.0.2", [])):
        result = build(builder_binary, old, new, root, version, "--sign", key, *extra)
        assert result.returncode == 0 and ", signed" in result.stdout, result.stderr
    result = verify(builder_binary, root, "--key", public)
    assert result.returncode == 0 and "every signature and hash verified" in result.stdout, result.stdout
    return root, key, public


def flip_byte(path, offset=-1):
    data = bytearray(path.read_bytes())
    data[offset] ^= 0x01
    path.write_bytes(bytes(data))


def edit_list(path, change):
    lines = path.read_bytes().split(b"\n")
    path.write_bytes(b"\n".join(change(lines)))


def swap_two_files(lines):
    files = [i for i, line in enumerate(lines) if line.startswith(b'"')]
    lines[files[0]], lines[files[1]] = lines[files[1]], lines[files[0]]
    return lines


BAD_CASES = [
    ("flipped byte", lambda r: flip_byte(r / "1.0.2" / "b.txt", 10), '"d\\b.txt": size or SHA-256 differ'),
    ("flipped byte, compressed", lambda r: flip_byte(r / "1.0.1" / "c.txt.bz2", 20), '"d\\e\\c.txt.bz2"'),
    ("truncated file", lambda r: (r / "1.0.2" / "b.txt").write_bytes((r / "1.0.2" / "b.txt").read_bytes()[:-1]),
     '"d\\b.txt": size or SHA-256 differ'),
    ("list entry added", lambda r: edit_list(r / "1.0.2" / "list.inf", lambda l: l + [b'"extra.dll"']),
     "list.inf is not the list the manifest was made from"),
    ("list entry removed", lambda r: edit_list(r / "1.0.1" / "list.inf",
                                               lambda l: [x for x in l if b"a.txt" not in x]),
     '"a.txt.bz2" is in the manifest but not'),
    ("list reordered", lambda r: edit_list(r / "1.0.1" / "list.inf", swap_two_files),
     "list.inf is not the list the manifest was made from"),
    ("manifest missing", lambda r: os.unlink(r / "1.0.1" / "manifest.txt"), "manifest.txt is missing"),
    ("signature missing", lambda r: os.unlink(r / "1.0.2" / "manifest.txt.sig"), "manifest.txt.sig is missing"),
    ("catalogue signature missing", lambda r: os.unlink(r / "version.cvd.sig"), "version.cvd.sig is missing"),
    ("replayed manifest", lambda r: [shutil.copy(r / "1.0.1" / n, r / "1.0.2" / n)
                                     for n in ("manifest.txt", "manifest.txt.sig")],
     'the manifest belongs to version "1.0.1"'),
    ("catalogue entry added", lambda r: open(r / "version.cvd", "a").write('"1.0.3"\n'),
     "version.cvd.sig does not verify"),
    ("signature too short", lambda r: (r / "1.0.2" / "manifest.txt.sig").write_text("ab" * 63 + "\n"),
     "manifest.txt.sig is not a signature"),
    ("signature garbage", lambda r: (r / "version.cvd.sig").write_bytes(os.urandom(64)),
     "version.cvd.sig is not a signature"),
    ("signature of another file", lambda r: shutil.copy(r / "1.0.1" / "manifest.txt.sig", r / "1.0.2"),
     "1.0.2\": manifest.txt.sig does not verify"),
    ("manifest edited", lambda r: flip_byte(r / "1.0.2" / "manifest.txt", 30), "manifest.txt.sig does not verify"),
]


@pytest.mark.parametrize("label,plant,expected", BAD_CASES, ids=[c[0] for c in BAD_CASES])
def test_tampered_root_is_refused(builder_binary, signed_root, label, plant, expected):
    root, _, public = signed_root
    plant(root)
    result = verify(builder_binary, root, "--key", public)
    assert result.returncode == 1, result.stdout
    assert expected in result.stdout, result.stdout


def test_other_key_and_rotation(tmp_path, builder_binary, signed_root):
    root, key, public = signed_root
    other_public = keygen(builder_binary, tmp_path / "other.key")
    result = verify(builder_binary, root, "--key", other_public)
    assert result.returncode == 1
    assert result.stdout.count("does not verify under the publisher's key") == 3, result.stdout
    # Rotation: re-signed with the new key, the root verifies under the new key alone and
    # under the pair a launcher of the transition carries, no longer under the old key.
    result = run(builder_binary, "sign", "--root", root, "--key", tmp_path / "other.key", "--resign")
    assert result.returncode == 0, result.stderr
    assert verify(builder_binary, root, "--key", other_public).returncode == 0
    assert verify(builder_binary, root, "--key", f"{public};{other_public}").returncode == 0
    assert verify(builder_binary, root, "--key", public).returncode == 1


def test_manifest_and_list_entries_must_match_both_ways(builder_binary, signed_root):
    """Without a key a manifest is still checked: an entry only in the list, or only in
    the manifest, is named even when the list's hash was made to fit."""
    root, _, _ = signed_root
    manifest = root / "1.0.2" / "manifest.txt"
    lines = manifest.read_text().splitlines(keepends=True)
    file_lines = [line for line in lines if line.startswith("file ")]
    manifest.write_text("".join(line for line in lines if line is not file_lines[0]))
    result = verify(builder_binary, root)
    assert result.returncode == 1 and "is listed but not in the manifest" in result.stdout
    manifest.write_text("".join(lines) + file_lines[0].rsplit(" ", 1)[0] + " ghost.txt\n")
    result = verify(builder_binary, root)
    assert result.returncode == 1 and '"ghost.txt" is in the manifest but not' in result.stdout


def test_keygen_never_replaces_a_key(tmp_path, builder_binary):
    key = tmp_path / "k"
    public = keygen(builder_binary, key)
    assert len(public) == 64 and int(public, 16) >= 0
    assert stat.S_IMODE(os.stat(key).st_mode) == 0o600
    assert (tmp_path / "k.pub").read_text() == public + "\n"
    before = key.read_bytes()
    result = run(builder_binary, "keygen", key)
    assert result.returncode == 1 and "never replaced" in result.stderr
    assert key.read_bytes() == before
    assert keygen(builder_binary, tmp_path / "k2") != public


def test_sign_a_hand_built_root(tmp_path, builder_binary):
    old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
    make_tree(old, {"a": b"1"})
    make_tree(new, {"a": b"2", "sub/b": b"3"})
    root.mkdir()
    assert build(builder_binary, old, new, root, "1.0.1", "--compress", ".bz2").returncode == 0
    result = verify(builder_binary, root, "--key", FIXTURE_KEY + ".pub")
    assert result.returncode == 1 and "manifest.txt is missing" in result.stdout
    result = run(builder_binary, "sign", "--root", root, "--key", FIXTURE_KEY)
    assert result.returncode == 0 and "version 1.0.1: signed" in result.stdout, result.stderr
    assert verify(builder_binary, root, "--key", FIXTURE_KEY + ".pub").returncode == 0
    manifest = (root / "1.0.1" / "manifest.txt").read_text()
    assert "file " in manifest and "sub\\b.bz2" in manifest
    # Signing again keeps a version's manifest and signs the catalogue anew.
    result = run(builder_binary, "sign", "--root", root, "--key", FIXTURE_KEY)
    assert result.returncode == 0 and "kept its manifest" in result.stdout
    assert run(builder_binary, "sign", "--root", root).returncode == 2
    result = run(builder_binary, "sign", "--root", root, "--key", tmp_path / "missing.key")
    assert result.returncode == 1


def test_build_refuses_a_bad_key_and_writes_nothing(tmp_path, builder_binary):
    old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
    make_tree(old, {"a": b"1"})
    make_tree(new, {"a": b"2"})
    root.mkdir()
    (tmp_path / "bad.key").write_text("zr-secret-key 1\nnot hex\n")
    result = build(builder_binary, old, new, root, "1.0.1", "--sign", tmp_path / "bad.key")
    assert result.returncode == 1 and "not a secret key file" in result.stderr
    assert os.listdir(root) == []
    result = verify(builder_binary, root, "--key", "00" * 31)
    assert result.returncode == 2
