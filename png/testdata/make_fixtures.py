"""Makes the reader's fixtures with independent encoders, once; the outputs are committed.

Encoders: pypng (python3-png) for every colour type, depth, Adam7 and tRNS kind, and
ImageMagick (/usr/bin/convert) for a few more. References: NAME.rgba holds the pixels
as Pillow decodes NAME.png, as RGBA bytes, top row first (16-bit samples by their high
byte; transparency applied as alpha). Run with /usr/bin/python3 from this folder.
"""
import io
import os
import struct
import subprocess
import zlib

import png  # pypng
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 13, 11


def sample(x, y, depth, salt=0):
    return (x * 37 + y * 91 + x * y * 13 + salt * 53) % (1 << depth)


def wide(v8):
    """A 16-bit sample whose high byte alone decides it, with a low byte unlike it."""
    return (v8 << 8) | ((v8 * 7 + 3) & 0xFF)


def grey_rows(w, h, depth, alpha=False):
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            if depth == 16:
                row.append(wide(sample(x, y, 8)))
            else:
                row.append(sample(x, y, depth))
            if alpha:
                a = sample(x, y, 8, 3)
                row.append(wide(a) if depth == 16 else a)
        rows.append(row)
    return rows


def rgb_rows(w, h, depth, alpha=False):
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            for c in range(4 if alpha else 3):
                v = sample(x, y, 8, c + 1)
                row.append(wide(v) if depth == 16 else v)
        rows.append(row)
    return rows


def palette(n, alpha=None):
    pal = [((i * 37 + 1) % 256, (250 - i * 11) % 256, (i * 5 + 3) % 256) for i in range(n)]
    if alpha:
        pal = [p + (alpha[i] if i < len(alpha) else 255,) for i, p in enumerate(pal)]
        # pypng needs the entries with alpha first
    return pal


def palette_rows(w, h, depth, count):
    return [[sample(x, y, 8) % count for x in range(w)] for y in range(h)]


def write(name, rows, **kw):
    path = os.path.join(HERE, name + ".png")
    with open(path, "wb") as f:
        png.Writer(**kw).write(f, rows)
    return path


def chunks(data):
    pos, out = 8, []
    while pos < len(data):
        n = struct.unpack(">I", data[pos:pos + 4])[0]
        out.append((data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]))
        pos += 12 + n
    return out


def assemble(parts):
    out = b"\x89PNG\r\n\x1a\n"
    for t, d in parts:
        out += struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    return out


def rechunk(src, dst, piece, empty_between=False):
    """The same file with its image data in IDAT chunks of piece bytes (and empty ones between)."""
    data = open(os.path.join(HERE, src + ".png"), "rb").read()
    parts, z = [], b""
    for t, d in chunks(data):
        if t == b"IDAT":
            z += d
            continue
        if t == b"IEND":
            for i in range(0, len(z), piece):
                parts.append((b"IDAT", z[i:i + piece]))
                if empty_between:
                    parts.append((b"IDAT", b""))
        parts.append((t, d))
    open(os.path.join(HERE, dst + ".png"), "wb").write(assemble(parts))


def insert_chunk(src, dst, ctype, cdata):
    """The file with one more chunk before its first IDAT."""
    data = open(os.path.join(HERE, src + ".png"), "rb").read()
    parts = []
    for t, d in chunks(data):
        if t == b"IDAT" and (ctype, cdata) not in parts:
            parts.append((ctype, cdata))
        parts.append((t, d))
    open(os.path.join(HERE, dst + ".png"), "wb").write(assemble(parts))


