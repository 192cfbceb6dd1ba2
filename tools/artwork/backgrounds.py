"""Background images of the main window (421 x 350) and the options window
(470 x 310). Boxes are (left, top, right, bottom) with right and bottom
exclusive; positions are client pixels of the window the image skins.
"""

from PIL import Image, ImageDraw

import emblem
import painting
import theme

MAIN_SIZE = (421, 350)
OPTIONS_SIZE = (470, 310)

# Main window areas the program draws into.
STATUS_BOX = (24, 28, 414, 68)
BARS_BOX = (24, 75, 414, 105)
# Counters and the transfer caption: black text on one flat colour.
CAPTION_STRIP = (24, 105, 416, 123)
LINK_STRIP = (150, 158, 416, 181)
NOTICE_BOX = (25, 180, 415, 345)
BUTTON_ROW_Y = 130
CONTENT_LEFT = 22  # right of the leather spine

# Options window areas.
ID_EDIT_BOX = (175, 55, 295, 75)
RADIO_ROW = (45, 172, 440, 192)
SOUND_BOX = (35, 251, 185, 271)
MUSIC_BOX = (35, 272, 185, 292)


def _night(image, box, seed):
    painting.vertical_gradient(image, box, theme.NIGHT_TOP, theme.NIGHT_BOTTOM)
    painting.add_grain(image, box, 3, seed)


def _title_band(image, height, title, emblem_size, seed):
    width = image.size[0]
    painting.vertical_gradient(image, (0, 0, width, height),
                               theme.TITLE_TOP, theme.TITLE_BOTTOM)
    painting.add_grain(image, (0, 0, width, height - 1), 2, seed)
    painting.fill(image, (0, height - 2, width, height - 1), theme.GOLD_MID)
    painting.fill(image, (0, height - 1, width, height), theme.GOLD_SHADOW)
    top = (height - 2 - emblem_size) // 2
    mark = emblem.emblem(emblem_size)
    image.paste(mark, (5, top), mark)
    x = 5 + emblem_size + 7
    baseline = top + emblem_size // 2 + 5
    face = painting.font(painting.SERIF_BOLD, 15 if height < 30 else 17)
    painting.engraved_text(image, (x, baseline), title, face,
                           theme.GOLD_PALE, theme.GOLD_MID, theme.INK, anchor="ls",
                           tracking=1)
    # Filigree at the right end of the band: a rule ending in a diamond.
    draw = ImageDraw.Draw(image)
    mid = (height - 2) // 2
    draw.line((width - 120, mid, width - 26, mid), fill=theme.GOLD_DARK)
    _diamond(draw, width - 18, mid, 4, theme.GOLD_LIGHT, theme.GOLD_DARK)


def _diamond(draw, cx, cy, radius, face, edge):
    draw.polygon([(cx, cy - radius), (cx + radius, cy), (cx, cy + radius),
                  (cx - radius, cy)], fill=face, outline=edge)


def _spine(image, top, seed):
    """Crimson leather column down the left edge with gold studs."""
    height = image.size[1]
    box = (0, top, CONTENT_LEFT - 2, height)
    painting.horizontal_gradient(image, box, [
        (0.0, theme.LEATHER_DARK), (0.45, theme.LEATHER_LIGHT), (1.0, theme.LEATHER_DARK)])
    painting.add_grain(image, box, 4, seed)
    painting.fill(image, (CONTENT_LEFT - 2, top, CONTENT_LEFT - 1, height), theme.GOLD_MID)
    painting.fill(image, (CONTENT_LEFT - 1, top, CONTENT_LEFT, height), theme.INK)
    draw = ImageDraw.Draw(image)
    cx = (CONTENT_LEFT - 2) // 2
    for y in range(top + 22, height - 10, 46):
        draw.ellipse((cx - 3, y - 3, cx + 3, y + 3), fill=theme.GOLD_DARK)
        draw.ellipse((cx - 3, y - 3, cx + 2, y + 2), fill=theme.GOLD_MID)
        draw.point((cx - 1, y - 1), fill=theme.GOLD_PALE)


def _frame(image):
    width, height = image.size
    painting.outline(image, (0, 0, width, height), theme.GOLD_DARK)


def _sunken(image, box, shade, light):
    """A one-pixel recess just outside box: dark above and left, light below."""
    left, top, right, bottom = box
    painting.bevel(image, (left - 1, top - 1, right + 1, bottom + 1), shade, light)


def _gold_ring(image, box, sides="ltrb"):
    """Two-pixel gold moulding just outside box on the chosen sides."""
    left, top, right, bottom = box
    draw = ImageDraw.Draw(image)
    for inset, colour in ((1, theme.INK), (2, theme.GOLD_MID), (3, theme.GOLD_DARK)):
        l, t, r, b = left - inset, top - inset, right - 1 + inset, bottom - 1 + inset
        if "t" not in sides:
            t = top  # open top: the sides start level with the box
        if "l" in sides:
            draw.line((l, t, l, b), fill=colour)
        if "r" in sides:
            draw.line((r, t, r, b), fill=colour)
        if "t" in sides:
            draw.line((l, t, r, t), fill=colour)
        if "b" in sides:
            draw.line((l, b, r, b), fill=colour)


