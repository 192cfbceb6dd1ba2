"""The patch builder and verifier, run as programs on real trees. Built versions are
expanded with an independent model of the launcher and compared byte for byte."""
import os
import shutil
import subprocess

import pytest

from launcher_model import expand_version, packed, read_catalogue, snapshot

HANGUL = "데이터".encode()


def make_tree(root, files, dirs=()):
    root = os.fsencode(str(root))
    os.makedirs(root, exist_ok=True)
    for directory in dirs:
        os.makedirs(os.path.join(root, os.fsencode(directory)), exist_ok=True)
    for relative, content in files.items():
        path = os.path.join(root, os.fsencode(relative))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as file:
            file.write(content)


def build(builder, old, new, root, version, *extra):
    return subprocess.run([builder, "build", "--old", str(old), "--new", str(new),
                           "--root", str(root), "--version", version, *extra],
                          capture_output=True, text=True, timeout=120)


def verify(builder, root, *extra):
    return subprocess.run([builder, "verify", "--root", str(root), *extra],
                          capture_output=True, text=True, timeout=120)


def install_all(root, game, temp, catalogue="version.cvd", installed="0.0.0"):
    """Walks the catalogue like the launcher and installs each newer version."""
    current = packed(installed)
    for name in read_catalogue(root / catalogue):
        if packed(name) > current:
            expand_version(root / name, game, temp)
            current = packed(name)
    return current


OLD_FILES = {
    "zr.exe": b"old launcher",
    "config.dat": b"same everywhere",
    "data/a.bmd": b"A" * 100,
    "data/sound/hit.wav": b"wave-1",
    "data/keep.txt": b"kept",
    "res/img/a.png": b"unchanged, so res has no file of its own in the version",
}

NEW_FILES = dict(OLD_FILES, **{
    "zr.exe": b"new launcher!",                     # changed, different size
    "data/a.bmd": b"B" + b"A" * 99,                 # changed, same size
    "data/sound/hit.wav": b"wave-2",
    "data/sound/fx/boom.wav": b"boom" * 1000,       # new, in a new directory two levels down
    "data/my file.txt": b"blank in the name",
    "maps/" + HANGUL.decode() + ".map": b"non-ASCII name",
    "readme": b"no extension",
    "res/img/b.png": b"new beside an unchanged file",
})


@pytest.fixture
def trees(tmp_path):
    old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
    make_tree(old, OLD_FILES)
    make_tree(new, NEW_FILES, dirs=["empty/inner"])
    root.mkdir()
    return old, new, root


def expand_into_copy(tmp_path, old, root, **kwargs):
    game, temp = tmp_path / "game", tmp_path / "Temp"
    shutil.copytree(old, game)
    temp.mkdir()
    install_all(root, game, temp, **kwargs)
    return game