def reference(name):
    im = Image.open(os.path.join(HERE, name + ".png"))
    im.load()
    w, h = im.size
    t = im.info.get("transparency")
    if im.mode in ("I;16", "I;16B", "I"):
        vals = list(im.getdata())
        out = bytearray()
        for v in vals:
            g = v >> 8
            out += bytes((g, g, g, 0 if t is not None and v == t else 255))
    elif im.mode == "RGB" and isinstance(t, tuple) and max(t) > 255:
        # Pillow keeps a 16-bit tRNS colour but compares it with the reduced samples; the
        # fixture's high bytes decide its samples, so compare those.
        t8 = tuple(v >> 8 for v in t)
        out = bytearray()
        for px in im.getdata():
            out += bytes(px) + bytes((0 if px == t8 else 255,))
    else:
        out = bytearray(im.convert("RGBA").tobytes())
    assert len(out) == w * h * 4
    open(os.path.join(HERE, name + ".rgba"), "wb").write(bytes(out))


def check_high_byte(name, channels):
    """Confirms that Pillow reduced the 16-bit samples to their high bytes, as the reference says."""
    r = png.Reader(filename=os.path.join(HERE, name + ".png")).asDirect()
    rows = [list(row) for row in r[2]]
    im = Image.open(os.path.join(HERE, name + ".png"))
    if channels == 1:
        got = [(v >> 8,) for v in im.getdata()]  # Pillow keeps 16-bit grey whole; the reference takes the high byte
    else:
        got = list(im.convert("RGBA" if channels >= 3 else "LA").getdata())
    for y, row in enumerate(rows):
        for x in range(r[0]):
            px = row[x * channels:(x + 1) * channels]
            want = tuple(v >> 8 for v in px)
            have = got[y * r[0] + x]
            assert have[:len(want)] == want, (name, x, y, want, have)


