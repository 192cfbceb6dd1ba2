"""Skin buttons, 84 x 28: a gold-framed plate with an engraved caption.

The pressed image sinks the plate: inverted bevel, darker body without the
gloss, caption one pixel down and right. Corners are square so the same image
sits on any background (the Close image is also the options window's Cancel).
"""

from PIL import Image, ImageDraw

import painting
import theme

SIZE = (84, 28)


def _body(image, top, bottom, pressed):
    width, height = SIZE
    inner = (3, 3, width - 3, height - 3)
    if pressed:
        top, bottom = painting.mix(top, theme.INK, 0.35), painting.mix(bottom, theme.INK, 0.2)
        painting.vertical_gradient(image, inner, bottom, top)
        # Shadow cast by the frame onto the sunken plate.
        painting.fill(image, (3, 3, width - 3, 4), painting.mix(bottom, theme.INK, 0.6))
        painting.fill(image, (3, 3, 4, height - 3), painting.mix(bottom, theme.INK, 0.6))
        return
    painting.vertical_gradient(image, inner, top, bottom)
    # Soft gloss over the upper half.
    gloss = painting.mix(top, (255, 255, 255), 0.18)
    mid = height // 2
    painting.vertical_gradient(image, (3, 3, width - 3, mid), gloss, top)


def _frame(image, pressed):
    width, height = SIZE
    draw = ImageDraw.Draw(image)
    draw.rectangle((0, 0, width - 1, height - 1), outline=theme.INK)
    corner = painting.mix(theme.INK, theme.GOLD_DARK, 0.5)
    for point in ((0, 0), (width - 1, 0), (0, height - 1), (width - 1, height - 1)):
        draw.point(point, fill=corner)
    light, dark = theme.GOLD_LIGHT, theme.GOLD_DARK
    if pressed:
        light, dark = theme.GOLD_DARK, theme.GOLD_MID
    painting.bevel(image, (1, 1, width - 1, height - 1), light, dark)
    painting.outline(image, (2, 2, width - 2, height - 2), theme.INK)


def _caption(image, label, pressed):
    width, height = SIZE
    shift = 1 if pressed else 0
    face = painting.font(painting.SERIF_BOLD, 12)
    top = theme.GOLD_PALE if not pressed else painting.mix(theme.GOLD_PALE, theme.GOLD_MID, 0.4)
    painting.engraved_text(image, (width / 2 + shift, height / 2 + 1 + shift), label,
                           face, top, theme.GOLD_LIGHT if not pressed else theme.GOLD_MID,
                           theme.INK, anchor="mm", tracking=1)


def button(label, top, bottom, pressed):
    image = Image.new("RGB", SIZE, theme.INK)
    _body(image, top, bottom, pressed)
    _frame(image, pressed)
    _caption(image, label, pressed)
    return image


def plain_button(label, pressed):
    return button(label, theme.STEEL_TOP, theme.STEEL_BOTTOM, pressed)


def primary_button(label, pressed):
    return button(label, theme.EMBER_TOP, theme.EMBER_BOTTOM, pressed)
