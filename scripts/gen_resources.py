#!/usr/bin/env python3
"""Synthesise every binary resource Vorsel needs.

Usage:  python3 scripts/gen_resources.py OUTDIR

Writes into OUTDIR (created if missing):

  Vorsel.ico         application icon: a blue eighth note in front of a grey
                     loudspeaker, 48/32/16 px, each as 8-bit (256-colour
                     palette + AND mask) and as 32-bit BGRA with alpha.  All
                     images are BMP-in-ICO (no PNG) so old loaders read them.
  toolbar_cold.bmp   24-bit BMP strip, 144x24: six 24x24 toolbar images
                     (save, record, stop, play, pause, help).
  toolbar_hot.bmp    byte-for-byte copy of toolbar_cold.bmp.
  toolbar.bmp        4-bit BMP, 144x24, standard VGA palette, all light grey.
  sample.wav         ~2 s soft three-note chime, PCM 22050 Hz mono 16-bit.

Why magenta: the toolbar strips are loaded with pure magenta (255,0,255) as
the transparent colour, so the background of the strips is magenta, no
drawing ever uses magenta, and shapes are drawn with hard edges (no
anti-aliasing), so no pixel is ever blended half-way towards magenta.

Everything is drawn or synthesised here from plain geometry and arithmetic:
no input files, no randomness, so every run writes the same bytes.
Standard library only.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Geometry: signed distance functions.  Each shape is a function f(x, y)
# returning the distance to its edge: negative inside, positive outside.
# Coordinates are in pixels, y pointing down; pixel (i, j) covers
# [i, i+1) x [j, j+1), so its centre is (i + 0.5, j + 0.5).
# ---------------------------------------------------------------------------


def sd_disc(cx, cy, r):
    """Filled circle."""
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_ellipse(cx, cy, rx, ry, angle=0.0):
    """Filled ellipse, rotated by angle (radians, clockwise on screen)."""
    c, s = math.cos(angle), math.sin(angle)

    def f(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        k0 = math.hypot(u / rx, v / ry)
        k1 = math.hypot(u / (rx * rx), v / (ry * ry))
        if k1 == 0.0:
            return -min(rx, ry)
        return k0 * (k0 - 1.0) / k1

    return f


def sd_rect(x0, y0, x1, y1, radius=0.0):
    """Filled rectangle from (x0, y0) to (x1, y1), optionally rounded."""
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return f


def sd_polygon(points):
    """Filled simple polygon given as a list of (x, y) vertices."""
    pts = list(points)

    def f(x, y):
        best = float("inf")
        sign = 1.0
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            t = (wx * ex + wy * ey) / (ex * ex + ey * ey)
            t = min(max(t, 0.0), 1.0)
            bx, by = wx - ex * t, wy - ey * t
            best = min(best, bx * bx + by * by)
            c1, c2, c3 = y >= yi, y < yj, ex * wy > ey * wx
            if (c1 and c2 and c3) or not (c1 or c2 or c3):
                sign = -sign
            j = i
        return sign * math.sqrt(best)

    return f


def sd_line(x0, y0, x1, y1, width):
    """Thick line segment with round caps."""
    ex, ey = x1 - x0, y1 - y0
    ll = ex * ex + ey * ey

    def f(x, y):
        t = ((x - x0) * ex + (y - y0) * ey) / ll if ll else 0.0
        t = min(max(t, 0.0), 1.0)
        return math.hypot(x - x0 - ex * t, y - y0 - ey * t) - width / 2.0

    return f


def sd_union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


# ---------------------------------------------------------------------------
# Colour helpers.  A "paint" is either an (r, g, b) tuple or a function
# (x, y) -> (r, g, b), so shapes can carry gradients.
# ---------------------------------------------------------------------------


def mix(c0, c1, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def linear_gradient(x0, y0, c0, x1, y1, c1):
    """Colour c0 at (x0, y0) blending to c1 at (x1, y1)."""
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    return lambda x, y: mix(c0, c1, ((x - x0) * dx + (y - y0) * dy) / ll)


def radial_gradient(cx, cy, r, c0, c1):
    """Colour c0 at (cx, cy) blending to c1 at distance r."""
    return lambda x, y: mix(c0, c1, math.hypot(x - cx, y - cy) / r)


def paint_at(paint, x, y):
    return paint(x, y) if callable(paint) else paint


def to_byte_rgb(c):
    return tuple(min(255, max(0, int(round(v)))) for v in c)


# ---------------------------------------------------------------------------
# Hard-edged raster canvas (toolbar).  Shapes are sampled at pixel centres
# only, so every pixel is either untouched background or fully one colour.
# ---------------------------------------------------------------------------

MAGENTA = (255, 0, 255)


class Canvas:
    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def shape(self, sdf, fill, outline=None, ox=0, oy=0, clip=None):
        """Fill the pixels whose centres lie inside sdf.

        Coordinates of sdf and fill are local to the origin (ox, oy).  With an
        outline colour, the shape's border pixels (those with a 4-neighbour
        outside the shape) get the outline, giving a crisp 1-px contour.
        clip = (x0, y0, x1, y1) in local coordinates limits the area scanned.
        """
        x0, y0, x1, y1 = clip or (0, 0, self.width - ox, self.height - oy)
        inside = set()
        for y in range(y0, y1):
            for x in range(x0, x1):
                if sdf(x + 0.5, y + 0.5) < 0.0:
                    inside.add((x, y))
        for (x, y) in inside:
            border = outline is not None and any(
                n not in inside
                for n in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))
            colour = outline if border else paint_at(fill, x + 0.5, y + 0.5)
            self.set(ox + x, oy + y, colour)

    def fill_rect(self, x0, y0, x1, y1, fill, outline=None, ox=0, oy=0):
        self.shape(sd_rect(x0, y0, x1, y1), fill, outline, ox, oy,
                   (x0, y0, x1, y1))

    def line(self, x0, y0, x1, y1, width, colour, ox=0, oy=0):
        self.shape(sd_line(x0, y0, x1, y1, width), colour, None, ox, oy)

    def pattern(self, x0, y0, rows, colour, ox=0, oy=0):
        """Plot a small bitmap given as strings; 'X' marks set pixels."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch == "X":
                    self.set(ox + x0 + i, oy + y0 + j, colour)

    def set(self, x, y, colour):
        colour = to_byte_rgb(colour)
        assert colour != MAGENTA, "magenta is reserved for transparency"
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour


