#!/usr/bin/python3
# Makes the glyphs of the pixel editor's tool buttons: one strip of 16x16 tiles, in the
# order of kToolGlyphs in editor/EditDlg_win.cpp. Magenta is the transparent colour (every
# tile's bottom-left pixel, as button glyphs take it). Run once from this folder; the
# result is committed.
from PIL import Image, ImageDraw

S = 16
CLEAR = (255, 0, 255)
INK = (0, 0, 0)
GREY = (128, 128, 128)
WHITE = (255, 255, 255)
BLUE = (0, 0, 192)
RED = (200, 0, 0)
WOOD = (230, 180, 60)


def arrow_turn(d, mirror):
    # A quarter turn ending in an arrow head: undo points left, redo right.
    def m(x):
        return S - 1 - x if mirror else x
    pts = [(5, 5), (10, 5), (12, 6), (13, 8), (13, 10), (12, 12), (10, 13), (6, 13)]
    for a, b in zip(pts, pts[1:]):
        d.line([(m(a[0]), a[1]), (m(b[0]), b[1])], fill=BLUE, width=2)
    d.polygon([(m(1), 5), (m(5), 1), (m(5), 9)], fill=BLUE)


def undo(d):
    arrow_turn(d, False)


def redo(d):
    arrow_turn(d, True)


def select(d):
    for x in range(2, 14):
        if x % 2 == 0:
            d.point((x, 3), fill=INK)
            d.point((x, 12), fill=INK)
    for y in range(3, 13):
        if y % 2 == 1:
            d.point((2, y), fill=INK)
            d.point((13, y), fill=INK)


def move(d):
    d.line([(8, 1), (8, 14)], fill=INK)
    d.line([(1, 8), (14, 8)], fill=INK)
    d.polygon([(8, 0), (5, 3), (11, 3)], fill=INK)
    d.polygon([(8, 15), (5, 12), (11, 12)], fill=INK)
    d.polygon([(0, 8), (3, 5), (3, 11)], fill=INK)
    d.polygon([(15, 8), (12, 5), (12, 11)], fill=INK)


def other(d):
    # A shape and its mirror image about a dashed axis.
    d.polygon([(1, 13), (6, 3), (6, 13)], fill=BLUE)
    d.polygon([(14, 13), (9, 3), (9, 13)], outline=BLUE)
    for y in range(1, 15, 2):
        d.point((7, y), fill=INK)
        d.point((8, y), fill=INK)


def pen(d):
    d.polygon([(3, 10), (10, 3), (13, 6), (6, 13)], fill=WOOD, outline=INK)
    d.polygon([(3, 10), (6, 13), (2, 14)], fill=WHITE, outline=INK)
    d.point((2, 13), fill=INK)
    d.line([(10, 3), (13, 6)], fill=RED, width=2)


def fill(d):
    d.polygon([(2, 7), (7, 2), (13, 8), (8, 13)], fill=WHITE, outline=INK)
    d.polygon([(4, 7), (7, 4), (10, 7)], fill=BLUE)
    d.line([(13, 8), (13, 13)], fill=BLUE, width=2)
    d.point((12, 14), fill=BLUE)


def grid(d):
    for v in (2, 6, 10, 14):
        d.line([(v, 2), (v, 14)], fill=GREY)
        d.line([(2, v), (14, v)], fill=GREY)


def clipboard(d):
    d.rectangle([3, 2, 12, 14], fill=WOOD, outline=INK)
    d.rectangle([5, 4, 13, 15], fill=WHITE, outline=INK)
    d.rectangle([6, 1, 9, 3], fill=GREY, outline=INK)
    for y in (7, 9, 11, 13):
        d.line([(7, y), (11, y)], fill=GREY)


def line(d):
    d.line([(2, 13), (13, 2)], fill=INK, width=1)


def square(d):
    d.rectangle([2, 3, 13, 12], outline=INK)


def circle(d):
    d.ellipse([1, 2, 14, 13], outline=INK)


def fill_square(d):
    d.rectangle([2, 3, 13, 12], fill=BLUE, outline=INK)


def fill_circle(d):
    d.ellipse([1, 2, 14, 13], fill=BLUE, outline=INK)


TILES = [undo, redo, select, move, other, pen, fill, grid, clipboard, line, square, circle, fill_square, fill_circle]

strip = Image.new("RGB", (S * len(TILES), S), CLEAR)
for i, draw in enumerate(TILES):
    tile = Image.new("RGB", (S, S), CLEAR)
    draw(ImageDraw.Draw(tile))
    tile.putpixel((0, S - 1), CLEAR)
    strip.paste(tile, (i * S, 0))
strip.save("EditorGlyphs.bmp")
