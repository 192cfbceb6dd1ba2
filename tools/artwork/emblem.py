"""The game's emblem: a gold-rimmed crimson medallion carrying the letters ZR."""

from PIL import Image, ImageDraw

import painting
import theme


def _disc(size, inset):
    mask = Image.new("L", (size, size), 0)
    ImageDraw.Draw(mask).ellipse((inset, inset, size - 1 - inset, size - 1 - inset),
                                 fill=255)
    return mask


def _medallion(canvas, scale, small):
    size = canvas.size[0]
    rim = max(scale, size // (12 if small else 9))
    # Dark outer line, then a gold ring lit from above.
    canvas.paste(theme.INK + (255,), (0, 0), _disc(size, 0))
    gold = Image.new("RGB", canvas.size)
    painting.vertical_gradient(gold, (0, 0, size, size), theme.GOLD_PALE, theme.GOLD_DARK)
    canvas.paste(gold, (0, 0), _disc(size, scale * 0.7))
    # Field: concentric discs from a deep edge to a warm centre.
    rings = 20
    for i in range(rings):
        t = i / (rings - 1)
        inset = rim + (size / 2 - rim) * t * 0.8
        colour = painting.mix(theme.CRIMSON_DEEP, theme.CRIMSON, t)
        canvas.paste(colour + (255,), (0, 0), _disc(size, inset))
    # A thin dark line seats the field inside the ring.
    ImageDraw.Draw(canvas).ellipse((rim, rim, size - 1 - rim, size - 1 - rim),
                                   outline=theme.INK + (255,), width=max(1, scale // 2))


def _letters(canvas, scale, small):
    size = canvas.size[0]
    face = painting.font(painting.SERIF_BOLD, round(size * (0.56 if small else 0.44)))
    centre = (size / 2, size / 2 + size * 0.02)
    mask = painting.text_mask(canvas.size, centre, "ZR", face, "mm",
                              tracking=-round(size * 0.02))
    shadow = Image.new("L", canvas.size, 0)
    shadow.paste(mask, (scale, scale))
    canvas.paste(theme.INK + (255,), (0, 0), shadow)
    face_colour = Image.new("RGB", canvas.size)
    painting.paint_gradient_mask(face_colour, mask, mask.getbbox(),
                                 theme.GOLD_PALE, theme.GOLD_MID)
    canvas.paste(face_colour, (0, 0), mask)


def emblem(size):
    """The emblem as an RGBA image of size x size pixels."""
    small = size <= 20

    def paint(canvas, scale):
        _medallion(canvas, scale, small)
        _letters(canvas, scale, small)

    return painting.supersampled((size, size), 8, paint)
