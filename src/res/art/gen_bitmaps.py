"""The frame and button bitmaps of the palette and the tab panels, drawn pixel
by pixel into ../bitmaps. Where a picture has a transparent colour (white,
black or magenta) its edges are hard: a blended edge pixel would be neither
the key nor the ink and would show as a halo on other backgrounds."""
import os, sys
sys.path.insert(0, os.path.dirname(__file__))
from raster import *

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bitmaps")
bitmaps = {}

def bitmap(name):
    def deco(fn):
        bitmaps[name] = fn
        return fn
    return deco

FRAME = (91, 91, 91)
BAR = 237                      # the grey of the bars and the palette
RED = (176, 0, 0)              # the accent, #b00000
SELECTION = (190, 0, 0)
WHITE, BLACK, MAGENTA = (255, 255, 255), (0, 0, 0), (255, 0, 255)

def shift(c, d):
    return tuple(max(0, min(255, v + d)) for v in c)

def pixels(canvas, rows, colors, x0=0, y0=0):
    """Pixel art: one character a pixel; '.' keeps what is there."""
    for y, line in enumerate(rows):
        for x, ch in enumerate(line):
            if ch != ".":
                canvas.set(x0 + x, y0 + y, colors[ch])

# ---- 311: the docked palette's frame ----------------------------------------
# Three 46 x 15 states, stretched with the corners left 5, top 10, right 5,
# bottom 4: columns 5..40 and row 10 are the parts that repeat, so every
# detail runs along a whole row or column. The dark outline has a one pixel
# bevel inside it; the top corner holds a slim header band over the palette's
# title strip.
def palette_frame(state):
    d, pressed = {"normal": (0, False), "hot": (8, False), "pressed": (-10, True)}[state]
    outline = shift(FRAME, {"normal": 0, "hot": 22, "pressed": -20}[state])
    inside = shift(grey(BAR), d // 2)
    top, bottom = shift(grey(252), d // 2), shift(grey(226), d)
    hi, lo = shift(grey(253), d // 2), shift(grey(206), d)
    if pressed:
        top, bottom = shift(grey(218), d // 2), shift(grey(238), d // 2)
        hi, lo = lo, hi

    def colour(px, py):
        x, y = int(px), int(py)
        if y <= 8:
            c = mix(top, bottom, (y - 1) / 7)
        elif y == 9:
            c = shift(grey(184), d)
        else:
            c = inside
        if x == 1 or y == 1:
            c = hi if y != 9 else mix(hi, c, 0.5)
        if x == 44 or y == 13:
            c = lo
        return c

    c = Canvas(46, 15, grey(BAR))
    c.fill([round_box(0, 0, 46, 15, 3.5)], outline)
    c.fill([round_box(1, 1, 44, 13, 2.5)], colour)
    return c

@bitmap("311")
def palette_frames():
    c = Canvas(46, 45)
    for i, s in enumerate(("normal", "hot", "pressed")):
        c.paste(palette_frame(s), 0, 15 * i)
    return c

# ---- 312: the frame's "columns" button ----------------------------------------
@bitmap("312")
def columns_button():
    c = Canvas(7, 6, WHITE)
    pixels(c, [
        "..a.a..",
        ".ab.ba.",
        "abb.bba",
        "abb.bba",
        ".ab.ba.",
        "..a.a..",
    ], {"a": grey(128), "b": grey(91)})
    return c

# ---- 314: tab-control panel frames ---------------------------------------------
# Two 31 x 32 frames, corners left 3, top 25, right 26, bottom 3. The tab
# control's frame has a well for the tabs in its top rows, closed by the
# page's top edge in row 23 (rows 25..28 repeat, so they must all be page);
# its top right corner (26 x 25) carries the tab list's drop-down glyph, low
# in the well, beside the tabs' lower edge. The plain frame is the page alone.
EDGE = 160

def panel(tabbed):
    c = Canvas(31, 32, grey(EDGE))
    c.rect(1, 1, 29, 30, grey(BAR))
    if tabbed:
        for y in range(1, 23):
            c.rect(1, y, 29, 1, mix(grey(247), grey(229), (y - 1) / 21))
        c.rect(1, 23, 29, 1, grey(EDGE))
        c.rect(1, 24, 29, 1, grey(250))
    else:
        c.rect(1, 1, 29, 1, grey(250))
    c.rect(1, 1, 1, 30, grey(250))
    c.rect(1, 30, 29, 1, grey(214))
    c.rect(29, 1, 1, 30, grey(214))
    # Cut corners: the outermost pixel is transparent, the one inside it edge.
    for x, y, ix, iy in ((0, 0, 1, 1), (30, 0, 29, 1), (0, 31, 1, 30), (30, 31, 29, 30)):
        c.set(x, y, BLACK)
        c.set(ix, iy, grey(EDGE))
    if tabbed:
        # A list: two short rules over a small downward arrow head.
        pixels(c, [
            "aaaaaaa",
            ".......",
            "aaaaaaa",
            ".......",
            "bbbbbbb",
            ".bbbbb.",
            "..bbb..",
            "...b...",
        ], {"a": grey(150), "b": grey(91)}, 20, 12)
    return c

@bitmap("314")
def panels():
    c = Canvas(62, 32, BLACK)
    c.paste(panel(True), 0, 0)
    c.paste(panel(False), 31, 0)
    return c

# ---- 315: the close button ------------------------------------------------------
CROSS = [
    "aa...aa",
    "aaa.aaa",
    ".aaaaa.",
    "..aaa..",
    ".aaaaa.",
    "aaa.aaa",
    "aa...aa",
]

@bitmap("315")
def close_buttons():
    c = Canvas(33, 11, WHITE)
    pixels(c, CROSS, {"a": grey(91)}, 2, 2)
    pixels(c, CROSS, {"a": RED}, 13, 2)
    # Pressed: the selection red frames a pale red square.
    c.rect(22, 0, 11, 11, SELECTION)
    c.rect(23, 1, 9, 9, (248, 222, 222))
    pixels(c, CROSS, {"a": RED}, 24, 2)
    for x, y in ((22, 0), (32, 0), (22, 10), (32, 10)):
        c.set(x, y, WHITE)      # softly rounded corners
    return c

# ---- 316: tabs ------------------------------------------------------------------
# Three 15 x 16 tabs, corners left 4, top 4, right 4, bottom 2; the top
# corners are rounded, the bottom is open where the tab meets its page.
def tab(state):
    top, bottom = {"normal": (grey(226), grey(206)),
                   "hot": (grey(244), grey(224)),
                   "active": (grey(252), grey(BAR))}[state]
    border = grey(150) if state != "active" else grey(140)
    c = Canvas(15, 16, MAGENTA)
    for y in range(16):
        for x in range(15):
            c.set(x, y, mix(top, bottom, max(0, y - 1) / 14))
    c.rect(0, 0, 1, 16, border)
    c.rect(14, 0, 1, 16, border)
    c.rect(0, 0, 15, 1, border)
    c.rect(1, 1, 13, 1, shift(top, 6))
    if state == "active":
        c.rect(1, 0, 13, 1, RED)
        c.rect(1, 1, 13, 1, (214, 96, 96))
    # Rounded top corners: the outermost pixels become transparent, the next
    # ones border.
    for sx, step in ((0, 1), (14, -1)):
        for dx, dy in ((0, 0), (1, 0), (0, 1)):
            c.set(sx + step * dx, dy, MAGENTA)
        c.set(sx + step * 2, 0, border)
        c.set(sx + step * 1, 1, border)
        c.set(sx, 2, border)
        c.set(sx + step * 2, 1, c.get(sx + step * 3, 1))
        c.set(sx + step * 1, 2, mix(border, c.get(sx + step * 2, 2), 0.5))
    if state == "active":
        c.set(2, 0, (150, 30, 30)); c.set(12, 0, (150, 30, 30))
    if state != "active":
        c.rect(0, 15, 15, 1, border)
    return c

@bitmap("316")
def tabs():
    c = Canvas(45, 16, MAGENTA)
    for i, s in enumerate(("normal", "hot", "active")):
        c.paste(tab(s), 15 * i, 0)
    return c

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, fn in bitmaps.items():
        fn().save(os.path.join(OUT, name + ".png"))
    print(len(bitmaps), "bitmaps")