class TestBuiltVersionsExpand:
    def test_plain_version_reproduces_the_new_tree(self, tmp_path, trees, builder_binary):
        old, new, root = trees
        result = build(builder_binary, old, new, root, "1.0.1")
        assert result.returncode == 0, result.stderr
        version_dir = root / "1.0.1"
        stored = sorted(os.listdir(version_dir))
        assert stored == sorted(["list.inf", "zr.exe", "a.bmd", "hit.wav", "boom.wav",
                                 "my file.txt", HANGUL.decode() + ".map", "readme", "b.png"])
        listing = (version_dir / "list.inf").read_bytes()
        assert b"#COMPRESSED#" not in listing and b"#TEST_SERVER#" not in listing
        assert b'1 "data\\sound\\fx"' in listing
        # Parents are switched to before their children.
        assert listing.index(b'1 "data"') < listing.index(b'1 "data\\sound"') < \
            listing.index(b'1 "data\\sound\\fx"')
        assert snapshot(expand_into_copy(tmp_path, old, root)) == snapshot(new)
        assert verify(builder_binary, root).returncode == 0

    def test_compressed_version_reproduces_the_new_tree(self, tmp_path, trees, builder_binary):
        old, new, root = trees
        # Highly compressible data expands to many output blocks; an empty file is
        # allowed because its compressed form is not empty.
        make_tree(new, {"data/big.bin": b"\0" * 3_000_000, "data/empty.txt": b""})
        result = build(builder_binary, old, new, root, "1.0.1", "--compress", ".bz2")
        assert result.returncode == 0, result.stderr
        version_dir = root / "1.0.1"
        names = [n for n in os.listdir(version_dir) if n != "list.inf"]
        assert names and all(n.endswith(".bz2") for n in names)
        assert all(os.path.getsize(version_dir / n) > 0 for n in names)
        listing = (version_dir / "list.inf").read_bytes()
        assert b"#COMPRESSED#" in listing and b'"big.bin.bz2"' in listing
        assert snapshot(expand_into_copy(tmp_path, old, root)) == snapshot(new)
        assert verify(builder_binary, root).returncode == 0

    def test_test_server_version_in_its_own_catalogue(self, tmp_path, trees, builder_binary):
        old, new, root = trees
        result = build(builder_binary, old, new, root, "1.0.1", "--test-server",
                       "--catalogue", "test.cvd", "--dir", "1.00.01")
        assert result.returncode == 0, result.stderr
        assert b"#TEST_SERVER#" in (root / "1.00.01" / "list.inf").read_bytes()
        assert read_catalogue(root / "test.cvd") == ["1.00.01"]
        assert not (root / "version.cvd").exists()
        game = expand_into_copy(tmp_path, old, root, catalogue="test.cvd")
        assert snapshot(game) == snapshot(new)
        assert verify(builder_binary, root, "--catalogue", "test.cvd").returncode == 0

    def test_versions_append_in_order_and_chain(self, tmp_path, builder_binary):
        v0, v1, v2, root = (tmp_path / n for n in ("v0", "v1", "v2", "ftp"))
        make_tree(v0, {"a.txt": b"zero", "d/b.txt": b"zero"})
        make_tree(v1, {"a.txt": b"one", "d/b.txt": b"zero"})
        make_tree(v2, {"a.txt": b"one", "d/b.txt": b"two", "d/e/c.txt": b"new"})
        root.mkdir()
        assert build(builder_binary, v0, v1, root, "1.0.1").returncode == 0
        assert build(builder_binary, v1, v2, root, "1.0.2", "--compress", ".bz2").returncode == 0
        assert read_catalogue(root / "version.cvd") == ["1.0.1", "1.0.2"]
        assert (root / "version.cvd").read_text().startswith("//")

        before = snapshot(root)
        for version in ("1.0.2", "1.0.0"):
            refused = build(builder_binary, v1, v2, root, version, "--dir", "1.00.02"
                            if version == "1.0.2" else "1.0.0")
            assert refused.returncode == 1
            assert "is not greater than 1.0.2, the last version in version.cvd" in refused.stderr
        assert snapshot(root) == before

        game = expand_into_copy(tmp_path, v0, root)
        assert snapshot(game) == snapshot(v2)
        # A client already at 1.0.1 gets only the second version.
        game2, temp2 = tmp_path / "game2", tmp_path / "Temp2"
        shutil.copytree(v1, game2)
        temp2.mkdir()
        install_all(root, game2, temp2, installed="1.0.1")
        assert snapshot(game2) == snapshot(v2)

    def test_removed_files_are_reported_not_shipped(self, tmp_path, builder_binary):
        old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
        make_tree(old, {"gone.txt": b"x", "stay.txt": b"1"})
        make_tree(new, {"stay.txt": b"2"})
        root.mkdir()
        result = build(builder_binary, old, new, root, "0.0.1")
        assert result.returncode == 0
        assert '"gone.txt" is gone from the new tree' in result.stderr
        assert sorted(os.listdir(root / "0.0.1")) == ["list.inf", "stay.txt"]


def sparse_file(path, size):
    with open(path, "wb") as file:
        file.truncate(size)


REFUSALS = [
    ("same bare name", {"a/x.txt": b"1", "b/x.txt": b"2"}, [],
     "have the same name in the flat version directory"),
    ("case-only twins", {"a/X.TXT": b"1", "b/x.txt": b"2"}, [],
     "have the same name in the flat version directory"),
    ("named like the list", {"data/LIST.INF": b"1"}, [], "the list file list.inf"),
    ("device name", {"con.txt": b"1"}, [], "fails the launcher's path check"),
    ("device directory", {"aux/a.txt": b"1"}, [], 'directory "aux" fails the launcher'),
    ("trailing dot", {"data/a.": b"1"}, [], "fails the launcher's path check"),
    ("backslash", {"a\\b.txt": b"1"}, [], "a backslash in a name"),
    ("long name", {"n" * 100: b"1"}, [], "is 100 characters long; the launcher reads at most 99"),
    ("long suffixed name", {"n" * 97: b"1"}, ["--compress", ".bz2"],
     "is 101 characters long; the launcher reads at most 99"),
    ("long directory", {"d" * 100 + "/a.txt": b"1"}, [], "the launcher reads at most 99"),
    ("empty file", {"zero.dat": b""}, [], "the launcher cannot fetch a file of size 0"),
    ("long dir name", {"a.txt": b"1"}, ["--dir", "1.000.0001"], "the launcher takes at most 8"),
    ("dir reads as other version", {"a.txt": b"1"}, ["--dir", "1.0.2"],
     "reads as version 1.0.2 on the clients, not 1.0.1"),
    ("suffix too long", {"a.txt": b"1"}, ["--compress", ".bzip"], "must be exactly four"),
    ("suffix without dot", {"a.txt": b"1"}, ["--compress", "xbz2"], "must be exactly four"),
    ("suffix with two dots", {"a.txt": b"1"}, ["--compress", ".b.z"], "must be exactly four"),
    ("long catalogue name", {"a.txt": b"1"}, ["--catalogue", "c" * 20 + ".cvd"],
     "longer than 19 characters"),
]


