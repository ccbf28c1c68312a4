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
rm -r "$tmp"