def main():
    made = []
    for depth in (1, 2, 4, 8, 16):
        for a7 in (False, True):
            n = "g%d%s" % (depth, "_a7" if a7 else "")
            write(n, grey_rows(W, H, depth), width=W, height=H, greyscale=True, bitdepth=depth, interlace=a7)
            made.append(n)
    for depth in (8, 16):
        for a7 in (False, True):
            n = "ga%d%s" % (depth, "_a7" if a7 else "")
            write(n, grey_rows(W, H, depth, True), width=W, height=H, greyscale=True, alpha=True, bitdepth=depth,
                  interlace=a7)
            made.append(n)
            n = "rgb%d%s" % (depth, "_a7" if a7 else "")
            write(n, rgb_rows(W, H, depth), width=W, height=H, greyscale=False, bitdepth=depth, interlace=a7)
            made.append(n)
            n = "rgba%d%s" % (depth, "_a7" if a7 else "")
            write(n, rgb_rows(W, H, depth, True), width=W, height=H, greyscale=False, alpha=True, bitdepth=depth, interlace=a7)
            made.append(n)
    for depth in (1, 2, 4, 8):
        count = min(1 << depth, 200)
        for a7 in (False, True):
            n = "p%d%s" % (depth, "_a7" if a7 else "")
            write(n, palette_rows(W, H, depth, count), width=W, height=H, palette=palette(count), bitdepth=depth,
                  interlace=a7)
            made.append(n)
    # Adam7 with passes left out: tiny and narrow pictures.
    for w, h in ((1, 1), (2, 2), (3, 5), (5, 3), (9, 1), (1, 9)):
        n = "rgb8_a7_%dx%d" % (w, h)
        write(n, rgb_rows(w, h, 8), width=w, height=h, greyscale=False, bitdepth=8, interlace=True)
        made.append(n)
        n = "p2_a7_%dx%d" % (w, h)
        write(n, palette_rows(w, h, 2, 4), width=w, height=h, palette=palette(4), bitdepth=2, interlace=True)
        made.append(n)
    # tRNS of every kind.
    for depth in (1, 2, 4, 8, 16):
        rows = grey_rows(W, H, depth)
        n = "g%d_trns" % depth
        write(n, rows, width=W, height=H, greyscale=True, bitdepth=depth, transparent=rows[0][0])
        made.append(n)
    for depth in (8, 16):
        rows = rgb_rows(W, H, depth)
        n = "rgb%d_trns" % depth
        write(n, rows, width=W, height=H, greyscale=False, bitdepth=depth, transparent=tuple(rows[0][0:3]))
        made.append(n)
    # Palette transparency: one fully transparent entry; several levels; a short table.
    rows = palette_rows(W, H, 8, 16)
    single = [255] * 16
    single[rows[0][0]] = 0
    write("p8_trns_single", rows, width=W, height=H, palette=palette(16, single), bitdepth=8)
    write("p8_trns_levels", rows, width=W, height=H,
          palette=palette(16, [(i * 17) % 256 for i in range(16)]), bitdepth=8)
    write("p4_trns_short", palette_rows(W, H, 4, 16), width=W, height=H, palette=palette(16, [0, 128, 255, 7]),
          bitdepth=4)
    made += ["p8_trns_single", "p8_trns_levels", "p4_trns_short"]
    # Image data in 1-byte chunks, and with empty IDAT chunks between data chunks.
    rechunk("rgb8", "rgb8_idat1", 1)
    rechunk("p4_a7", "p4_a7_idat1", 1)
    rechunk("rgba16", "rgba16_idat_empty", 50, empty_between=True)
    made += ["rgb8_idat1", "p4_a7_idat1", "rgba16_idat_empty"]
    # ImageMagick as a second encoder.
    convert = "/usr/bin/convert"
    for n, args in (("im_rgb8_a7", ["-size", "%dx%d" % (W, H), "gradient:red-blue", "-interlace", "PNG", "PNG24:"]),
                    ("im_rgba16", ["-size", "%dx%d" % (W, H), "gradient:rgba(255,0,0,1)-rgba(0,80,255,0.3)",
                                   "-depth", "16", "PNG64:"]),
                    ("im_p8_a7", ["-size", "%dx%d" % (W, H), "plasma:fractal", "-seed", "3", "-colors", "40",
                                  "-interlace", "PNG", "PNG8:"]),
                    ("im_ga16_a7", ["-size", "%dx%d" % (W, H), "gradient:rgba(255,255,255,1)-rgba(20,20,20,0.4)",
                                    "-colorspace", "gray", "-depth", "16", "-interlace", "PNG",
                                    "-define", "png:color-type=4", "PNG:"]),
                    ("im_g4_a7", ["-size", "%dx%d" % (W, H), "plasma:fractal", "-seed", "5", "-colorspace", "gray",
                                  "-depth", "4", "-interlace", "PNG", "-define", "png:color-type=0",
                                  "-define", "png:bit-depth=4", "PNG:"]),
                    ("im_rgba8_a7", ["-size", "%dx%d" % (W, H), "plasma:fractal", "-seed", "7", "-alpha", "set",
                                     "-channel", "A", "-evaluate", "set", "60%", "+channel", "-interlace", "PNG",
                                     "PNG32:"]),
                    ("im_rgb16_paeth", ["-size", "%dx%d" % (W, H), "plasma:fractal", "-seed", "9", "-depth", "16",
                                        "-define", "png:compression-filter=4", "PNG48:"])):
        target = args[-1] + os.path.join(HERE, n + ".png")
        subprocess.run([convert] + args[:-1] + ["-strip", target], check=True)
        made.append(n)
    # sBIT 5-6-5 on an 8-bit RGB file (for the restore option).
    insert_chunk("rgb8", "rgb8_sbit565", b"sBIT", bytes((5, 6, 5)))
    made.append("rgb8_sbit565")
    for n in made:
        reference(n)
    for n, ch in (("g16", 1), ("ga16", 2), ("rgb16", 3), ("rgba16", 4)):
        check_high_byte(n, ch)
    open(os.path.join(HERE, "fixtures.txt"), "w").write("\n".join(made) + "\n")
    print(len(made), "fixtures")


if __name__ == "__main__":
    main()
