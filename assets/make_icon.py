#!/usr/bin/env python3
"""Draws the editor's icon and writes it as assets/norvik.ico, with the same
images as PNG files for the desktop's icon theme (norvik-32.png, norvik-48.png).

The icon is a heater shield with a gold rim and a rune-cut "N" on a dark
steel-blue field. The window icon and the picture in the credit corner both
use it; Windows picks 32 or 48 pixels and 16 or 256 colours from the one
file, so it holds, in this order:

    32x32 4 bpp, 32x32 8 bpp, 48x48 4 bpp, 48x48 8 bpp

The PNG files hold the 256-colour images in full colour, with the clear
pixels transparent: application menus and docks take them from there.

Standard library only, and no randomness or timestamps: every run writes
the same bytes, so the files can be regenerated and compared in review.

    python3 assets/make_icon.py [output.ico]
"""

import math
import struct
import sys
import zlib
from pathlib import Path

# What a pixel is made of. Each material is shaded by a value in [0, 1]
# (0 = lit, 1 = in shadow); each colour depth maps that to its own palette.
CLEAR, OUTLINE, RIM, FIELD, RUNE, RUNE_EDGE = range(6)

# The 16-colour palette: the standard VGA colours in the Windows order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# Palette indices per material for 4 bpp, from lit to shadowed.
RAMPS_4BPP = {
    CLEAR: [0],
    OUTLINE: [0],
    RIM: [11, 3],          # yellow, olive
    FIELD: [4],            # navy
    RUNE: [15],            # white
    RUNE_EDGE: [0],
}

# The 256-colour palette: the icon's own ramps first, then a 6x6x6 colour
# cube and a grey ramp so that the palette is complete and general.
RIM_RAMP = [(255, 232, 140), (244, 204, 92), (222, 170, 52), (186, 132, 34), (140, 94, 22)]
FIELD_RAMP = [(70, 100, 150), (56, 82, 128), (44, 66, 108), (34, 52, 90), (26, 40, 72), (18, 28, 54)]
RUNE_RAMP = [(255, 252, 236), (252, 244, 214), (246, 234, 194), (236, 220, 174), (222, 204, 154)]
OUTLINE_COLOUR = (16, 12, 10)
RUNE_EDGE_COLOUR = (10, 14, 26)


def palette_256():
    colours = [(0, 0, 0), OUTLINE_COLOUR, RUNE_EDGE_COLOUR]
    colours += RIM_RAMP + FIELD_RAMP + RUNE_RAMP
    steps = [0, 51, 102, 153, 204, 255]
    colours += [(r, g, b) for r in steps for g in steps for b in steps]
    grey = 8
    while len(colours) < 256:
        colours.append((grey, grey, grey))
        grey += 10
    assert len(colours) == 256
    return colours


def ramp_indices(start, ramp):
    return list(range(start, start + len(ramp)))


RAMPS_8BPP = {
    CLEAR: [0],
    OUTLINE: [1],
    RUNE_EDGE: [2],
    RIM: ramp_indices(3, RIM_RAMP),
    FIELD: ramp_indices(3 + len(RIM_RAMP), FIELD_RAMP),
    RUNE: ramp_indices(3 + len(RIM_RAMP) + len(FIELD_RAMP), RUNE_RAMP),
}


# ---------------------------------------------------------------- drawing
# Shapes are described in unit coordinates (0..1 across the icon, y going
# down) and sampled at pixel centres, so both sizes come from one design.

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


def in_rune(x, y):
    return any(seg_distance(x, y, *s) <= STROKE and 0.21 <= y <= 0.77 for s in STAVES)