# ---------------------------------------------------------------------------
# Anti-aliased RGBA rendering (icon).  A picture is a list of layers, bottom
# first; each layer is (sdf, fill, outline_colour, outline_width).  Every
# pixel is supersampled on an ss x ss grid; the topmost layer containing a
# sample decides its colour (the outline if the sample lies within
# outline_width of the layer's edge).
# ---------------------------------------------------------------------------


def render_rgba(size, layers, ss):
    """Return rows of (r, g, b, a) with straight (non-premultiplied) alpha,
    components as floats in 0..255 (alpha 0..1)."""
    rows = []
    offsets = [(k + 0.5) / ss for k in range(ss)]
    top_down = list(reversed(layers))
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for oy in offsets:
                for ox in offsets:
                    x, y = px + ox, py + oy
                    for sdf, fill, outline, width in top_down:
                        d = sdf(x, y)
                        if d < 0.0:
                            c = outline if (outline and d > -width) \
                                else paint_at(fill, x, y)
                            acc[0] += c[0]
                            acc[1] += c[1]
                            acc[2] += c[2]
                            hits += 1
                            break
            if hits:
                row.append((acc[0] / hits, acc[1] / hits, acc[2] / hits,
                            hits / float(ss * ss)))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------
# Pictures
# ---------------------------------------------------------------------------


GREY_EDGE = (64, 66, 72)
BLUE_EDGE = (12, 38, 120)


def icon_layers(size):
    """Vorsel icon: grey loudspeaker, blue eighth note in front of it.
    Designed on a 48-unit grid and scaled to `size` pixels (32 and 48);
    16x16 has its own pixel-fitted drawing, see icon_layers_16."""
    if size <= 16:
        return icon_layers_16()
    s = size / 48.0

    def P(x, y):
        return (x * s, y * s)

    def L(v):
        return v * s

    outline_w = max(1.0, L(1.4))          # outline width in pixels

    # Loudspeaker: magnet box and cone, lit from the upper left.
    magnet = sd_rect(L(2), L(15), L(12), L(31), L(1.5))
    cone = sd_polygon([P(11, 15), P(27, 3), P(27, 43), P(11, 31)])
    speaker_fill = linear_gradient(L(3), L(5), (236, 238, 242),
                                   L(26), L(42), (124, 128, 136))

    # Eighth note: tilted head, stem on its right, flag curling down.
    head = sd_ellipse(L(30), L(37.5), L(8.2), L(6.0), -0.42)
    stem_w = max(L(3.4), 2.0)
    stem_x1 = L(37.8)
    stem = sd_rect(stem_x1 - stem_w, L(5), stem_x1, L(37))
    flag = sd_polygon([P(35, 5), P(37.8, 5), P(40, 8.5), P(44.5, 12.5),
                       P(47, 18), P(46.3, 25), P(44, 30), P(41.8, 29.6),
                       P(43.2, 23.5), P(42.5, 19.5), P(39.5, 16.3), P(35, 14)])
    note = sd_union(head, stem, flag)
    note_fill = linear_gradient(L(26), L(8), (110, 170, 255),
                                L(40), L(44), (24, 78, 210))
    highlight = sd_ellipse(L(27.5), L(35.3), L(3.2), L(1.6), -0.42)

    return [
        (sd_union(magnet, cone), speaker_fill, GREY_EDGE, outline_w),
        (note, note_fill, BLUE_EDGE, outline_w),
        (highlight, (200, 225, 255), None, 0),
    ]


