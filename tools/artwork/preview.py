"""A composite picture of both windows with stand-ins for the controls the
program draws over the artwork, used to judge the artwork before building."""

from PIL import Image, ImageDraw

import backgrounds
import painting

CONTROL_TEXT = painting.font(painting.GOTHIC, 13)
SMALL_TEXT = painting.font(painting.GOTHIC, 12)
BLACK = (0, 0, 0)


def _sunken_box(draw, box, face):
    left, top, right, bottom = box
    draw.rectangle((left, top, right - 1, bottom - 1), fill=face)
    draw.line((left, top, right - 1, top), fill=(128, 128, 128))
    draw.line((left, top, left, bottom - 1), fill=(128, 128, 128))
    draw.line((left, bottom - 1, right - 1, bottom - 1), fill=(255, 255, 255))
    draw.line((right - 1, top, right - 1, bottom - 1), fill=(255, 255, 255))


def _progress(draw, box, fraction, segmented):
    left, top, right, bottom = box
    _sunken_box(draw, box, (236, 236, 236))
    end = left + 1 + int((right - left - 2) * fraction)
    if not segmented:
        draw.rectangle((left + 1, top + 1, end, bottom - 2), fill=(0, 120, 215))
        return
    step = max(4, (bottom - top) * 2 // 3)
    for x in range(left + 2, end, step + 2):
        draw.rectangle((x, top + 2, min(x + step - 1, end), bottom - 3), fill=(0, 120, 215))


def _main_window(background, buttons):
    image = background.copy()
    draw = ImageDraw.Draw(image)
    status = backgrounds.STATUS_BOX
    _sunken_box(draw, status, (255, 255, 255))
    draw.text(((status[0] + status[2]) / 2, (status[1] + status[3]) / 2),
              "Downloading version 1.02.05 from the patch server.",
              font=CONTROL_TEXT, fill=BLACK, anchor="mm")
    _progress(draw, (24, 75, 414, 95), 0.62, False)
    _progress(draw, (24, 95, 414, 105), 0.40, True)
    draw.text((24, 106), "Version 1/3", font=SMALL_TEXT, fill=BLACK)
    draw.text((414, 106), "File 12/40", font=SMALL_TEXT, fill=BLACK, anchor="ra")
    # The transfer caption: a box filled with the colour at (137,105).
    draw.rectangle((138, 106, 302, 121), fill=background.getpixel((137, 105)))
    draw.text((220, 106), "Downloading (45%)", font=SMALL_TEXT, fill=BLACK, anchor="ma")
    for (name, x) in (("option", 45), ("connect", 180), ("close", 315)):
        image.paste(buttons[name + "_normal"], (x, backgrounds.BUTTON_ROW_Y))
    draw.text((155, 162), "www.zr-online.example", font=SMALL_TEXT, fill=(0, 0, 200))
    notice = backgrounds.NOTICE_BOX
    draw.rectangle((notice[0], notice[1], notice[2] - 1, notice[3] - 1), fill=(200, 200, 200))
    draw.text(((notice[0] + notice[2]) / 2, (notice[1] + notice[3]) / 2), "notice page",
              font=CONTROL_TEXT, fill=(90, 90, 90), anchor="mm")
    return image


def _options_window(background, buttons):
    image = background.copy()
    draw = ImageDraw.Draw(image)
    _sunken_box(draw, backgrounds.ID_EDIT_BOX, (255, 255, 255))
    draw.text((backgrounds.ID_EDIT_BOX[0] + 3, backgrounds.ID_EDIT_BOX[1] + 10), "player01",
              font=CONTROL_TEXT, fill=BLACK, anchor="lm")
    for x, label, checked in ((45, "640x480", False), (145, "800x600", False),
                              (245, "1024x768", True), (350, "1280x1024", False)):
        cy = 182
        draw.ellipse((x, cy - 6, x + 12, cy + 6), fill=(255, 255, 255), outline=(110, 110, 110))
        if checked:
            draw.ellipse((x + 4, cy - 2, x + 8, cy + 2), fill=BLACK)
        draw.text((x + 17, cy), label, font=CONTROL_TEXT, fill=BLACK, anchor="lm")
    for box, checked in ((backgrounds.SOUND_BOX, True), (backgrounds.MUSIC_BOX, False)):
        x, cy = box[0], (box[1] + box[3]) // 2
        _sunken_box(draw, (x, cy - 6, x + 13, cy + 7), (255, 255, 255))
        if checked:
            draw.line((x + 3, cy, x + 5, cy + 3, x + 10, cy - 3), fill=BLACK, width=2)
    image.paste(buttons["save_normal"], (250, 260))
    image.paste(buttons["close_normal"], (350, 260))
    return image


def _framed(image):
    framed = Image.new("RGB", (image.size[0] + 2, image.size[1] + 2), BLACK)
    framed.paste(image, (1, 1))
    return framed


def compose(main_background, options_background, buttons):
    margin = 16
    main = _framed(_main_window(main_background, buttons))
    options = _framed(_options_window(options_background, buttons))
    names = ["option", "connect", "close", "save"]
    scale = 2
    cell = (84 * scale + margin, 28 * scale + margin)
    width = margin * 3 + main.size[0] + options.size[0]
    height = margin * 2 + max(main.size[1], options.size[1]) + 2 * cell[1] + margin
    canvas = Image.new("RGB", (width, height), (88, 90, 98))
    canvas.paste(main, (margin, margin))
    canvas.paste(options, (margin * 2 + main.size[0], margin))
    top = margin * 2 + max(main.size[1], options.size[1])
    for row, state in enumerate(("normal", "pressed")):
        for column, name in enumerate(names):
            tile = buttons[f"{name}_{state}"].resize((84 * scale, 28 * scale),
                                                     Image.Resampling.NEAREST)
            canvas.paste(tile, (margin + column * cell[0], top + row * cell[1]))
    return canvas
