#!/usr/bin/env bash
# Benchmark of the PNG codec beside libpng (through ImageMagick) and Pillow on the same picture.
# Builds png_bench without sanitizers, then times each tool on the files it leaves.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$(mktemp -d)}
mkdir -p "$out"
g++ -O2 -std=c++20 -I"$here/.." -o "$out/png_bench" "$here/png_bench.cpp" \
  "$here"/{PngTime,BitmapPalette,BufferedStream,ZlibAdapter,PngWriter,PngReader,PngReaderRows,PngPicture}.cpp \
  "$here"/../base/{Text,Stream,Palette,Format,Bitmap,TextSjis_iconv}.cpp -lz
"$out/png_bench" "$out"
best() { local best=999; for _ in 1 2 3; do local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N);
  best=$(echo "$e - $s" | bc | awk -v b="$best" '{print ($1 < b) ? $1 : b}'); done; echo "$best"; }
# -quality 60: zlib level 6 and no row filter, as the codec writes by default.
echo "libpng (ImageMagick): write $(best /usr/bin/convert "$out/bench.ppm" -quality 60 "$out/bench_im.png") s," \
     "read $(best /usr/bin/convert "$out/bench_ours.png" null:) s (process start and PPM read included)"
py=/usr/bin/python3
echo "Pillow: $($py - "$out" <<'PY'
import sys, time
from PIL import Image
d = sys.argv[1]
src = Image.open(d + "/bench.ppm"); src.load()
def best(f):
    t = []
    for _ in range(3):
        s = time.perf_counter(); f(); t.append(time.perf_counter() - s)
    return min(t)
w = best(lambda: src.save(d + "/bench_pil.png", compress_level=6))
r = best(lambda: Image.open(d + "/bench_ours.png").load())
print(f"write {w:.3f} s, read {r:.3f} s")
PY
)"
ls -l "$out"/bench_*.png | awk '{print $5, $9}'
