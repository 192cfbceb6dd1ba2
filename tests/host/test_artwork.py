"""Checks of the generated skin bitmaps and icon.

The headers are read with a reader of this file's own, independent of the
generator, because the program's bitmap loader relies on their exact fields.
Run with: /usr/bin/python3 -m pytest tests/host/test_artwork.py
"""

import os
import struct
import subprocess
import sys

import pytest

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GENERATOR = os.path.join(REPO, "tools", "artwork", "make_artwork.py")
COMMITTED = os.path.join(REPO, "ui", "res")

# name: (width, height, colour-table entries or None for "any up to 256")
BITMAPS = {
    "bg_main.bmp": (421, 350, 255),
    "bg_options.bmp": (470, 310, None),
    "option_normal.bmp": (84, 28, None),
    "option_pressed.bmp": (84, 28, None),
    "save_normal.bmp": (84, 28, None),
    "save_pressed.bmp": (84, 28, None),
    "connect_normal.bmp": (84, 28, None),
    "connect_pressed.bmp": (84, 28, None),
    "close_normal.bmp": (84, 28, None),
    "close_pressed.bmp": (84, 28, None),
}
ICON_SIZES = (16, 32, 48)


class Bmp8:
    """The fields of an 8-bit BMP and its pixels, top row first."""

    def __init__(self, data):
        (self.magic, self.file_size, _, _, self.offset) = struct.unpack_from("<2sIHHI", data, 0)
        (self.header_size, self.width, self.height, self.planes, self.bit_count,
         self.compression, self.image_size, _, _, self.clr_used,
         self.clr_important) = struct.unpack_from("<IiiHHIIiiII", data, 14)
        entries = self.clr_used or 256
        self.table = [tuple(data[54 + 4 * i: 54 + 4 * i + 3][::-1]) for i in range(entries)]
        self.stride = (self.width + 3) // 4 * 4
        self.length = len(data)
        rows = [data[self.offset + r * self.stride: self.offset + r * self.stride + self.width]
                for r in range(abs(self.height))]
        self.rows = rows[::-1] if self.height > 0 else rows

    def index(self, x, y):
        return self.rows[y][x]

    def colour(self, x, y):
        return self.table[self.index(x, y)]

    def indices_in(self, left, top, right, bottom):
        """Distinct palette indices in the inclusive rectangle."""
        return {self.rows[y][x] for y in range(top, bottom + 1) for x in range(left, right + 1)}


def luminance(colour):
    red, green, blue = colour
    return 0.299 * red + 0.587 * green + 0.114 * blue


def run_generator(directory):
    subprocess.run([sys.executable, GENERATOR, str(directory)], check=True)


@pytest.fixture(scope="module")
def generated(tmp_path_factory):
    directory = tmp_path_factory.mktemp("art")
    run_generator(directory)
    return directory


def load(directory, name):
    with open(os.path.join(directory, name), "rb") as handle:
        return handle.read()


@pytest.mark.parametrize("name", sorted(BITMAPS))
def test_bitmap_header_fields(generated, name):
    width, height, entries = BITMAPS[name]
    data = load(generated, name)
    bmp = Bmp8(data)
    table_entries = bmp.clr_used or 256
    assert bmp.magic == b"BM"
    assert bmp.file_size == len(data)
    assert bmp.header_size == 40
    assert (bmp.width, bmp.height) == (width, height)  # positive height: bottom-up
    assert bmp.planes == 1 and bmp.bit_count == 8 and bmp.compression == 0
    assert bmp.offset == 14 + 40 + 4 * table_entries
    assert bmp.image_size == bmp.stride * height
    assert len(data) == bmp.offset + bmp.stride * height
    if entries is not None:
        assert bmp.clr_used == entries
    else:
        assert 0 <= bmp.clr_used <= 256
    used = set().union(*(set(row) for row in bmp.rows))
    assert max(used) < table_entries
    # Row padding bytes are zero.
    for r in range(height):
        start = bmp.offset + r * bmp.stride
        assert data[start + width: start + bmp.stride] == bytes(bmp.stride - width)


def test_pil_decodes_every_bitmap_as_8_bit_palette(generated):
    from PIL import Image
    for name, (width, height, _) in BITMAPS.items():
        with Image.open(os.path.join(generated, name)) as image:
            assert image.format == "BMP" and image.mode == "P"
            assert image.size == (width, height)


