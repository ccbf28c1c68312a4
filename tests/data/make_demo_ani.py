#!/usr/bin/env python3
"""Writes demo.ani: four 32x32 256-colour frames of a turning arrow, for screenshots
and as an animated cursor made by a writer other than the program's own."""
import math
import struct


def chunk(cid, data):
    pad = b"\0" if len(data) % 2 else b""
    return cid + struct.pack("<I", len(data)) + data + pad


def frame(angle):
    palette = [(0, 0, 0)] * 256
    palette[1] = (255, 255, 255)
    palette[2] = (200, 40, 40)
    pixels = bytearray(32 * 32)
    mask = bytearray(128)
    for y in range(32):          # y = 0 is the top row
        for x in range(32):
            dx, dy = x - 15.5, y - 15.5
            r = math.hypot(dx, dy)
            a = (math.atan2(dy, dx) - angle) % (2 * math.pi)
            inside = r < 15 and (a < 0.5 or a > 2 * math.pi - 0.5 or r < 4)
            row = 31 - y         # rows are stored bottom first
            if inside:
                pixels[row * 32 + x] = 2 if r > 4 else 1
            else:
                mask[row * 4 + x // 8] |= 0x80 >> (x % 8)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 8, 0, 1024 + 128, 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    image = header + pal + bytes(pixels) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, 2, 2, len(image), 22)
    return chunk(b"icon", directory + image)


frames = [frame(i * math.pi / 2) for i in range(4)]
anih = struct.pack("<9I", 36, 4, 4, 0, 0, 0, 0, 12, 1)
body = b"ACON" + chunk(b"anih", anih) + chunk(b"LIST", b"fram" + b"".join(frames))
with open(__file__.rsplit("/", 1)[0] + "/demo.ani", "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", len(body)) + body)