class TestRefusals:
    @pytest.mark.parametrize("label, files, extra, message", REFUSALS,
                             ids=[r[0] for r in REFUSALS])
    def test_refused_and_nothing_written(self, tmp_path, builder_binary, label, files, extra,
                                         message):
        old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
        make_tree(old, {"base.txt": b"base"})
        make_tree(new, dict({"base.txt": b"base"}, **files))
        make_tree(root, {"version.cvd": b'"1.0.0"\n', "1.0.0/list.inf": b"// empty\n"})
        before = snapshot(root)
        result = build(builder_binary, old, new, root, "1.0.1", *extra)
        assert result.returncode == 1
        assert message in result.stderr, result.stderr
        assert "nothing was written" in result.stderr
        assert snapshot(root) == before

    def test_bad_version_texts(self, tmp_path, builder_binary):
        make_tree(tmp_path / "t", {"a": b"1"})
        (tmp_path / "ftp").mkdir()
        for text in ("1.2", "1.2.3.4", "1.2.256", "a.b.c", "1..2", "1.2.3 "):
            result = build(builder_binary, tmp_path / "t", tmp_path / "t", tmp_path / "ftp", text)
            assert result.returncode == 1 and "is not of the form X.Y.Z" in result.stderr, text
        assert os.listdir(tmp_path / "ftp") == []

    def test_too_many_files_for_one_version(self, tmp_path, builder_binary):
        old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
        make_tree(old, {})
        make_tree(new, {f"f{i:04}.dat": b"x" for i in range(999)})
        root.mkdir()
        result = build(builder_binary, old, new, root, "1.0.0")
        assert result.returncode == 1
        assert "999 files and list.inf" in result.stderr and "(998 files)" in result.stderr
        assert os.listdir(root) == []
        # 998 files and the list fit.
        os.unlink(new / "f0000.dat")
        assert build(builder_binary, old, new, root, "1.0.0").returncode == 0
        assert len(os.listdir(root / "1.0.0")) == 999

    def test_file_of_two_gibibytes(self, tmp_path, builder_binary):
        old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
        make_tree(old, {})
        make_tree(new, {})
        root.mkdir()
        sparse_file(new / "huge.pak", 2 ** 31)
        result = build(builder_binary, old, new, root, "1.0.0")
        assert result.returncode == 1 and "below 2 GiB only" in result.stderr
        assert os.listdir(root) == []

    def test_file_replaced_by_directory_and_links(self, tmp_path, builder_binary):
        old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
        make_tree(old, {"thing": b"file"})
        make_tree(new, {"thing/inside.txt": b"now a dir"})
        root.mkdir()
        result = build(builder_binary, old, new, root, "1.0.0")
        assert result.returncode == 1 and "is a file in one tree and a directory" in result.stderr

        shutil.rmtree(new)
        make_tree(new, {"thing": b"file"})
        os.symlink("/etc/passwd", new / "link")
        result = build(builder_binary, old, new, root, "1.0.0")
        assert result.returncode == 1 and "is not a plain file or directory" in result.stderr
        assert os.listdir(root) == []

    def test_existing_version_directory_and_full_catalogue(self, tmp_path, builder_binary):
        old, new, root = tmp_path / "old", tmp_path / "new", tmp_path / "ftp"
        make_tree(old, {"a": b"1"})
        make_tree(new, {"a": b"2"})
        make_tree(root, {"2.0.0/stray": b"x"})
        result = build(builder_binary, old, new, root, "2.0.0")
        assert result.returncode == 1 and "already exists" in result.stderr

        names = [f"{i // 256}.{i % 256}.0" for i in range(999)]
        (root / "version.cvd").write_text("".join(f'"{n}"\n' for n in names))
        result = build(builder_binary, old, new, root, "9.0.0")
        assert result.returncode == 1 and "already lists 999 versions" in result.stderr


