#!/usr/bin/env bash
# Benchmark of the GIF codec beside Pillow, giflib and ImageMagick on the same pixels.
# Builds gif_bench without sanitizers in a folder of its own (or the one given), then times the
# other tools on the files it leaves there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$(mktemp -d)}
mkdir -p "$out"
g++ -O2 -std=c++20 -I"$here/.." -o "$out/gif_bench" "$here/GIFBenchmark.cpp" \
  "$here"/GIF{Util,Item,ColorMap,Header,SubImage,Extensions,ImageList,Image,Decoder,Writer,Encoder}.cpp \
  "$here"/GIF{DIB,Dither,ColorReduction,Octree,SubImageConvert,ImageConvert,ColorMapOptimizer}.cpp \
  "$here"/../base/{Text,Stream,Palette,Format,Bitmap,TextSjis_iconv}.cpp
"$out/gif_bench" "$out"
best() { local best=999; for _ in 1 2 3; do local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s.%N);
  best=$(echo "$e - $s" | bc | awk -v b="$best" '{print ($1 < b) ? $1 : b}'); done; printf '%.3f' "$best"; }
# giftool decodes and encodes again; giftext -r only decodes (both include process start).
tool=$(best sh -c "giftool < '$out/lzw.gif' > '$out/lzw_giftool.gif'")
text=$(best sh -c "giftext -r '$out/lzw.gif' > /dev/null")
echo "lzw: giflib giftool (decode + encode) $tool s, giftext -r (decode) $text s; giftool wrote $(stat -c %s "$out/lzw_giftool.gif") bytes"
im=$(best /usr/bin/convert "$out/truecolor.ppm" -colors 256 "$out/reduced_im.png")
/usr/bin/python3 - "$out" "$im" <<'PY'
import sys, time, io
from PIL import Image, ImageChops, ImageStat, features
d, im_time = sys.argv[1], float(sys.argv[2])
def best(f, n=3):
    t = []
    for _ in range(n):
        s = time.perf_counter(); r = f(); t.append(time.perf_counter() - s)
    return min(t), r
frame = Image.open(d + "/lzw.gif"); frame.load()
t, _ = best(lambda: frame.save(io.BytesIO(), "GIF", optimize=False), 5)
print(f"lzw: Pillow encode {t:.3f} s (in process, best of 5)")
src = Image.open(d + "/truecolor.ppm").convert("RGB"); src.load()
def mse(img):
    s = ImageStat.Stat(ImageChops.difference(src, img.convert("RGB"))).sum2
    return sum(s) / (3 * src.width * src.height)
# quantize() alone maps to the nearest colour; Floyd-Steinberg needs a second pass over its palette.
methods = [("median cut", Image.Quantize.MEDIANCUT), ("fast octree", Image.Quantize.FASTOCTREE)]
if features.check("libimagequant"):
    methods.append(("libimagequant", Image.Quantize.LIBIMAGEQUANT))
for name, method in methods:
    t, q = best(lambda: src.quantize(256, method=method))
    print(f"reduce: Pillow {name:32} {t:.3f} s, MSE {mse(q):.2f}")
    t2, fs = best(lambda: src.quantize(palette=q, dither=Image.Dither.FLOYDSTEINBERG))
    print(f"reduce: Pillow {name + ' + Floyd-Steinberg':32} {t + t2:.3f} s, MSE {mse(fs):.2f}")
print(f"reduce: ImageMagick -colors 256 {im_time:.3f} s (process, PPM read and PNG write included), "
      f"MSE {mse(Image.open(d + '/reduced_im.png')):.2f}")
PY
