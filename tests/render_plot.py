#!/usr/bin/env python3
"""Draws the built-in route with `scenario-compiler plot`, renders the SVG in
headless Chromium and checks that the picture has the SVG's size and is not
blank.

render_plot.py EXECUTABLE LINE_FILE TRAIN_FILE [--png OUT]
"""
import argparse
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib
from pathlib import Path


def read_png(data):
    """Width, height and rows of RGB(A) pixels of an 8-bit PNG."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(f"unexpected PNG form: depth {depth}, colour type {colour}")
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], bytearray(line[1:])
        for i in range(stride):
            left = row[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                row[i] = (row[i] + left) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + up) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                row[i] = (row[i] + pred) & 0xFF
        rows.append(bytes(row))
        previous = row
    return width, height, bpp, rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("executable")
    parser.add_argument("line_file")
    parser.add_argument("train_file")
    parser.add_argument("--png", help="keep the rendered picture here")
    args = parser.parse_args()

    chromium = shutil.which("chromium")
    if not chromium:
        sys.exit("chromium is not installed (scripts/install-deps.sh installs it)")
    with tempfile.TemporaryDirectory() as work:
        work = Path(work)
        svg = work / "route.svg"
        subprocess.run([args.executable, "plot", args.line_file, args.train_file,
                        "--line-name", "Vardeo_Lustrella", "--train-number", "K7306",
                        "-o", str(svg)], check=True)
        root = re.search(r'<svg [^>]*width="([\d.]+)" height="([\d.]+)"', svg.read_text())
        width, height = (round(float(v)) for v in root.groups())
        png = Path(args.png) if args.png else work / "route.png"
        subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                        "--no-first-run", "--disable-background-networking",
                        "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                        f"--user-data-dir={work / 'profile'}", f"--screenshot={png}",
                        f"--window-size={width},{height}", svg.as_uri()],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120)
        got_width, got_height, bpp, rows = read_png(png.read_bytes())

    if (got_width, got_height) != (width, height):
        sys.exit(f"picture is {got_width}x{got_height}, the SVG {width}x{height}")
    colours, inked = set(), 0
    for row in rows:
        for x in range(0, len(row), bpp):
            pixel = row[x:x + 3]
            colours.add(pixel)
            inked += min(pixel) < 200
    share = inked / (width * height)
    print(f"{width}x{height}, {len(colours)} colours, {share:.1%} of the pixels inked")
    # A drawn route has lines and text in many shades on a light page.
    if len(colours) < 50 or not 0.01 <= share <= 0.5:
        sys.exit("the picture looks blank or wrongly drawn")


if __name__ == "__main__":
    main()
