"""Decodes PNG files with Pillow and compares them with the pixels a test expects.

Usage: pil_check.py FILE.png EXPECT.json [FILE.png EXPECT.json ...]
EXPECT.json: {"mode": "P"|"L"|"LA"|"RGBA", "size": [w, h], "pixels": [...],
              "palette": [r, g, b, ...] (mode P), "transparency": index or [r, g, b] (optional)}
Exit status 0 when every file matches; the first difference is printed otherwise.
"""
import json
import sys

from PIL import Image


def check(png, expect_path):
    exp = json.load(open(expect_path))
    im = Image.open(png)
    im.load()
    if list(im.size) != exp["size"]:
        return f"size {im.size} != {exp['size']}"
    mode = exp["mode"]
    if mode == "P":
        if im.mode != "P":
            return f"mode {im.mode} is not P"
        pal = exp["palette"]
        got = im.getpalette()[: len(pal)]
        if got != pal:
            return f"palette {got[:12]}... != {pal[:12]}..."
        got_pixels = list(im.getdata())
    else:
        got_pixels = [v for px in im.convert(mode).getdata() for v in (px if isinstance(px, tuple) else (px,))]
    if got_pixels != exp["pixels"]:
        first = next(i for i, (a, b) in enumerate(zip(got_pixels, exp["pixels"])) if a != b) \
            if len(got_pixels) == len(exp["pixels"]) else -1
        return f"pixels differ (mode {im.mode}, first at value {first})"
    if "transparency" in exp:
        t = im.info.get("transparency")
        want = exp["transparency"]
        if isinstance(want, list):
            want = tuple(want)
        if t != want:
            return f"transparency {t!r} != {want!r}"
    return None


def main(args):
    bad = 0
    for png, expect in zip(args[0::2], args[1::2]):
        err = check(png, expect)
        if err:
            print(f"{png}: {err}")
            bad += 1
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