def depth_map(mask, size, reach):
    """For each set pixel, the Euclidean distance (in pixels, capped at reach)
    to the nearest unset pixel; pixels beyond the edge count as unset."""
    depth = [[0.0] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not mask[y][x]:
                continue
            best = float(reach)
            for dy in range(-reach, reach + 1):
                for dx in range(-reach, reach + 1):
                    d = math.hypot(dx, dy)
                    if d >= best:
                        continue
                    nx, ny = x + dx, y + dy
                    if not (0 <= nx < size and 0 <= ny < size) or not mask[ny][nx]:
                        best = d
            depth[y][x] = best
    return depth


def render(size):
    """Returns rows (top first) of (material, shade) pairs."""
    centre = [(i + 0.5) / size for i in range(size)]
    shield = [[in_shield(u, v) for u in centre] for v in centre]
    rune = [[in_rune(u, v) for u in centre] for v in centre]
    rim_width = 2.0 if size <= 32 else 3.0
    shield_depth = depth_map(shield, size, 6)

    rune_grown = [[any(rune[y + dy][x + dx]
                       for dy in (-1, 0, 1) for dx in (-1, 0, 1)
                       if 0 <= y + dy < size and 0 <= x + dx < size)
                   for x in range(size)] for y in range(size)]

    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            u, v = centre[x], centre[y]
            d = shield_depth[y][x]
            if not shield[y][x]:
                row.append((CLEAR, 0.0))
            elif d < 1.5:
                row.append((OUTLINE, 0.0))
            elif d < 1.5 + rim_width:
                # Light falls from the top left onto the rim.
                row.append((RIM, min(max((u + v) * 0.55 - 0.1, 0.0), 1.0)))
            elif rune[y][x]:
                # Cut into the shield: lightest at the top, duller below.
                row.append((RUNE, min(max((v - 0.21) / 0.56, 0.0), 1.0)))
            elif rune_grown[y][x]:
                row.append((RUNE_EDGE, 0.0))
            else:
                row.append((FIELD, min(max((u * 0.6 + v) / 1.45, 0.0), 1.0)))
        rows.append(row)
    return rows


def to_indices(rows, ramps):
    out = []
    for row in rows:
        line = []
        for material, shade in row:
            ramp = ramps[material]
            line.append(ramp[min(int(shade * len(ramp)), len(ramp) - 1)])
        out.append(line)
    return out


# ---------------------------------------------------------------- file format

def stride(bits):
    """Bytes per bitmap row: rows are padded to a multiple of four bytes."""
    return (bits + 31) // 32 * 4


def bmp_image(rows, palette, bpp):
    """One icon image: BITMAPINFOHEADER (height doubled for the mask), the
    palette, the colour (XOR) bitmap and the 1 bpp AND mask, both bottom-up."""
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bpp == 8:
            line += bytes(i for i, _ in row)
        else:
            for x in range(0, size, 2):
                line.append(row[x][0] << 4 | row[x + 1][0])
        line += bytes(stride(size * bpp) - len(line))
        xor += line

    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride(size))
        for x, (_, clear) in enumerate(row):
            if clear:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line

    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    quads = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    assert len(palette) == 1 << bpp
    return header + quads + bytes(xor) + bytes(mask)


def icon_file(images):
    """images: (size, bpp, image bytes) in file order."""
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        colour_count = 16 if bpp == 4 else 0
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colour_count, 0,
                           1, bpp, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


def png_chunk(kind, data):
    return (struct.pack('>I', len(data)) + kind + data +
            struct.pack('>I', zlib.crc32(kind + data)))


def png_image(rows, palette):
    """rows of (palette index, clear) pairs as an 8-bit RGBA PNG. No time,
    gamma or text chunks, so the bytes depend on the pixels alone."""
    size = len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type None
        for index, clear in row:
            raw += bytes(palette[index]) + (b'\x00' if clear else b'\xff')
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', header) +
            png_chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + png_chunk(b'IEND', b''))


SIZES = (32, 48)


def build():
    """The icon file's bytes, and the PNG bytes per size."""
    pal256 = palette_256()
    images, pngs = [], {}
    for size in SIZES:
        rows = render(size)
        for bpp, palette, ramps in ((4, VGA16, RAMPS_4BPP), (8, pal256, RAMPS_8BPP)):
            indexed = to_indices(rows, ramps)
            pixels = [[(i, m == CLEAR) for i, (m, _) in zip(irow, mrow)]
                      for irow, mrow in zip(indexed, rows)]
            images.append((size, bpp, bmp_image(pixels, palette, bpp)))
            if bpp == 8:
                pngs[size] = png_image(pixels, palette)
    return icon_file(images), pngs


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name('norvik.ico')
    ico, pngs = build()
    target.write_bytes(ico)
    for size, data in pngs.items():
        target.with_name(f'{target.stem}-{size}.png').write_bytes(data)


if __name__ == '__main__':
    main()
