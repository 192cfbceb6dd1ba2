#!/usr/bin/python3
"""Generate the launcher's bitmaps and icon.

Usage: make_artwork.py [OUTPUT_DIR] [--preview PNG]

Writes the 8-bit window backgrounds, the button pairs and the multi-size icon
into OUTPUT_DIR (default ui/res of the repository). The preview picture goes
to docs/artwork-preview.png with the default output directory, otherwise next
to the generated files. The output is the same, byte for byte, on every run.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import backgrounds  # noqa: E402
import bitmap_files  # noqa: E402
import buttons  # noqa: E402
import emblem  # noqa: E402
import preview  # noqa: E402

REPO = os.path.dirname(os.path.dirname(HERE))
DEFAULT_OUTPUT = os.path.join(REPO, "ui", "res")
DEFAULT_PREVIEW = os.path.join(REPO, "docs", "artwork-preview.png")

# The main background declares exactly 255 colours; the others a full table.
MAIN_BACKGROUND_COLOURS = 255
BUTTONS = {
    "option": ("OPTION", buttons.plain_button),
    "connect": ("START", buttons.primary_button),
    "close": ("CLOSE", buttons.plain_button),
    "save": ("SAVE", buttons.plain_button),
}
ICON_SIZES = (16, 32, 48)


def _save_bmp(directory, name, image, colours=256):
    """Write one bitmap and return it as the program will show it."""
    indexed = bitmap_files.quantize(image, colours)
    data = bitmap_files.bmp8_bytes(indexed, colours)
    with open(os.path.join(directory, name), "wb") as out:
        out.write(data)
    return indexed.convert("RGB")


def generate(directory, preview_path):
    os.makedirs(directory, exist_ok=True)
    main = _save_bmp(directory, "bg_main.bmp", backgrounds.main_background(),
                     MAIN_BACKGROUND_COLOURS)
    options = _save_bmp(directory, "bg_options.bmp", backgrounds.options_background())
    shown = {}
    for name, (label, make) in BUTTONS.items():
        for state in ("normal", "pressed"):
            image = make(label, state == "pressed")
            shown[f"{name}_{state}"] = _save_bmp(directory, f"{name}_{state}.bmp", image)
    bitmap_files.write_ico(os.path.join(directory, "zr.ico"),
                           [emblem.emblem(size) for size in ICON_SIZES])
    if preview_path:
        os.makedirs(os.path.dirname(os.path.abspath(preview_path)), exist_ok=True)
        preview.compose(main, options, shown).save(preview_path, optimize=False)


def main(argv):
    parser = argparse.ArgumentParser(description="Generate the launcher's artwork.")
    parser.add_argument("output", nargs="?", default=None,
                        help="directory for the .bmp and .ico files (default ui/res)")
    parser.add_argument("--preview", default=None,
                        help="path of the composite preview PNG")
    args = parser.parse_args(argv)
    output = args.output or DEFAULT_OUTPUT
    preview_path = args.preview
    if preview_path is None:
        preview_path = (DEFAULT_PREVIEW if args.output is None
                        else os.path.join(output, "artwork-preview.png"))
    generate(output, preview_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
