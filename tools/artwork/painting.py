"""Drawing primitives shared by every piece of the launcher's artwork."""

import random

from PIL import Image, ImageChops, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype"
SERIF_BOLD = "dejavu/DejaVuSerif-Bold.ttf"
SANS_BOLD = "dejavu/DejaVuSans-Bold.ttf"
SANS = "dejavu/DejaVuSans.ttf"
GOTHIC = "nanum/NanumGothic.ttf"
GOTHIC_BOLD = "nanum/NanumGothicBold.ttf"


def font(name, size):
    return ImageFont.truetype(f"{FONT_DIR}/{name}", size)


def mix(colour_a, colour_b, t):
    """Colour between a (t = 0) and b (t = 1)."""
    return tuple(round(a + (b - a) * t) for a, b in zip(colour_a, colour_b))


def fill(image, box, colour):
    ImageDraw.Draw(image).rectangle(_inclusive(box), fill=colour)


def vertical_gradient(image, box, top, bottom):
    """Fill box (left, top, right, bottom; right and bottom exclusive)."""
    left, y0, right, y1 = box
    draw = ImageDraw.Draw(image)
    span = max(1, y1 - y0 - 1)
    for y in range(y0, y1):
        draw.line((left, y, right - 1, y), fill=mix(top, bottom, (y - y0) / span))


def horizontal_gradient(image, box, stops):
    """Fill box left to right through a list of (position 0..1, colour) stops."""
    x0, top, x1, bottom = box
    draw = ImageDraw.Draw(image)
    span = max(1, x1 - x0 - 1)
    for x in range(x0, x1):
        t = (x - x0) / span
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                colour = mix(c0, c1, (t - p0) / max(p1 - p0, 1e-9))
                break
        draw.line((x, top, x, bottom - 1), fill=colour)


def add_grain(image, box, amount, seed):
    """Add a fixed, seeded grain of +-amount to every channel inside box."""
    left, top, right, bottom = box
    width, height = right - left, bottom - top
    rng = random.Random(seed)
    grain = bytes(rng.randrange(2 * amount + 1) for _ in range(width * height))
    layer = Image.frombytes("L", (width, height), grain)
    layer = Image.merge("RGB", (layer, layer, layer))
    region = image.crop(box)
    image.paste(ImageChops.add(region, layer, scale=1.0, offset=-amount), box)


def bevel(image, box, light, dark):
    """One-pixel raised edge: light on top and left, dark on bottom and right."""
    left, top, right, bottom = _inclusive(box)
    draw = ImageDraw.Draw(image)
    draw.line((left, top, right, top), fill=light)
    draw.line((left, top, left, bottom), fill=light)
    draw.line((left, bottom, right, bottom), fill=dark)
    draw.line((right, top, right, bottom), fill=dark)


def outline(image, box, colour):
    ImageDraw.Draw(image).rectangle(_inclusive(box), outline=colour)


def text_mask(size, position, text, typeface, anchor, tracking=0):
    """Greyscale coverage of a text, optionally with extra letter spacing."""
    mask = Image.new("L", size, 0)
    draw = ImageDraw.Draw(mask)
    if tracking == 0:
        draw.text(position, text, font=typeface, fill=255, anchor=anchor)
        return mask
    total = sum(typeface.getlength(ch) for ch in text) + tracking * (len(text) - 1)
    x, y = position
    if anchor[0] == "m":
        x -= total / 2
    elif anchor[0] == "r":
        x -= total
    for ch in text:
        draw.text((x, y), ch, font=typeface, fill=255, anchor="l" + anchor[1])
        x += typeface.getlength(ch) + tracking
    return mask


def paint_mask(image, mask, colour, offset=(0, 0)):
    """Paint a flat colour through a coverage mask, shifted by offset."""
    if offset != (0, 0):
        mask = ImageChops.offset(mask, *offset)
    image.paste(Image.new("RGB", image.size, colour), (0, 0), mask)


def paint_gradient_mask(image, mask, box, top, bottom):
    """Paint a vertical gradient (spanning box) through a coverage mask."""
    layer = Image.new("RGB", image.size, top)
    vertical_gradient(layer, box, top, bottom)
    fill(layer, (0, box[3], image.size[0], image.size[1]), bottom)
    image.paste(layer, (0, 0), mask)


def text(image, position, string, typeface, colour, anchor="ls",
         shadow=None, tracking=0):
    """Anti-aliased text with an optional one-pixel drop shadow."""
    mask = text_mask(image.size, position, string, typeface, anchor, tracking)
    if shadow is not None:
        paint_mask(image, mask, shadow, (1, 1))
    paint_mask(image, mask, colour)


def engraved_text(image, position, string, typeface, top, bottom, rim,
                  anchor="ls", tracking=0):
    """Metallic text: a dark rim all round, a vertical gradient face."""
    mask = text_mask(image.size, position, string, typeface, anchor, tracking)
    box = mask.getbbox() or (0, 0, 1, 1)
    for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1), (1, 1)):
        paint_mask(image, mask, rim, (dx, dy))
    paint_gradient_mask(image, mask, (box[0], box[1], box[2], box[3]), top, bottom)


def supersampled(size, scale, painter):
    """Run painter(draw, scale) on an RGBA canvas `scale` times larger,
    then shrink it with a high-quality filter for smooth edges."""
    big = Image.new("RGBA", (size[0] * scale, size[1] * scale), (0, 0, 0, 0))
    painter(big, scale)
    return big.resize(size, Image.Resampling.LANCZOS)


def _inclusive(box):
    left, top, right, bottom = box
    return (left, top, right - 1, bottom - 1)
