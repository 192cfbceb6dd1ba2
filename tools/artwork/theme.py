"""The launcher's colour scheme: night-blue stone, crimson leather, gold and parchment."""

INK = (8, 7, 10)

NIGHT_TOP = (30, 36, 54)
NIGHT_BOTTOM = (12, 14, 24)
NIGHT_DEEP = (8, 10, 18)
TITLE_TOP = (44, 30, 34)
TITLE_BOTTOM = (16, 12, 16)

GOLD_PALE = (255, 236, 176)
GOLD_LIGHT = (238, 204, 128)
GOLD_MID = (196, 150, 72)
GOLD_DARK = (118, 80, 32)
GOLD_SHADOW = (60, 40, 16)

CRIMSON = (150, 30, 30)
CRIMSON_DEEP = (62, 10, 14)
LEATHER_LIGHT = (112, 34, 32)
LEATHER_DARK = (46, 12, 14)

# Light, flat fills under texts the program draws in black.
PARCHMENT = (236, 228, 208)
PARCHMENT_EDGE = (196, 182, 150)
PARCHMENT_SHADE = (160, 142, 108)

TEXT_LIGHT = (236, 226, 200)
TEXT_MUTED = (150, 150, 168)
TEXT_DARK = (92, 30, 24)

STEEL_TOP = (72, 88, 124)
STEEL_BOTTOM = (22, 28, 46)
EMBER_TOP = (176, 52, 34)
EMBER_BOTTOM = (70, 14, 12)