def test_text_areas_are_flat_and_light(generated):
    """Areas under black text the program draws are one palette index, light."""
    main = Bmp8(load(generated, "bg_main.bmp"))
    # Counters and the transfer caption, which is filled with the colour at (137,105).
    strip = main.indices_in(24, 105, 415, 122)
    assert len(strip) == 1
    assert luminance(main.colour(137, 105)) > 180
    # Site link area above the notice page.
    link = main.indices_in(150, 158, 415, 179)
    assert len(link) == 1 and luminance(main.table[link.pop()]) > 180

    options = Bmp8(load(generated, "bg_options.bmp"))
    radios = options.indices_in(45, 172, 439, 191)
    assert len(radios) == 1 and luminance(options.table[radios.pop()]) > 180


def test_pressed_buttons_are_darker_than_normal(generated):
    for name in ("option", "connect", "close", "save"):
        normal = Bmp8(load(generated, f"{name}_normal.bmp"))
        pressed = Bmp8(load(generated, f"{name}_pressed.bmp"))

        def mean(bmp):
            pixels = [bmp.colour(x, y) for y in range(28) for x in range(84)]
            return sum(map(luminance, pixels)) / len(pixels)

        assert mean(pressed) < mean(normal) - 3, name


def test_icon_holds_three_alpha_sizes(generated):
    data = load(generated, "zr.ico")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind, count) == (0, 1, len(ICON_SIZES))
    for i, size in enumerate(ICON_SIZES):
        width, height, colours, _, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        assert (width, height, colours, planes, bits) == (size, size, 0, 1, 32)
        assert offset + length <= len(data)
        header = struct.unpack_from("<IiiHHI", data, offset)
        assert header == (40, size, 2 * size, 1, 32, 0)
        mask_stride = (size + 31) // 32 * 4
        assert length == 40 + size * size * 4 + mask_stride * size
        pixels = data[offset + 40: offset + 40 + size * size * 4]
        alpha = pixels[3::4]
        corner, centre = alpha[0], alpha[(size // 2) * size + size // 2]
        assert corner == 0 and centre == 255  # round emblem on a clear square


def test_generator_is_deterministic(generated, tmp_path):
    run_generator(tmp_path)
    names = sorted(os.listdir(generated))
    assert names == sorted(os.listdir(tmp_path))
    for name in names:
        assert load(generated, name) == load(tmp_path, name), name


def test_committed_artwork_matches_generator(generated):
    for name in list(BITMAPS) + ["zr.ico"]:
        assert load(COMMITTED, name) == load(generated, name), name


def _writer():
    sys.path.insert(0, os.path.dirname(GENERATOR))
    import bitmap_files
    return bitmap_files


def test_bmp_writer_pads_rows_and_stores_them_bottom_up():
    from PIL import Image
    writer = _writer()
    image = Image.new("P", (5, 3))
    image.putpalette([10, 20, 30, 200, 100, 50, 255, 255, 255])
    pattern = [[0, 1, 2, 1, 0], [2, 2, 2, 2, 2], [1, 0, 0, 0, 1]]
    image.putdata([i for row in pattern for i in row])
    data = writer.bmp8_bytes(image, 255)
    bmp = Bmp8(data)
    assert bmp.clr_used == 255 and bmp.stride == 8
    assert [list(row) for row in bmp.rows] == pattern
    assert bmp.table[:3] == [(10, 20, 30), (200, 100, 50), (255, 255, 255)]
    assert bmp.table[254] == (0, 0, 0)
    # The last stored row is the top image row.
    assert data[bmp.offset + 2 * 8: bmp.offset + 2 * 8 + 5] == bytes(pattern[0])


def test_bmp_writer_refuses_indices_outside_the_table():
    from PIL import Image
    writer = _writer()
    image = Image.new("P", (2, 2), 200)
    with pytest.raises(ValueError):
        writer.bmp8_bytes(image, 100)
    with pytest.raises(ValueError):
        writer.bmp8_bytes(Image.new("RGB", (2, 2)), 256)


def test_icon_mask_marks_only_transparent_pixels():
    from PIL import Image
    writer = _writer()
    image = Image.new("RGBA", (2, 2), (255, 0, 0, 255))
    image.putpixel((1, 0), (0, 0, 0, 0))  # top right clear
    entry = writer.icon_entry_bytes(image)
    mask = entry[40 + 16:]
    # Mask rows are bottom-up and padded to 4 bytes: bottom row clear of bits,
    # top row with the second pixel's bit set.
    assert mask == bytes([0, 0, 0, 0, 0x40, 0, 0, 0])
    # Colour rows are BGRA, bottom-up: the top-right pixel is the last one.
    assert entry[40 + 12: 40 + 16] == bytes((0, 0, 0, 0))
    assert entry[40: 40 + 4] == bytes((0, 0, 255, 255))