def main_background():
    width, height = MAIN_SIZE
    image = Image.new("RGB", MAIN_SIZE)
    _night(image, (0, 0, width, height), seed=141)
    _title_band(image, 25, "ZR Auto Update", 19, seed=1411)
    _spine(image, 25, seed=1412)

    # Parchment plate carrying the status line, the bars and the counters.
    plate = (CONTENT_LEFT, 25, width - 3, 125)
    painting.fill(image, plate, theme.PARCHMENT)
    painting.fill(image, (plate[0], plate[1], plate[2], plate[1] + 1), theme.PARCHMENT_SHADE)
    painting.fill(image, (plate[0], plate[3] - 1, plate[2], plate[3]), theme.GOLD_MID)
    painting.fill(image, (plate[2] - 1, plate[1], plate[2], plate[3]), theme.PARCHMENT_EDGE)
    _sunken(image, STATUS_BOX, theme.PARCHMENT_SHADE, (252, 249, 240))
    bars = BARS_BOX
    draw = ImageDraw.Draw(image)
    draw.line((bars[0] - 1, bars[1] - 1, bars[2], bars[1] - 1), fill=theme.PARCHMENT_SHADE)
    draw.line((bars[0] - 1, bars[1] - 1, bars[0] - 1, bars[3] - 1), fill=theme.PARCHMENT_SHADE)
    draw.line((bars[2], bars[1] - 1, bars[2], bars[3] - 1), fill=theme.PARCHMENT_EDGE)

    # Button rail: calm night band between two gold rules.
    painting.fill(image, (CONTENT_LEFT, 125, width - 3, 126), theme.GOLD_SHADOW)
    for cx in (154, 289):
        _diamond(draw, cx, 144, 3, theme.GOLD_MID, theme.GOLD_DARK)

    # Notice board: parchment header with the site link, the page below.
    header = (CONTENT_LEFT, 158, width - 3, 180)
    painting.fill(image, header, theme.PARCHMENT)
    painting.fill(image, (CONTENT_LEFT, 157, width - 3, 158), theme.GOLD_MID)
    _diamond(draw, 31, 168, 3, theme.CRIMSON, theme.TEXT_DARK)
    painting.text(image, (39, 173), "News & Notices",
                  painting.font(painting.SERIF_BOLD, 11), theme.TEXT_DARK)
    draw.line((140, 162, 140, 175), fill=theme.PARCHMENT_EDGE)
    _gold_ring(image, NOTICE_BOX, sides="lrb")
    _frame(image)
    return image


def _section_heading(image, y, label, right):
    face = painting.font(painting.SERIF_BOLD, 12)
    painting.engraved_text(image, (44, y), label, face, theme.GOLD_PALE,
                           theme.GOLD_MID, theme.INK, anchor="ls", tracking=2)
    end = 44 + int(painting.text_mask(image.size, (44, y), label, face, "ls", 2)
                   .getbbox()[2] - 44)
    draw = ImageDraw.Draw(image)
    draw.line((end + 10, y - 4, right, y - 4), fill=theme.GOLD_DARK)
    draw.line((end + 10, y - 3, right, y - 3), fill=theme.INK)
    _diamond(draw, 35, y - 4, 3, theme.GOLD_LIGHT, theme.GOLD_DARK)


def options_background():
    width, height = OPTIONS_SIZE
    image = Image.new("RGB", OPTIONS_SIZE)
    _night(image, (0, 0, width, height), seed=123)
    _title_band(image, 32, "Options", 24, seed=1231)
    _spine(image, 32, seed=1232)
    label = painting.font(painting.SANS_BOLD, 12)

    _section_heading(image, 46, "ACCOUNT", width - 30)
    painting.text(image, (168, 65), "Account ID", label, theme.TEXT_LIGHT,
                  anchor="rm", shadow=theme.INK)
    _gold_ring(image, ID_EDIT_BOX)
    painting.text(image, (ID_EDIT_BOX[0], 90), "Up to 10 characters",
                  painting.font(painting.SANS, 10), theme.TEXT_MUTED, anchor="ls")

    _section_heading(image, 132, "RESOLUTION", width - 30)
    painting.text(image, (44, 152), "Screen size the game starts in",
                  painting.font(painting.SANS, 10), theme.TEXT_MUTED, anchor="ls")
    row = (CONTENT_LEFT, 164, width - 1, 200)
    painting.fill(image, row, theme.PARCHMENT)
    painting.fill(image, (row[0], row[1], row[2], row[1] + 1), theme.GOLD_MID)
    painting.fill(image, (row[0], row[3] - 1, row[2], row[3]), theme.GOLD_MID)
    painting.fill(image, (row[0], row[1] + 1, row[2], row[1] + 2), theme.PARCHMENT_SHADE)

    _section_heading(image, 236, "SOUND", 220)
    for box, name in ((SOUND_BOX, "Sound effects"), (MUSIC_BOX, "Music")):
        painting.text(image, (box[0] + 21, (box[1] + box[3]) // 2), name, label,
                      theme.TEXT_LIGHT, anchor="lm", shadow=theme.INK)
    _frame(image)
    return image
