#!/bin/sh
# Makes the bitmap fixtures of the import tests with independent tools (ImageMagick, Pillow).
# Run once from this folder; the results are committed.
set -e
convert -seed 7 -size 32x32 plasma:fractal -colors 200 -type Palette -compress None BMP3:im_bmp3_8bit.bmp
convert -size 32x32 xc:red -fill blue -draw "rectangle 8,8 23,23" -colors 4 -type Palette -compress RLE BMP3:im_rle8.bmp
convert -size 32x32 xc:yellow -fill navy -draw "circle 16,16 16,4" -colors 16 -type Palette bmp:im_v5_palette.bmp
convert -size 64x64 gradient:red-blue -type TrueColor BMP3:im_64_truecolour.bmp
/usr/bin/python3 - <<'PY'
from PIL import Image
im = Image.new("1", (32, 32), 1)
for y in range(32):
    for x in range(32):
        if (x // 4 + y // 4) % 2: im.putpixel((x, y), 0)
im.save("pil_1bit.bmp")
PY
printf 'BM not really an icon, only a bitmap header and junk' > bitmap_named.ico
tmp=$(mktemp -d)
/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
im = Image.new("RGBA", (48, 48), (0, 0, 0, 0))
for y in range(8, 48):
    for x in range(8, 48):
        im.putpixel((x, y), ((x * 5) % 256, (y * 5) % 256, 77, 255))
im.save(sys.argv[1] + "/p48.png")
PY
icotool -c -b 8 -o icotool_48.ico "$tmp/p48.png"
# A 48x48 gradient disc with a soft rim as a 32-bit icon with alpha (icotool); and both icons'
# pictures laid by Pillow on the teal background the import tests choose, as PNG.
/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
disc = Image.new("RGBA", (48, 48), (0, 0, 0, 0))
for y in range(48):
    for x in range(48):
        d = ((x - 23.5) ** 2 + (y - 23.5) ** 2) ** 0.5
        a = max(0.0, min(1.0, 22.0 - d))
        if a > 0: disc.putpixel((x, y), (255 - x * 5, 40 + y * 4, (x * y) % 256, round(a * 255)))
disc.save(sys.argv[1] + "/disc48.png")
teal = Image.new("RGBA", (48, 48), (0, 128, 128, 255))
Image.alpha_composite(teal, disc).convert("RGB").save("icotool_disc48_teal.png")
Image.alpha_composite(teal, Image.open(sys.argv[1] + "/p48.png")).convert("RGB").save("icotool_48_teal.png")
PY
icotool -c -o icotool_disc48.ico "$tmp/disc48.png"
rm -r "$tmp"
# Pictures for the colour reduction of imported pictures: a photo-like 640x480 gradient
# (ImageMagick), a 32x32 24-bit PNG with 1024 colours and a 32x32 32-bit PNG with 200
# colours (Pillow), each Pillow picture with its raw RGB pixels beside it (.rgb, rows top down).
convert -size 640x480 gradient:'#1030c0'-'#ffd040' \( -size 640x480 radial-gradient:white-'#802010' \) \
  -compose multiply -composite -type TrueColor PNG24:im_640x480_gradient.png
/usr/bin/python3 - <<'PY'
from PIL import Image
rgb = Image.new("RGB", (32, 32))
for p in range(1024):
    x, y = p % 32, p // 32
    rgb.putpixel((x, y), ((x * 8 + y) % 256, (y * 8 + x // 4) % 256, (x * y) % 256))
rgb.save("pil_rgb24_32.png")
open("pil_rgb24_32.rgb", "wb").write(rgb.tobytes())
rgba = Image.new("RGBA", (32, 32))
for p in range(1024):
    x, y = p % 32, p // 32
    k = (x // 4) * 25 + (y // 4) * 3 % 25
    rgba.putpixel((x, y), ((k * 37) % 256, (k * 91) % 256, (k * 53) % 256, 255))
rgba.save("pil_rgba32_32.png")
open("pil_rgba32_32.rgb", "wb").write(rgba.convert("RGB").tobytes())
PY
