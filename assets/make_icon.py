#!/usr/bin/env python3
"""Draws the editor's icon and writes it as assets/norvik.ico, with the same
images as PNG files for the desktop's icon theme (norvik-16.png ... norvik-256.png).

The icon is a heater shield with a gold rim and a rune-cut "N" on a dark
steel-blue field. The window icon and the picture in the credit corner both
use it. The file holds the one drawing at 16, 24, 32 and 48 pixels as 32-bit
images with an alpha channel (what Explorer, the task bar and the title bar
ask for) and at 256 pixels as a PNG image, as Windows stores its large icons;
the credit corner scales the 256 pixel image down to its own size, so it is
sharp at every scale of the desktop.

Each image is drawn at its size, not scaled from another: the shapes are
sampled several times per pixel and averaged, so edges are smoothed, and the
outline, the rim and the rune's edge keep at least one, one and a half and a half
pixels where the icon is small.

Standard library only, and no randomness or timestamps: every run writes
the same bytes, so the files can be regenerated and compared in review.

    python3 assets/make_icon.py [output.ico]
"""

import math
import struct
import sys
import zlib
from pathlib import Path

# What a point of the drawing is made of. Each material is shaded by a value
# in [0, 1] (0 = lit, 1 = in shadow) along its colour ramp.
CLEAR, OUTLINE, RIM, FIELD, RUNE, RUNE_EDGE = range(6)

RIM_RAMP = [(255, 232, 140), (244, 204, 92), (222, 170, 52), (186, 132, 34), (140, 94, 22)]
FIELD_RAMP = [(70, 100, 150), (56, 82, 128), (44, 66, 108), (34, 52, 90), (26, 40, 72), (18, 28, 54)]
RUNE_RAMP = [(255, 252, 236), (252, 244, 214), (246, 234, 194), (236, 220, 174), (222, 204, 154)]
OUTLINE_COLOUR = (16, 12, 10)
RUNE_EDGE_COLOUR = (10, 14, 26)

SIZES = (16, 24, 32, 48, 256)
PNG_SIZE = 256  # stored as PNG inside the icon file; the smaller ones as bitmaps


def ramp_colour(ramp, shade):
    """The colour at shade (0..1) along a ramp, blended between its steps."""
    position = min(max(shade, 0.0), 1.0) * (len(ramp) - 1)
    low = int(position)
    high = min(low + 1, len(ramp) - 1)
    t = position - low
    return tuple(a + (b - a) * t for a, b in zip(ramp[low], ramp[high]))


# ---------------------------------------------------------------- drawing
# Shapes are described in unit coordinates (0..1 across the icon, y going
# down), so every size comes from one design.

def in_shield(x, y):
    """A heater shield: flat top with rounded corners, curved sides to a point."""
    top, shoulder, bottom = 0.05, 0.50, 0.96
    half = 0.41
    if y < top or y > bottom:
        return False
    if y <= shoulder:
        # Round off the two top corners.
        r = 0.08
        if y < top + r and abs(x - 0.5) > half - r:
            cx = 0.5 - half + r if x < 0.5 else 0.5 + half - r
            return (x - cx) ** 2 + (y - (top + r)) ** 2 <= r * r
        return abs(x - 0.5) <= half
    # Below the shoulder each side is an arc that closes in to the point.
    t = (y - shoulder) / (bottom - shoulder)
    return abs(x - 0.5) <= half * math.cos(t * math.pi / 2) ** 0.75


def seg_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


# The rune: two upright staves and a branch from the left stave's head down
# to the right stave's foot, with the staves' ends cut square.
STAVES = [
    (0.36, 0.23, 0.36, 0.75),
    (0.64, 0.23, 0.64, 0.75),
    (0.36, 0.27, 0.64, 0.71),
]
STROKE = 0.05  # half the stroke width
RUNE_TOP, RUNE_BOTTOM = 0.21, 0.77


def in_rune(x, y, grow=0.0):
    """Inside the rune, or within grow of it."""
    if not (RUNE_TOP - grow <= y <= RUNE_BOTTOM + grow):
        return False
    if not (STAVES[0][0] - STROKE - grow <= x <= STAVES[1][0] + STROKE + grow):
        return False
    return any(seg_distance(x, y, *s) <= STROKE + grow for s in STAVES)


# The bands along the shield's edge and around the rune, as fractions of the
# icon's width, with the least number of pixels each keeps at small sizes.
OUTLINE_WIDTH = (1 / 40, 1.0)
RIM_WIDTH = (1 / 16, 1.5)
RUNE_EDGE_WIDTH = (1 / 48, 0.5)


def band(width, size):
    """A band's width in pixels at this size."""
    fraction, least = width
    return max(fraction * size, least)


INFINITE = 1e20


