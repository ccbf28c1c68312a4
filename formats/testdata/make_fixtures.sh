#!/bin/sh
# Makes the icon and cursor fixtures with independent tools (Pillow, icotool).
# Run once from this folder; the results are committed.
set -e
tmp=$(mktemp -d)
/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
out = sys.argv[1]
def picture(size, colours):
    im = Image.new("RGBA", (size, size))
    for y in range(size):
        for x in range(size):
            if x < 8 and y < 8:
                im.putpixel((x, y), (0, 0, 0, 0))          # transparent corner
            else:
                k = (x // 4 + y // 4) % colours
                im.putpixel((x, y), ((k * 53) % 256, (k * 97) % 256, (k * 151) % 256, 255))
    return im
def mono(size):
    im = Image.new("RGBA", (size, size))
    for y in range(size):
        for x in range(size):
            im.putpixel((x, y), (0, 0, 0, 0) if x < 8 and y < 8 else
                        ((255, 255, 255, 255) if (x + y) % 2 else (0, 0, 0, 255)))
    return im
mono(32).save(f"{out}/mono32.png")
picture(32, 16).save(f"{out}/p16_32.png")
picture(16, 16).save(f"{out}/p16_16.png")
picture(32, 200).save(f"{out}/p256_32.png")
alpha = picture(32, 200)
alpha.putpixel((20, 20), (200, 100, 50, 128))
alpha.save(f"{out}/rgba32.png")
picture(48, 200).save(f"{out}/rgba48.png")
picture(32, 200).save("pillow_png.ico", sizes=[(32, 32), (48, 48)])
def soft(size):
    # Alpha falls off from the centre; colours follow the position.
    im = Image.new("RGBA", (size, size))
    c = (size - 1) / 2
    for y in range(size):
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5 / c
            im.putpixel((x, y), (x * 255 // size, y * 255 // size, 160, max(0, min(255, int(255 * (1.2 - d))))))
    return im
for size in (16, 48, 128):
    soft(size).save(f"{out}/soft{size}.png")
PY
icotool -c -b 1 --cursor -X 5 -Y 7 -o icotool_1bit.cur "$tmp/mono32.png"
icotool -c -b 4 -o icotool_4bit.ico "$tmp/p16_32.png"
icotool -c -b 8 --cursor -X 31 -Y 2 -o icotool_8bit.cur "$tmp/p256_32.png"
icotool -c -b 32 -o icotool_32bit.ico "$tmp/rgba32.png"
icotool -c -o icotool_multi.ico -b 4 "$tmp/p16_16.png" -b 8 "$tmp/p256_32.png" -b 32 "$tmp/rgba48.png"
icotool -c -o icotool_raw.ico -r "$tmp/rgba32.png"
icotool -c -o icotool_three.ico -b 32 "$tmp/soft16.png" -b 32 "$tmp/soft128.png" -b 32 "$tmp/soft48.png"
rm -r "$tmp"
