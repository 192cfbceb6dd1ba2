"""How the launcher reads a patch version, written independently of the C++ code: the
list-file token rules, directory switches that create only their last level, the
case-blind lookup in the flat version directory, and bzip2 expansion with the
four-character suffix cut off. Tests expand built versions with it."""
import bz2
import os

END, NAME, NUMBER, TAG, OTHER = 2, 0, 1, 35, 60
SPACE = b" \t\n\v\f\r"


class ListTokens:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def _get(self):
        if self.pos >= len(self.data):
            return None
        self.pos += 1
        return self.data[self.pos - 1]

    def next(self):
        c = self._get()
        if c is None:
            return END, b""
        while True:
            if c == ord("/"):
                following = self._get()
                if following is None:
                    return OTHER, b""
                if following == ord("/"):
                    while True:
                        following = self._get()
                        if following is None:
                            return END, b""
                        if following == ord("\n"):
                            break
                    c = self._get()
                    if c is None:
                        return END, b""
                    continue
                c = following
                continue
            if c in SPACE:
                c = self._get()
                if c is None:
                    return END, b""
                continue
            break
        if c == ord('"') or c == ord("#"):
            text = bytearray()
            while True:
                following = self._get()
                if following is None or following == c:
                    break
                text.append(following)
            return (NAME if c == ord('"') else TAG), bytes(text)
        if c in b",;{}":
            return c, b""
        if chr(c).isdigit() and c < 128 or c in b"-.":
            while True:
                following = self._get()
                if following is None or not (following in b"-." or 48 <= following <= 57):
                    return NUMBER, b""   # the character that ends a number is dropped
        if c < 128 and chr(c).isalpha():
            text = bytearray([c])
            while True:
                following = self._get()
                if following is None:
                    break
                if following < 128 and (chr(following).isalnum() or following in b"._"):
                    text.append(following)
                else:
                    self.pos -= 1
                    break
            return NAME, bytes(text)
        return OTHER, b""

    def all(self):
        tokens = []
        while True:
            token = self.next()
            tokens.append(token)
            if token[0] == END:
                return tokens


def local(path):
    return path.replace(b"\\", b"/")


def make_last_level(base, directory):
    """CreateDirectory of the switched directory: only its last level; an existing
    directory is fine, a missing parent is not."""
    path = os.path.join(base, local(directory))
    if not os.path.isdir(path):
        os.mkdir(path)


def expand_version(version_dir, game_dir, temp_dir):
    """Installs one version directory into game_dir as the launcher would."""
    version_dir, game_dir, temp_dir = (os.fsencode(str(p)) for p in
                                       (version_dir, game_dir, temp_dir))
    with open(os.path.join(version_dir, b"list.inf"), "rb") as file:
        tokens = ListTokens(file.read()).all()
    compressed = (TAG, b"COMPRESSED") in tokens
    listing = {}
    for name in os.listdir(version_dir):
        listing.setdefault(name.lower(), name)
    current = b""
    index = 0
    while tokens[index][0] != END:
        code, text = tokens[index]
        index += 1
        if code == NUMBER:
            code, current = tokens[index]
            index += 1
            if current:
                make_last_level(temp_dir, current)
                make_last_level(game_dir, current)
        elif code == NAME:
            stored = listing[text.lower()]
            with open(os.path.join(version_dir, stored), "rb") as file:
                content = file.read()
            assert content, f"{text!r} has size 0 and could not be fetched"
            name = text
            if compressed:
                decoder = bz2.BZ2Decompressor()
                content = decoder.decompress(content)
                assert decoder.eof and not decoder.unused_data, f"{text!r}: bad bzip2 stream"
                name = text[:-4]
            target = os.path.join(game_dir, local(current), name) if current else \
                os.path.join(game_dir, name)
            with open(target, "wb") as file:
                file.write(content)
    return tokens


def read_catalogue(path):
    with open(path, "rb") as file:
        return [text.decode() for code, text in ListTokens(file.read()).all() if code == NAME]


def packed(name):
    parts = [p for p in name.split(".") if p][:3]
    values = []
    for part in parts:
        digits = ""
        for ch in part:
            if not ch.isdigit():
                break
            digits += ch
        values.append(int(digits or "0") % 256)
    values += [0] * (3 - len(values))
    return values[0] * 65536 + values[1] * 256 + values[2]


def snapshot(tree):
    """Every directory and file below tree, with file contents."""
    result = {}
    tree = os.fsencode(str(tree))
    for base, dirs, files in os.walk(tree):
        relative = os.path.relpath(base, tree)
        for name in dirs:
            result[os.path.normpath(os.path.join(relative, name))] = None
        for name in files:
            with open(os.path.join(base, name), "rb") as file:
                result[os.path.normpath(os.path.join(relative, name))] = file.read()
    return result
