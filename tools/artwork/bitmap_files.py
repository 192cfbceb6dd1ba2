"""Writers for the two Windows image formats the launcher's resources use.

8-bit palette bitmaps are written by hand so that every header field is under
our control (the main background must declare exactly 255 colours), and icons
are written as classic BITMAPINFOHEADER entries with an alpha channel, which
every Windows version and Wine load without a PNG decoder.
"""

import struct

from PIL import Image

BI_RGB = 0
PELS_PER_METRE = 2835  # 72 dots per inch


def row_stride(width, bits_per_pixel):
    """Bytes per pixel row, padded to a multiple of four."""
    return ((width * bits_per_pixel + 31) // 32) * 4


def quantize(image, colours):
    """Reduce an RGB image to at most `colours` palette entries.

    Dithering is off on purpose: identical RGB pixels then always get the same
    index, which keeps flat areas flat (the program samples one of them and
    fills text boxes with it).
    """
    return image.convert("RGB").quantize(
        colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)


def bmp8_bytes(indexed, table_size):
    """Encode a palette image as a bottom-up, uncompressed 8-bit BMP.

    `table_size` is the number of colour-table entries written and stored in
    biClrUsed; unused entries are black.
    """
    if indexed.mode != "P":
        raise ValueError("palette image expected")
    width, height = indexed.size
    palette = indexed.getpalette()[: table_size * 3]
    palette += [0] * (table_size * 3 - len(palette))
    if max(indexed.getdata()) >= table_size:
        raise ValueError("pixel index outside the colour table")

    table = bytearray()
    for i in range(table_size):
        red, green, blue = palette[3 * i: 3 * i + 3]
        table += bytes((blue, green, red, 0))

    stride = row_stride(width, 8)
    pixels = indexed.tobytes()
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = pixels[y * width:(y + 1) * width]
        rows += row + bytes(stride - width)

    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, BI_RGB,
                       len(rows), PELS_PER_METRE, PELS_PER_METRE, table_size, 0)
    offset = 14 + len(info) + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return file_header + info + bytes(table) + bytes(rows)


def write_bmp8(path, image, table_size=256):
    """Quantize an RGB image to `table_size` colours and save it as an 8-bit BMP."""
    data = bmp8_bytes(quantize(image, table_size), table_size)
    with open(path, "wb") as out:
        out.write(data)
    return data


def icon_entry_bytes(image):
    """One icon image: 32-bit BGRA colour rows plus the 1-bit AND mask."""
    rgba = image.convert("RGBA")
    width, height = rgba.size
    pixels = rgba.load()
    colour = bytearray()
    mask = bytearray()
    mask_stride = row_stride(width, 1)
    for y in range(height - 1, -1, -1):
        mask_row = bytearray(mask_stride)
        for x in range(width):
            red, green, blue, alpha = pixels[x, y]
            colour += bytes((blue, green, red, alpha))
            if alpha < 128:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, BI_RGB,
                       len(colour) + len(mask), 0, 0, 0, 0)
    return info + bytes(colour) + bytes(mask)


def ico_bytes(images):
    """Encode square RGBA images (each at most 256 pixels) as one .ico file."""
    entries = [icon_entry_bytes(image) for image in images]
    header = struct.pack("<HHH", 0, 1, len(images))
    directory = bytearray()
    offset = len(header) + 16 * len(images)
    for image, entry in zip(images, entries):
        width, height = image.size
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0,
                                 1, 32, len(entry), offset)
        offset += len(entry)
    return header + bytes(directory) + b"".join(entries)


def write_ico(path, images):
    data = ico_bytes(images)
    with open(path, "wb") as out:
        out.write(data)
    return data