class TestVerify:
    @pytest.fixture
    def good_root(self, tmp_path, builder_binary):
        v0, v1, v2, root = (tmp_path / n for n in ("v0", "v1", "v2", "ftp"))
        make_tree(v0, {"a.txt": b"zero", "d/b.txt": b"zero"})
        make_tree(v1, {"a.txt": b"one" * 50, "d/b.txt": b"zero", "d/e/c.txt": b"c" * 5000})
        make_tree(v2, {"a.txt": b"one" * 50, "d/b.txt": b"two", "d/e/c.txt": b"c" * 5000})
        root.mkdir()
        assert build(builder_binary, v0, v1, root, "1.0.1", "--compress", ".bz2").returncode == 0
        assert build(builder_binary, v1, v2, root, "1.0.2").returncode == 0
        result = verify(builder_binary, root)
        assert result.returncode == 0 and "no problems found" in result.stdout
        return root

    def plant_and_verify(self, builder_binary, root, plant):
        plant(root)
        result = verify(builder_binary, root)
        assert result.returncode == 1
        return result.stdout

    def test_missing_file(self, builder_binary, good_root):
        out = self.plant_and_verify(builder_binary, good_root,
                                    lambda r: os.unlink(r / "1.0.1" / "c.txt.bz2"))
        assert 'the file "c.txt.bz2" is missing from the version directory' in out

    def test_zero_size_file(self, builder_binary, good_root):
        out = self.plant_and_verify(builder_binary, good_root,
                                    lambda r: open(r / "1.0.2" / "b.txt", "wb").close())
        assert '"d\\b.txt": the file is empty' in out

    def test_corrupt_bzip2(self, builder_binary, good_root):
        def corrupt(root):
            path = root / "1.0.1" / "c.txt.bz2"
            data = bytearray(path.read_bytes())
            data[len(data) // 2] ^= 0xFF
            path.write_bytes(bytes(data))
        assert "bzip2" in self.plant_and_verify(builder_binary, good_root, corrupt)

    def test_truncated_and_trailing_bzip2(self, builder_binary, good_root):
        path = good_root / "1.0.1" / "a.txt.bz2"
        data = path.read_bytes()
        path.write_bytes(data[:-5])
        assert "cut short" in verify(builder_binary, good_root).stdout
        path.write_bytes(data + b"extra")
        assert "bytes follow the end of the bzip2 stream" in verify(builder_binary,
                                                                     good_root).stdout
        path.write_bytes(data)
        assert verify(builder_binary, good_root).returncode == 0

    def test_out_of_order_catalogue(self, builder_binary, good_root):
        out = self.plant_and_verify(builder_binary, good_root,
                                    lambda r: (r / "version.cvd").write_text('"1.0.2"\n"1.0.1"\n'))
        assert 'version "1.0.1" (1.0.1) is not greater than the version before it' in out

    def test_missing_directory_list_and_catalogue(self, builder_binary, good_root):
        os.unlink(good_root / "1.0.2" / "list.inf")
        out = verify(builder_binary, good_root).stdout
        assert 'version "1.0.2": the version directory has no list.inf' in out
        shutil.rmtree(good_root / "1.0.1")
        assert 'version "1.0.1": the version directory is missing' in \
            verify(builder_binary, good_root).stdout
        os.unlink(good_root / "version.cvd")
        assert "cannot read the catalogue" in verify(builder_binary, good_root).stdout

    def test_child_directory_switched_before_parent(self, builder_binary, good_root):
        def skip_parent(root):
            path = root / "1.0.1" / "list.inf"
            path.write_bytes(path.read_bytes().replace(b'1 "d"\n', b""))
        out = self.plant_and_verify(builder_binary, good_root, skip_parent)
        assert 'directory "d\\e" is switched to before its parent "d"' in out

    def test_unsafe_and_long_names_in_a_list(self, builder_binary, good_root):
        def plant(root):
            with open(root / "1.0.2" / "list.inf", "ab") as file:
                file.write(b'1 "..\\up"\n"' + b"x" * 120 + b'"\n')
        out = self.plant_and_verify(builder_binary, good_root, plant)
        assert 'directory "..\\up" fails the launcher\'s path check' in out
        assert "a name longer than 99 characters" in out
