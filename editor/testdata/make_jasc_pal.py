#!/usr/bin/env python3
"""Writes jasc16_lf.pal: a 16-colour JASC-PAL file with LF line ends, made from the
public format (header, version, count, one "R G B" line per colour), for the palette
file tests. Colour i is (16 i, 255 - 16 i, 7 i)."""
import pathlib

lines = ["JASC-PAL", "0100", "16"] + [f"{16 * i} {255 - 16 * i} {7 * i}" for i in range(16)]
pathlib.Path(__file__).with_name("jasc16_lf.pal").write_text("\n".join(lines) + "\n", newline="\n")