def squared_distances_1d(f):
    """The lower envelope of parabolas: d[q] = min over p of (q - p)^2 + f[p]."""
    n = len(f)
    v = [0] * n
    z = [0.0] * (n + 1)
    z[0], z[1] = -INFINITE, INFINITE
    k = 0
    for q in range(1, n):
        while True:
            p = v[k]
            s = ((f[q] + q * q) - (f[p] + p * p)) / (2 * q - 2 * p)
            if s > z[k]:
                break
            k -= 1
        k += 1
        v[k] = q
        z[k] = s
        z[k + 1] = INFINITE
    d = [0.0] * n
    k = 0
    for q in range(n):
        while z[k + 1] < q:
            k += 1
        d[q] = (q - v[k]) ** 2 + f[v[k]]
    return d


def edge_distances(mask):
    """For each set sample, the Euclidean distance (in samples) to the nearest
    unset one; samples beyond the edge of the grid count as unset."""
    n = len(mask)
    # One unset sample of border all round.
    grid = [[INFINITE if mask[y][x] else 0.0 for x in range(n)] for y in range(n)]
    columns = []
    for x in range(n):
        column = squared_distances_1d([0.0] + [grid[y][x] for y in range(n)] + [0.0])
        columns.append(column[1:-1])
    out = []
    for y in range(n):
        row = squared_distances_1d([0.0] + [columns[x][y] for x in range(n)] + [0.0])
        out.append([math.sqrt(value) for value in row[1:-1]])
    return out


def samples_per_pixel(size):
    """Samples along each side of a pixel: more where a pixel is a larger part of
    the drawing."""
    return 4 if size >= 128 else 8


def render(size):
    """The drawing at size pixels: rows (top first) of (r, g, b, a) bytes,
    each pixel the average of its samples."""
    ss = samples_per_pixel(size)
    n = size * ss
    centre = [(i + 0.5) / n for i in range(n)]
    shield = [[in_shield(u, v) for u in centre] for v in centre]
    depth = edge_distances(shield)
    outline = band(OUTLINE_WIDTH, size) * ss
    rim = outline + band(RIM_WIDTH, size) * ss
    grow = band(RUNE_EDGE_WIDTH, size) / size

    sums = [[[0.0, 0.0, 0.0, 0] for _ in range(size)] for _ in range(size)]
    for sy in range(n):
        v = centre[sy]
        line = sums[sy // ss]
        for sx in range(n):
            if not shield[sy][sx]:
                continue
            u = centre[sx]
            # The distance from the sample to the shield's edge, in samples.
            d = depth[sy][sx] - 0.5
            if d < outline:
                colour = OUTLINE_COLOUR
            elif d < rim:
                # Light falls from the top left onto the rim.
                colour = ramp_colour(RIM_RAMP, (u + v) * 0.55 - 0.1)
            elif in_rune(u, v):
                # Cut into the shield: lightest at the top, duller below.
                colour = ramp_colour(RUNE_RAMP, (v - RUNE_TOP) / (RUNE_BOTTOM - RUNE_TOP))
            elif in_rune(u, v, grow):
                colour = RUNE_EDGE_COLOUR
            else:
                colour = ramp_colour(FIELD_RAMP, (u * 0.6 + v) / 1.45)
            cell = line[sx // ss]
            cell[0] += colour[0]
            cell[1] += colour[1]
            cell[2] += colour[2]
            cell[3] += 1

    per_pixel = ss * ss
    rows = []
    for line in sums:
        row = []
        for r, g, b, count in line:
            if count == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / count), round(g / count), round(b / count),
                            round(255 * count / per_pixel)))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- file format

def bmp_image(rows):
    """One icon image as a bitmap: BITMAPINFOHEADER (height doubled for the
    mask), the 32-bit BGRA colour bitmap and the 1 bpp AND mask, both bottom-up.
    The mask marks the fully clear pixels, for programs that ignore alpha."""
    size = len(rows)
    colour = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def png_chunk(kind, data):
    return (struct.pack('>I', len(data)) + kind + data +
            struct.pack('>I', zlib.crc32(kind + data)))


def png_image(rows):
    """rows of (r, g, b, a) as an 8-bit RGBA PNG. No time, gamma or text chunks,
    so the bytes depend on the pixels alone."""
    size = len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type None
        for pixel in row:
            raw += bytes(pixel)
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', header) +
            png_chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + png_chunk(b'IEND', b''))


def icon_file(images):
    """images: (size, image bytes) in file order; every image has 32 bits a pixel."""
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def build():
    """The icon file's bytes, and the PNG bytes per size."""
    images, pngs = [], {}
    for size in SIZES:
        rows = render(size)
        pngs[size] = png_image(rows)
        images.append((size, pngs[size] if size == PNG_SIZE else bmp_image(rows)))
    return icon_file(images), pngs


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name('norvik.ico')
    ico, pngs = build()
    target.write_bytes(ico)
    for size, data in pngs.items():
        target.with_name(f'{target.stem}-{size}.png').write_bytes(data)


if __name__ == '__main__':
    main()
