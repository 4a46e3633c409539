#!/usr/bin/env python3
"""Exports res/toolbar_images.svg as the 24-bit toolbar strips, one per picture size:
toolbar_images.bmp (24 px), toolbar_images_36.bmp and toolbar_images_48.bmp.

Usage: scripts/export_toolbar_images.py [SIZE...]   (default: 24 36 48)

A maintainer's tool, run after redrawing; commit what it writes. The build only uses the
committed strips. Needs rsvg-convert (Debian: librsvg2-bin) and ImageMagick's convert.

The drawing is rendered at the size without its magenta ground, and each pixel is then either
the drawing's own colour (where the drawing covers at least half of it) or pure magenta: the
control takes magenta as transparent, so no pixel may be blended part-way towards it.
"""
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
SVG_NS = "http://www.w3.org/2000/svg"
MAGENTA = (255, 0, 255)
IMAGES = 6


def drawing_without_ground(svg_path):
    ET.register_namespace("", SVG_NS)
    tree = ET.parse(svg_path)
    root = tree.getroot()
    ground = [e for e in root if e.get("id") == "ground"]
    if len(ground) != 1:
        sys.exit("the SVG must hold exactly one element with id=\"ground\" (the magenta background)")
    root.remove(ground[0])
    out = tempfile.NamedTemporaryFile(suffix=".svg", delete=False)
    tree.write(out)
    out.close()
    return out.name


def rgba_pixels(svg, size):
    png = svg + f".{size}.png"
    subprocess.run(["rsvg-convert", "-w", str(size * IMAGES), "-h", str(size), "-o", png, svg], check=True)
    raw = subprocess.run(["convert", png, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    os.unlink(png)
    if len(raw) != size * IMAGES * size * 4:
        sys.exit(f"unexpected render size at {size} px")
    return raw


def strip_pixels(raw):
    pixels = []
    for i in range(0, len(raw), 4):
        r, g, b, a = raw[i:i + 4]
        colour = (r, g, b) if a >= 128 else MAGENTA
        if a >= 128 and colour == MAGENTA:
            sys.exit("the drawing itself uses magenta, which the toolbar shows as transparent")
        pixels.append(colour)
    return pixels


def write_bmp(path, width, height, pixels):
    row_bytes = (width * 3 + 3) & ~3
    image = bytearray()
    for y in range(height - 1, -1, -1):   # bottom-up rows, blue-green-red
        row = bytearray()
        for r, g, b in pixels[y * width:(y + 1) * width]:
            row += bytes((b, g, r))
        image += row + bytes(row_bytes - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


def main():
    sizes = [int(s) for s in sys.argv[1:]] or [24, 36, 48]
    svg = drawing_without_ground(os.path.join(RES, "toolbar_images.svg"))
    try:
        for size in sizes:
            name = "toolbar_images.bmp" if size == 24 else f"toolbar_images_{size}.bmp"
            write_bmp(os.path.join(RES, name), size * IMAGES, size, strip_pixels(rgba_pixels(svg, size)))
            print(f"wrote res/{name}")
    finally:
        os.unlink(svg)


if __name__ == "__main__":
    main()
