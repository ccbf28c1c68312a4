#!/usr/bin/python3
# Makes Dunmorrow's program icon and the picture of its button (an eraser over a key).
# Run once from this folder; the results are committed.
from PIL import Image, ImageDraw


def picture(size):
    im = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    s = size / 48.0
    # A key: ring and shank.
    d.ellipse([4 * s, 4 * s, 22 * s, 22 * s], outline=(200, 160, 0, 255), width=max(1, int(4 * s)))
    d.line([18 * s, 18 * s, 40 * s, 40 * s], fill=(200, 160, 0, 255), width=max(1, int(4 * s)))
    d.line([32 * s, 32 * s, 38 * s, 26 * s], fill=(200, 160, 0, 255), width=max(1, int(3 * s)))
    # An eraser crossing it.
    d.polygon([(10 * s, 38 * s), (30 * s, 18 * s), (42 * s, 30 * s), (22 * s, 50 * s)], fill=(220, 60, 60, 255))
    d.polygon([(10 * s, 38 * s), (18 * s, 30 * s), (30 * s, 42 * s), (22 * s, 50 * s)], fill=(240, 240, 240, 255))
    return im


picture(256).save("Dunmorrow.ico", sizes=[(16, 16), (32, 32), (48, 48)])
glyph = Image.new("RGB", (48, 48), (192, 192, 192))
art = picture(48)
glyph.paste(art, (0, 0), art)
glyph.save("DunmorrowGlyph.bmp")
