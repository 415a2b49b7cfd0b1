#!/usr/bin/env python3
"""Draws the setup program's two pictures from the editor's icon and its colours, as
the 24-bit bitmaps the setup's pages take:

    setup-header.bmp   150 x 57, the top right corner of the inner pages: the shield
                       on white, where the page's heading stands;
    setup-wizard.bmp   164 x 314, the left side of the welcome and finish pages: the
                       shield on the icon's steel-blue field, lit from the top left,
                       with the rim's gold along the edge that meets the page.

Standard library only and no time stamps, as make_icon.py: the same bytes every run.

    python3 assets/make_setup_pictures.py OUTPUT_FOLDER
"""

import struct
import sys
from pathlib import Path

import make_icon

WHITE = (255, 255, 255)


def canvas(width, height, colour_at):
    return [[colour_at(x, y) for x in range(width)] for y in range(height)]


def place(picture, icon, left, top):
    """Lays the icon's pixels over the picture, each by its alpha."""
    for y, row in enumerate(icon):
        for x, (r, g, b, a) in enumerate(row):
            under = picture[top + y][left + x]
            picture[top + y][left + x] = tuple(
                round((c * a + u * (255 - a)) / 255) for c, u in zip((r, g, b), under))


def bmp_file(picture):
    """A 24-bit BI_RGB bitmap, bottom-up, each row padded to four bytes."""
    height, width = len(picture), len(picture[0])
    pad = bytes(-3 * width % 4)
    pixels = b''.join(b''.join(bytes((b, g, r)) for r, g, b in row) + pad
                      for row in reversed(picture))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def header_picture():
    picture = canvas(150, 57, lambda x, y: WHITE)
    place(picture, make_icon.render(48), 150 - 48 - 6, (57 - 48) // 2)
    return picture


def wizard_picture():
    width, height, gold = 164, 314, 3

    def field(x, y):
        if x >= width - gold:
            return make_icon.RIM_RAMP[1]
        shade = (x / width * 0.6 + y / height) / 1.6
        return tuple(round(c) for c in make_icon.ramp_colour(make_icon.FIELD_RAMP, shade))

    picture = canvas(width, height, field)
    size = 112
    place(picture, make_icon.render(size), (width - gold - size) // 2, 36)
    return picture


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / 'setup-header.bmp').write_bytes(bmp_file(header_picture()))
    (out / 'setup-wizard.bmp').write_bytes(bmp_file(wizard_picture()))


if __name__ == '__main__':
    main()
