#!/usr/bin/env python3
"""Draws the browser extension's icons: a white plus on an orange rounded square.

Run by hand after changing the design; the PNG files are committed:
    python3 tools/draw_extension_icons.py data/extension/icons
"""

import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 48, 128)
ORANGE = (240, 128, 32)
WHITE = (255, 255, 255)
# Every pixel is the average of SAMPLES x SAMPLES points, which smooths the edges.
SAMPLES = 4


def inside_rounded_square(x, y):
    """(x, y) in the unit square; corners rounded with a fifth of the side."""
    radius = 0.2
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_plus(x, y):
    half_bar = 0.09
    reach = 0.28
    centred_x, centred_y = abs(x - 0.5), abs(y - 0.5)
    return (centred_x <= half_bar and centred_y <= reach) or \
           (centred_y <= half_bar and centred_x <= reach)


def pixel(size, px, py):
    """RGBA of one pixel, straight (not premultiplied) alpha."""
    covered = 0
    white = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) / size
            y = (py + (sy + 0.5) / SAMPLES) / size
            if inside_rounded_square(x, y):
                covered += 1
                if inside_plus(x, y):
                    white += 1
    if covered == 0:
        return (0, 0, 0, 0)
    share = white / covered
    rgb = tuple(round(o + (w - o) * share) for o, w in zip(ORANGE, WHITE))
    return rgb + (round(255 * covered / SAMPLES ** 2),)


def png(size):
    rows = b"".join(
        b"\x00" + bytes(c for px in range(size) for c in pixel(size, px, py))
        for py in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_extension_icons.py OUTPUT_FOLDER")
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for size in SIZES:
        (folder / f"icon-{size}.png").write_bytes(png(size))


if __name__ == "__main__":
    main()