def icon_layers_16():
    """The icon redrawn for 16x16 in pixel units: the cone fills the height,
    the note is relatively bigger with a 2-px stem, and the note's outline is
    thinner and its fill darker so the small blue shape stays solid."""
    magnet = sd_rect(0, 5, 4, 11)
    cone = sd_polygon([(3.5, 5), (9.5, 0), (9.5, 16), (3.5, 11)])
    speaker_fill = linear_gradient(1, 2, (236, 238, 242),
                                   9, 14, (124, 128, 136))
    head = sd_ellipse(10.2, 12.4, 3.3, 2.5, -0.42)
    stem = sd_rect(11.5, 0.5, 14, 12.5)
    flag = sd_polygon([(12, 0.5), (14, 0.5), (15.4, 2.8), (16, 5.5),
                       (15.6, 9), (14.7, 9), (14.8, 5.8), (13.4, 4),
                       (12, 3.6)])
    note_fill = linear_gradient(9, 1, (60, 120, 250), 13, 15, (16, 56, 180))
    return [
        (sd_union(magnet, cone), speaker_fill, GREY_EDGE, 1.0),
        (sd_union(head, stem, flag), note_fill, BLUE_EDGE, 0.6),
    ]


# Toolbar image colours: (light fill, dark fill, outline).
RED = ((255, 120, 100), (196, 16, 16), (110, 0, 0))
BLUE = ((120, 165, 255), (24, 70, 200), (10, 30, 110))
GREEN = ((140, 230, 110), (24, 150, 32), (8, 80, 12))
YELLOW = ((255, 244, 140), (232, 176, 0), (120, 84, 0))


def diagonal(colours, x0=4, y0=4, x1=20, y1=20):
    """Top-left light to bottom-right dark gradient for a toolbar shape."""
    return linear_gradient(x0, y0, colours[0], x1, y1, colours[1])


def draw_floppy(cv, ox):
    body = sd_polygon([(2, 2), (19, 2), (22, 5), (22, 22), (2, 22)])
    cv.shape(body, linear_gradient(2, 2, (70, 96, 170), 22, 22, (28, 44, 100)),
             (12, 18, 48), ox, 0, (0, 0, 24, 24))
    # Metal shutter with its window.
    cv.fill_rect(7, 2, 18, 10, linear_gradient(7, 2, (236, 238, 242),
                                               18, 10, (160, 166, 176)),
                 (12, 18, 48), ox)
    cv.fill_rect(13, 4, 16, 8, (40, 48, 70), None, ox)
    # Paper label with writing lines.
    cv.fill_rect(5, 13, 20, 22, (252, 252, 248), (12, 18, 48), ox)
    for y in (15.5, 17.5, 19.5):
        cv.line(7, y, 17, y, 1, (120, 140, 190), ox)


def draw_record(cv, ox):
    cv.shape(sd_disc(12, 12, 8.7), radial_gradient(9, 8.5, 12, RED[0], RED[1]),
             RED[2], ox)


def draw_stop(cv, ox):
    cv.shape(sd_rect(5, 5, 19, 19, 1.2), diagonal(BLUE), BLUE[2], ox)


def draw_play(cv, ox):
    cv.shape(sd_polygon([(5, 4), (21, 12), (5, 20)]), diagonal(GREEN),
             GREEN[2], ox)


def draw_pause(cv, ox):
    for x in (4, 14):
        cv.fill_rect(x, 4, x + 6, 20, diagonal(YELLOW, x, 4, x + 6, 20),
                     YELLOW[2], ox)


QUESTION_MARK = [
    "..XXXX..",
    ".XXXXXX.",
    "XX....XX",
    "XX....XX",
    "......XX",
    ".....XX.",
    "....XX..",
    "...XX...",
    "...XX...",
    "........",
    "...XX...",
    "...XX...",
]


