#!/usr/bin/python3
"""Draws the 15 two-colour cursor templates and writes them to CurData.bin.

Each template is a 304-byte record: a 40-byte bitmap information header
(32 x 64, 1 bit), the palette black and white, 128 bytes of colour (XOR) bits and
128 bytes of mask (AND) bits, rows bottom first, most significant bit leftmost.
Pixels are drawn with four inks: black, white, inverted screen, and the screen
itself (transparent). Run: /usr/bin/python3 resources/make_curdata.py
"""
import math
import os
import struct

SIZE = 32
TRANSPARENT, BLACK, WHITE, INVERT = ".", "B", "W", "I"
# (AND bit, XOR bit) of each ink
INKS = {BLACK: (0, 0), WHITE: (0, 1), TRANSPARENT: (1, 0), INVERT: (1, 1)}

# Name and hotspot of each template, in the order of the template list.
TEMPLATES = [
    ("Arrow", 0, 0), ("Help", 6, 6), ("AppStarting", 5, 7), ("HourGlass", 16, 16),
    ("Cross", 15, 15), ("IBeam", 15, 14), ("NWPen", 6, 6), ("No", 16, 16),
    ("SizeNS", 15, 15), ("SizeWE", 15, 15), ("SizeNWSE", 15, 15), ("SizeNESW", 15, 15),
    ("SizeAll", 15, 15), ("Up", 15, 8), ("HandPoint", 5, 0),
]
# The size field of the header: never read, kept as the program has always stored it.
IMAGE_SIZES = [4096] * 15
IMAGE_SIZES[4] = IMAGE_SIZES[5] = IMAGE_SIZES[6] = 256

ARROW = """
B
BB
BWB
BWWB
BWWWB
BWWWWB
BWWWWWB
BWWWWWWB
BWWWWWWWB
BWWWWWWWWB
BWWWWWWWWWB
BWWWWWWBBBBB
BWWWBWWB
BWWBBWWB
BWB..BWWB
BB...BWWB
B.....BWWB
......BWWB
.......BWWB
.......BWWB
........BB
"""

QUESTION = """
.BBBBB.
BB...BB
BB...BB
.....BB
....BB.
...BB..
...BB..
.......
...BB..
...BB..
"""

HAND = """
.....BB
....BWWB
....BWWB
....BWWB
....BWWB
....BWWBBB
....BWWBWWBBB
....BWWBWWBWWBB
.BB.BWWBWWBWWBWB
BWWBBWWWWWWWWBWWB
BWWWBWWWWWWWWWWWB
.BWWWWWWWWWWWWWWB
..BWWWWWWWWWWWWWB
..BWWWWWWWWWWWWB.
...BWWWWWWWWWWWB.
...BWWWWWWWWWWB..
....BWWWWWWWWWB..
....BWWWWWWWWWB..
....BBBBBBBBBBB..
"""


class Canvas:
    def __init__(self):
        self.px = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    def put(self, x, y, ink):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = ink

    def get(self, x, y):
        return self.px[y][x] if 0 <= x < SIZE and 0 <= y < SIZE else TRANSPARENT

    def art(self, text, ox, oy):
        for y, line in enumerate(text.strip("\n").split("\n")):
            for x, ch in enumerate(line):
                if ch != TRANSPARENT:
                    self.put(ox + x, oy + y, ch)

    def shape(self, pixels, fill, outline):
        """Fills a set of pixels and rings it (8 neighbours) with the outline ink."""
        for (x, y) in pixels:
            self.put(x, y, fill)
        for (x, y) in pixels:
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    p = (x + dx, y + dy)
                    if p not in pixels and self.get(*p) == TRANSPARENT:
                        self.put(p[0], p[1], outline)


def polygon(points):
    """Pixels whose centres lie inside the polygon (even-odd rule)."""
    inside = set()
    for y in range(SIZE):
        for x in range(SIZE):
            cx, cy, hit = x + 0.5, y + 0.5, False
            for i in range(len(points)):
                (x1, y1), (x2, y2) = points[i], points[i - 1]
                if (y1 > cy) != (y2 > cy) and cx < x1 + (cy - y1) * (x2 - x1) / (y2 - y1):
                    hit = not hit
            if hit:
                inside.add((x, y))
    return inside


def double_arrow(cx, cy, angle, half, head=5.0, wing=4.5, shaft=1.0):
    """A two-headed arrow centred on pixel (cx, cy) along the angle (degrees)."""
    dx, dy = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    nx, ny = -dy, dx
    ox, oy = cx + 0.5, cy + 0.5

    def at(t, s):
        return (ox + dx * t + nx * s, oy + dy * t + ny * s)

    b = half - head
    return polygon([at(half, 0), at(b, wing), at(b, shaft), at(-b, shaft), at(-b, wing),
                    at(-half, 0), at(-b, -wing), at(-b, -shaft), at(b, -shaft), at(b, -wing)])


