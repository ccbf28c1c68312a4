#!/usr/bin/env python3
"""Makes hostile pictures for the picture import: bitmaps whose RLE counters run past 2^31 or
far past their rows, bitmaps and PNG files that declare far more pixels than they hold
(decompression bombs), and pictures of extreme aspect ratios for the square padding.
Every file is sound in its own format except where its name says otherwise; the large ones
are too big to commit, so tests and benchmarks make them with this script.

Usage: make_hostile_pictures.py OUTPUT_FOLDER [NAME ...]   (no names: all of them)"""
import os
import struct
import sys
import zlib


def bmp(width, height, bits, compression, pixels, colours=None):
    if colours is None:
        colours = [(i * 255 // ((1 << bits) - 1),) * 3 for i in range(1 << bits)] if bits <= 8 else []
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                       len(colours), 0)
    offset = 14 + len(info) + len(table)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + table + pixels


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(width, height, depth, colour_type, raw_length, interlace=0):
    """A PNG whose image data is raw_length zero bytes (every row filter 0: a black picture)."""
    z = zlib.compressobj(9)
    parts = []
    block = bytes(1 << 20)
    left = raw_length
    while left > 0:
        n = min(left, len(block))
        parts.append(z.compress(block[:n]))
        left -= n
    parts.append(z.flush())
    data = b"".join(parts)
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace)
    out = [b"\x89PNG\r\n\x1a\n", chunk(b"IHDR", ihdr)]
    for i in range(0, len(data), 1 << 20):
        out.append(chunk(b"IDAT", data[i:i + (1 << 20)]))
    out.append(chunk(b"IEND", b""))
    return b"".join(out)


def png_row_bytes(width, bits_per_pixel):
    return 1 + (width * bits_per_pixel + 7) // 8


def adam7_raw(width, height, bits_per_pixel):
    total = 0
    for (x0, y0, dx, dy) in ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
                             (0, 1, 1, 2)):
        w = (width - x0 + dx - 1) // dx
        h = (height - y0 + dy - 1) // dy
        if w and h:
            total += h * png_row_bytes(w, bits_per_pixel)
    return total


RUNS_PAST_2G = (1 << 31) // 255 + 1  # runs of 255 pixels whose sum passes 2^31


def rle_runs(value):
    # 32x32, then a single row holding every run: the column counter passes 2^31.
    return bytes([255, value]) * RUNS_PAST_2G + b"\x00\x01"


def rle_deltas():
    # Deltas of 255 columns (and no rows) that carry the column past 2^31, then a run.
    return b"\x00\x02\xff\x00" * RUNS_PAST_2G + b"\x04\x07\x00\x01"


PICTURES = {
    # RLE counters past 2^31 (about 16.8 MB and 33.7 MB).
    "rle8_runs_past_2g.bmp": lambda: bmp(32, 32, 8, 1, rle_runs(7)),
    "rle4_runs_past_2g.bmp": lambda: bmp(32, 32, 4, 2, rle_runs(0x57)),
    "rle8_deltas_past_2g.bmp": lambda: bmp(32, 32, 8, 1, rle_deltas()),
    # RLE counters past the row and past the picture: a run of 255 on a row of 32, deltas below the last row.
    "rle8_past_row_and_picture.bmp": lambda: bmp(32, 32, 8, 1, b"\xff\x05" * 40 + b"\x00\x02\xff\xff" * 40 +
                                                 b"\x10\x09\x00\x01"),
    # Six bytes of RLE that declare 32768 x 8192.
    "rle8_bomb_32768x8192.bmp": lambda: bmp(32768, 8192, 8, 1, b"\x00\x00\x00\x00\x00\x01"),
    # PNG bombs: a few hundred KB that declare hundreds of millions of pixels.
    "png_bomb_16000x16000_grey.png": lambda: png(16000, 16000, 8, 0, 16000 * png_row_bytes(16000, 8)),
    "png_bomb_16000x5500_rgba16.png": lambda: png(16000, 5500, 16, 6, 5500 * png_row_bytes(16000, 64)),
    "png_bomb_8000x8000_interlaced_rgba.png": lambda: png(8000, 8000, 8, 6, adam7_raw(8000, 8000, 32), 1),
    "png_bomb_1x60000000_1bit.png": lambda: png(1, 60000000, 1, 0, 60000000 * png_row_bytes(1, 1)),
    # A PNG declaring 8000 x 8000 whose image data is 2 KB: it could never give the picture.
    "png_short_data_8000x8000.png": lambda: png(8000, 8000, 8, 6, 2048),
    # Extreme aspect ratios for the square padding (24-bit, 131 KB and 98 KB).
    "flat_1x32768.bmp": lambda: bmp(1, 32768, 24, 0, b"\x00\x00\xff\x00" * 32768, []),
    "flat_32768x1.bmp": lambda: bmp(32768, 1, 24, 0, b"\xff\x00\x00" * 32768, []),
}


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name in sys.argv[2:] or PICTURES:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(PICTURES[name]())


if __name__ == "__main__":
    main()