def draw_help(cv, ox):
    edge = (80, 84, 92)
    page = sd_polygon([(4, 1), (15, 1), (21, 7), (21, 23), (4, 23)])
    cv.shape(page, linear_gradient(4, 1, (255, 255, 255), 21, 23,
                                   (226, 230, 236)), edge, ox)
    fold = sd_polygon([(15, 1), (15, 7), (21, 7)])
    cv.shape(fold, (200, 204, 212), edge, ox)
    cv.pattern(8, 8, QUESTION_MARK, (28, 70, 200), ox)


TOOLBAR_IMAGES = [draw_floppy, draw_record, draw_stop, draw_play, draw_pause,
                  draw_help]


def toolbar_canvas():
    cv = Canvas(24 * len(TOOLBAR_IMAGES), 24, MAGENTA)
    for i, draw in enumerate(TOOLBAR_IMAGES):
        draw(cv, 24 * i)
    return cv


# ---------------------------------------------------------------------------
# Colour quantisation for the 8-bit icon images (median cut, deterministic).
# ---------------------------------------------------------------------------


def median_cut(counts, max_colours):
    """counts: {rgb: n}.  Returns {rgb: palette rgb} using <= max_colours."""
    boxes = [sorted(counts.items())]

    def spread(box):
        return max(max(c[0][k] for c in box) - min(c[0][k] for c in box)
                   for k in range(3))

    while len(boxes) < max_colours:
        candidates = [b for b in boxes if len(b) > 1]
        if not candidates:
            break
        box = max(candidates, key=spread)
        ch = max(range(3), key=lambda k: max(c[0][k] for c in box)
                 - min(c[0][k] for c in box))
        box.sort(key=lambda c: (c[0][ch], c[0]))
        half = sum(n for _, n in box) / 2.0
        run, cut = 0, 1
        for i, (_, n) in enumerate(box[:-1]):
            run += n
            cut = i + 1
            if run >= half:
                break
        boxes.remove(box)
        boxes += [box[:cut], box[cut:]]
    mapping = {}
    for box in boxes:
        total = sum(n for _, n in box)
        avg = to_byte_rgb([sum(c[k] * n for c, n in box) / total
                           for k in range(3)])
        for c, _ in box:
            mapping[c] = avg
    return mapping


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def bmp_info_header(width, height, bpp, image_size, colours_used=0,
                    pixels_per_metre=2835):
    """BITMAPINFOHEADER (40 bytes), BI_RGB, 72 dpi unless told otherwise
    (icon images conventionally carry 0)."""
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0,
                       image_size, pixels_per_metre, pixels_per_metre,
                       colours_used, 0)


def bmp_file(info, palette, pixels):
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


def bmp24(canvas):
    """24-bit bottom-up BMP of a Canvas."""
    rows = []
    for row in reversed(canvas.pixels):
        rows.append(pad4(b"".join(struct.pack("BBB", b, g, r)
                                  for r, g, b in row)))
    pixels = b"".join(rows)
    info = bmp_info_header(canvas.width, canvas.height, 24, len(pixels))
    return bmp_file(info, b"", pixels)


VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def bmp4_blank(width, height, index):
    """4-bit bottom-up BMP, VGA palette, every pixel the given index."""
    palette = b"".join(struct.pack("BBBB", b, g, r, 0)
                       for r, g, b in VGA_PALETTE)
    row = pad4(bytes([(index << 4) | index]) * ((width + 1) // 2))
    pixels = row * height
    info = bmp_info_header(width, height, 4, len(pixels), 16)
    return bmp_file(info, palette, pixels)


def and_mask(rows):
    """1-bpp AND mask, bottom-up: bit set where the pixel is transparent."""
    out = []
    for row in reversed(rows):
        bits = bytearray((len(row) + 7) // 8)
        for x, opaque in enumerate(row):
            if not opaque:
                bits[x // 8] |= 0x80 >> (x % 8)
        out.append(pad4(bytes(bits)))
    return b"".join(out)


def ico_image_32(rgba):
    """BMP-in-ICO 32-bit BGRA image with alpha and AND mask."""
    size = len(rgba)
    xor_rows, opaque = [], []
    for row in reversed(rgba):
        line = bytearray()
        for r, g, b, a in row:
            a8 = int(round(a * 255))
            if a8 == 0:
                line += b"\0\0\0\0"
            else:
                r8, g8, b8 = to_byte_rgb((r, g, b))
                line += bytes((b8, g8, r8, a8))
        xor_rows.append(bytes(line))
    for row in rgba:
        opaque.append([int(round(a * 255)) > 0 for _, _, _, a in row])
    xor = b"".join(xor_rows)
    mask = and_mask(opaque)
    info = bmp_info_header(size, 2 * size, 32, len(xor) + len(mask), 0, 0)
    return info + xor + mask


def ico_image_8(rgba):
    """BMP-in-ICO 8-bit palette image with AND mask.  Pixels at least half
    covered become opaque; index 0 is black and used for transparency."""
    size = len(rgba)
    solid = [[to_byte_rgb(p[:3]) if p[3] >= 0.5 else None for p in row]
             for row in rgba]
    counts = {}
    for row in solid:
        for c in row:
            if c is not None:
                counts[c] = counts.get(c, 0) + 1
    mapping = median_cut(counts, 255)
    colours = sorted(set(mapping.values()))
    index = {c: i + 1 for i, c in enumerate(colours)}
    palette_rgb = [(0, 0, 0)] + colours
    palette_rgb += [(0, 0, 0)] * (256 - len(palette_rgb))
    palette = b"".join(struct.pack("BBBB", b, g, r, 0)
                       for r, g, b in palette_rgb)
    xor = b"".join(pad4(bytes(0 if c is None else index[mapping[c]]
                              for c in row))
                   for row in reversed(solid))
    mask = and_mask([[c is not None for c in row] for row in solid])
    info = bmp_info_header(size, 2 * size, 8, len(xor) + len(mask), 0, 0)
    return info + palette + xor + mask


def ico_file(images):
    """images: list of (size, bpp, data).  ICONDIR + entries + data."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, bpp, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bpp,
                           len(data), offset)
        offset += len(data)
        blobs.append(data)
    return out + b"".join(blobs)


def make_icon():
    images = []
    for size in (48, 32, 16):
        ss = {48: 5, 32: 6, 16: 8}[size]
        rgba = render_rgba(size, icon_layers(size), ss)
        images.append((size, 8, ico_image_8(rgba)))
        images.append((size, 32, ico_image_32(rgba)))
    return ico_file(images)


# ---------------------------------------------------------------------------
# Sound
# ---------------------------------------------------------------------------

RATE = 22050
DURATION = 2.0


def chime_samples():
    """Soft C-major arpeggio (C5, E5, G5) with bell-like partials, gentle
    attack, exponential decay, fade in/out, normalised to -6 dBFS peak."""
    notes = [(523.25, 0.00, 1.00), (659.26, 0.17, 0.90), (783.99, 0.34, 0.85)]
    attack, fade_in, fade_out = 0.012, 0.004, 0.30
    # (frequency ratio, relative amplitude, decay time in s)
    partials = [(1.0, 1.00, 0.60), (2.0, 0.28, 0.30), (3.0, 0.10, 0.18),
                (1.003, 0.20, 0.60)]
    n = int(RATE * DURATION)
    out = []
    for i in range(n):
        t = i / float(RATE)
        v = 0.0
        for freq, start, gain in notes:
            tau = t - start
            if tau < 0.0:
                continue
            env = 0.5 - 0.5 * math.cos(math.pi * tau / attack) \
                if tau < attack else 1.0
            for ratio, amp, decay in partials:
                v += gain * env * amp * math.exp(-tau / decay) * \
                    math.sin(2.0 * math.pi * freq * ratio * tau)
        if t < fade_in:
            v *= 0.5 - 0.5 * math.cos(math.pi * t / fade_in)
        remaining = (n - 1 - i) / float(RATE)
        if remaining < fade_out:
            v *= 0.5 - 0.5 * math.cos(math.pi * remaining / fade_out)
        out.append(v)
    peak = max(abs(v) for v in out)
    scale = 10.0 ** (-6.0 / 20.0) * 32767.0 / peak
    return [int(round(v * scale)) for v in out]


def wav_file(samples, rate):
    """Canonical 44-byte-header PCM WAVE, mono, 16-bit."""
    data = struct.pack("<%dh" % len(samples), *samples)
    return (struct.pack("<4sI4s", b"RIFF", 36 + len(data), b"WAVE") +
            struct.pack("<4sIHHIIHH", b"fmt ", 16, 1, 1, rate, rate * 2, 2, 16)
            + struct.pack("<4sI", b"data", len(data)) + data)


# ---------------------------------------------------------------------------


def write(outdir, name, data):
    with open(os.path.join(outdir, name), "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: %s OUTDIR\n" % argv[0])
        return 2
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    write(outdir, "Vorsel.ico", make_icon())
    strip = bmp24(toolbar_canvas())
    write(outdir, "toolbar_cold.bmp", strip)
    write(outdir, "toolbar_hot.bmp", strip)
    write(outdir, "toolbar.bmp", bmp4_blank(144, 24, 7))
    write(outdir, "sample.wav", wav_file(chime_samples(), RATE))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