def hourglass(c, left, top, width, height):
    """An hourglass in a box: black bars, white glass, black sand in the lower bulb."""
    right, bottom, mid = left + width - 1, top + height - 1, top + height // 2
    glass = set()
    for y in range(top + 2, bottom - 1):
        span = abs(y - mid) * (width - 4) // (height // 2 - 1) // 2
        half = max(1, span)
        centre = left + width // 2
        for x in range(centre - half, centre + half + (width % 2)):
            glass.add((x, y))
    c.shape(glass, WHITE, BLACK)
    for x in range(left, right + 1):
        for y in (top, top + 1, bottom - 1, bottom):
            c.put(x, y, BLACK)
    centre = left + width // 2
    pile = bottom - 1 - height // 5  # the top of the sand heap in the lower bulb
    for y in range(pile, bottom - 1):
        for x in range(left, right + 1):
            if (x, y) in glass and abs(x - centre) <= y - pile:
                c.put(x, y, BLACK)
    for y in range(mid - 1, pile):  # the falling thread
        c.put(centre, y, BLACK)


def draw(name):
    c = Canvas()
    if name == "Arrow":
        c.art(ARROW, 0, 0)
    elif name == "Help":
        c.art(ARROW, 6, 6)
        q = set()
        for y, line in enumerate(QUESTION.strip("\n").split("\n")):
            for x, ch in enumerate(line):
                if ch == BLACK:
                    q.add((19 + x, 4 + y))
        c.shape(q, BLACK, WHITE)
    elif name == "AppStarting":
        c.art(ARROW, 5, 7)
        hourglass(c, 19, 18, 11, 14)
    elif name == "HourGlass":
        hourglass(c, 8, 4, 17, 25)
    elif name == "Cross":
        line = {(15, y) for y in range(4, 27)} | {(x, 15) for x in range(4, 27)}
        c.shape(line, BLACK, WHITE)
    elif name == "IBeam":
        for y in range(7, 22):
            c.put(15, y, INVERT)
        for x in (12, 13, 14, 16, 17, 18):
            c.put(x, 6, INVERT)
            c.put(x, 22, INVERT)
        c.put(14, 14, INVERT)
        c.put(16, 14, INVERT)
    elif name == "NWPen":
        body = polygon([(13.5, 9.0), (28.0, 23.5), (23.5, 28.0), (9.0, 13.5)])
        nib = polygon([(6.0, 6.0), (14.0, 8.5), (8.5, 14.0)])
        c.shape(body, WHITE, BLACK)
        for (x, y) in nib:
            c.put(x, y, BLACK)
        for i in range(-3, 4):
            c.put(22 + i, 22 - i, BLACK)  # the band near the end of the pen
    elif name == "No":
        ring = set()
        for y in range(SIZE):
            for x in range(SIZE):
                d = math.hypot(x - 16, y - 16)
                if 7.5 <= d <= 10.5:
                    ring.add((x, y))
        slash = polygon([(8.5, 10.5), (10.5, 8.5), (24.5, 22.5), (22.5, 24.5)])
        c.shape(ring | slash, BLACK, WHITE)
    elif name == "SizeNS":
        c.shape(double_arrow(15, 15, 90, 11), BLACK, WHITE)
    elif name == "SizeWE":
        c.shape(double_arrow(15, 15, 0, 11), BLACK, WHITE)
    elif name == "SizeNWSE":
        c.shape(double_arrow(15, 15, 45, 11.5), BLACK, WHITE)
    elif name == "SizeNESW":
        c.shape(double_arrow(15, 15, 135, 11.5), BLACK, WHITE)
    elif name == "SizeAll":
        c.shape(double_arrow(15, 15, 90, 12) | double_arrow(15, 15, 0, 12), BLACK, WHITE)
    elif name == "Up":
        arrow = polygon([(15.5, 8.0), (23.0, 16.5), (17.5, 16.5), (17.5, 31.0),
                         (13.5, 31.0), (13.5, 16.5), (8.0, 16.5)])
        c.shape(arrow, WHITE, BLACK)
        c.put(15, 8, BLACK)
    elif name == "HandPoint":
        c.art(HAND, 0, 0)
    else:
        raise ValueError(name)
    return c


def record(canvas, image_size):
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, image_size, 0, 0, 0, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    xor, mask = bytearray(128), bytearray(128)
    for y in range(SIZE):
        for x in range(SIZE):
            a, c = INKS[canvas.px[y][x]]
            i = (31 - y) * 4 + x // 8
            bit = 0x80 >> (x % 8)
            if a:
                mask[i] |= bit
            if c:
                xor[i] |= bit
    data = header + palette + bytes(xor) + bytes(mask)
    assert len(data) == 304
    return data


def main():
    out = bytearray()
    for n, (name, hx, hy) in enumerate(TEMPLATES):
        canvas = draw(name)
        assert canvas.get(hx, hy) != TRANSPARENT, f"{name}: the hotspot must be on the drawing"
        out += record(canvas, IMAGE_SIZES[n])
    assert len(out) == 15 * 304
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "CurData.bin")
    with open(path, "wb") as f:
        f.write(out)
    if os.environ.get("CURDATA_SHOW"):
        for name, _, _ in TEMPLATES:
            print(name)
            print("\n".join("".join(row) for row in draw(name).px))


if __name__ == "__main__":
    main()
