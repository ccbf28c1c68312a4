#!/usr/bin/env bash
# Benchmark (not a test) of the colour reduction of imported pictures beside Pillow's
# quantize and ImageMagick's -colors: a 1024x1024 true-colour picture (ImageMagick plasma),
# resized to 32x32 as the import does, then reduced to 256 and 16 colours by each; also the
# two others on the full picture. Prints time and mean squared error per channel.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${TAMSOLO_JOBS:-$(nproc)}
if [ ! -f build/bench/build.ninja ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAMSOLO_SANITIZE=none >/dev/null
fi
ninja -C build/bench -j "$jobs" reduce_bench >/dev/null
dir=$(mktemp -d)
trap 'rm -r "$dir"' EXIT
convert -seed 11 -size 1024x1024 plasma:fractal -type TrueColor BMP3:"$dir/picture.bmp"
build/bench/editor/reduce_bench "$dir/picture.bmp" "$dir"
/usr/bin/python3 - "$dir" <<'PY'
import subprocess, sys, time
from PIL import Image, ImageChops, ImageStat

d = sys.argv[1]

def mse(a, b):
    diff = ImageChops.difference(a.convert("RGB"), b.convert("RGB"))
    return sum(v * v * n for band in diff.split() for v, n in enumerate(band.histogram())) / (3 * a.size[0] * a.size[1])

def best(runs, f):
    t = 1e9
    for _ in range(runs):
        t0 = time.perf_counter(); r = f(); t = min(t, time.perf_counter() - t0)
    return t, r

for name, runs in (("input32", 20), ("picture", 3)):
    src = Image.open(f"{d}/{name}.bmp").convert("RGB")
    src.load()
    t, _ = best(runs, lambda: subprocess.run(["convert", f"{d}/{name}.bmp", "BMP3:" + f"{d}/copy.bmp"], check=True))
    print(f"ImageMagick plain copy (process start, read, write) on {src.size[0]}x{src.size[1]}: {t:.6f} s")
    for n in (256, 16):
        t, q = best(runs, lambda: src.quantize(colors=n))
        print(f"Pillow quantize {n:3d} on {src.size[0]}x{src.size[1]}: {t:.6f} s  mse {mse(src, q):.2f}")
        out = f"{d}/im{n}_{name}.bmp"
        t, _ = best(runs, lambda: subprocess.run(["convert", f"{d}/{name}.bmp", "-colors", str(n), "-type", "TrueColor", "BMP3:" + out], check=True))
        print(f"ImageMagick -colors {n:3d} on {src.size[0]}x{src.size[1]}: {t:.6f} s (process)  mse {mse(src, Image.open(out)):.2f}")
for n in (256, 16):
    src = Image.open(f"{d}/input32.bmp")
    print(f"check: ours {n} re-read by Pillow: mse {mse(src, Image.open(f'{d}/ours{n}.bmp')):.2f}, colours {len(set(Image.open(f'{d}/ours{n}.bmp').convert('RGB').getdata()))}")
PY
