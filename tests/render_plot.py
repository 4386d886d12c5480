#!/usr/bin/env python3
"""Draws the built-in route with `scenario-compiler plot`, renders the SVG in
headless Chromium and checks that the picture has the SVG's size, is not
blank, and that no two of its texts cover each other as the browser sets
them. With --generate-route, a crowded 40 km route from `generate_route
--labelled` is drawn and checked the same way.

render_plot.py EXECUTABLE LINE_FILE TRAIN_FILE [--png OUT] [--generate-route GENERATOR]
"""
import argparse
import html
import json
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


# Lists the box of every text of the inline picture, as the browser sets it,
# in a <pre> that --dump-dom prints.
MEASURE = """<!DOCTYPE html><html><body style="margin:0">%s
<script>
const boxes = [];
for (const t of document.querySelectorAll("svg text")) {
  const b = t.getBBox();
  boxes.push([t.textContent, b.x, b.y, b.width, b.height]);
}
const out = document.createElement("pre");
out.id = "boxes";
out.textContent = JSON.stringify(boxes);
document.body.appendChild(out);
</script></body></html>"""


def chromium_command(chromium, work):
    return [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--hide-scrollbars", f"--user-data-dir={work / 'profile'}"]


def text_boxes(chromium, work, svg_text):
    page = work / "measure.html"
    page.write_text(MEASURE % svg_text[svg_text.index("<svg"):], encoding="utf-8")
    dom = subprocess.run(chromium_command(chromium, work) + ["--dump-dom", page.as_uri()],
                         check=True, capture_output=True, text=True, timeout=120).stdout
    found = re.search(r'<pre id="boxes">(.*?)</pre>', dom, re.S)
    if not found:
        sys.exit("the browser did not measure the picture's texts")
    return json.loads(html.unescape(found.group(1)))


def covering_texts(boxes):
    """Pairs of texts whose boxes share more than a hairline."""
    pairs = []
    for i, (text_a, ax, ay, aw, ah) in enumerate(boxes):
        for text_b, bx, by, bw, bh in boxes[i + 1:]:
            across = min(ax + aw, bx + bw) - max(ax, bx)
            down = min(ay + ah, by + bh) - max(ay, by)
            if across > 0.5 and down > 0.5:
                pairs.append((text_a, text_b))
    return pairs


def check_picture(executable, chromium, work, line_file, train_file, png):
    svg = work / "route.svg"
    subprocess.run([executable, "plot", line_file, train_file,
                    "--line-name", "Vardeo_Lustrella", "--train-number", "K7306",
                    "-o", str(svg)], check=True)
    svg_text = svg.read_text(encoding="utf-8")
    root = re.search(r'<svg [^>]*width="([\d.]+)" height="([\d.]+)"', svg_text)
    width, height = (round(float(v)) for v in root.groups())
    subprocess.run(chromium_command(chromium, work) +
                   [f"--screenshot={png}", f"--window-size={width},{height}", svg.as_uri()],
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
    boxes = text_boxes(chromium, work, svg_text)
    covering = covering_texts(boxes)
    print(f"{line_file}: {width}x{height}, {len(colours)} colours, {share:.1%} of the pixels "
          f"inked, {len(boxes)} texts, {len(covering)} covering another")
    # A drawn route has lines and text in many shades on a light page.
    if len(colours) < 50 or not 0.01 <= share <= 0.5:
        sys.exit("the picture looks blank or wrongly drawn")
    for a, b in covering[:10]:
        print(f"  \"{a}\" covers \"{b}\"")
    if covering:
        sys.exit("texts of the picture cover each other")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("executable")
    parser.add_argument("line_file")
    parser.add_argument("train_file")
    parser.add_argument("--png", help="keep the rendered picture here")
    parser.add_argument("--generate-route", help="generate_route, to draw a crowded route too")
    args = parser.parse_args()

    chromium = shutil.which("chromium")
    if not chromium:
        sys.exit("chromium is not installed (scripts/install-deps.sh installs it)")
    with tempfile.TemporaryDirectory() as work:
        work = Path(work)
        png = Path(args.png) if args.png else work / "route.png"
        check_picture(args.executable, chromium, work, args.line_file, args.train_file, png)
        if args.generate_route:
            line, train = work / "Crowded_linea.txt", work / "Crowded_T1-.txt"
            subprocess.run([args.generate_route, "--labelled", "40000", str(line), str(train)],
                           check=True)
            check_picture(args.executable, chromium, work, str(line), str(train),
                          work / "crowded.png")


if __name__ == "__main__":
    main()
