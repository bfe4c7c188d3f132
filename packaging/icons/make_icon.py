#!/usr/bin/env python3
"""Draws the kehrwix icon: a broom on the program's blue, as kehrwix.ico (16, 32, 48 and 256
pixels, PNG-compressed entries) and kehrwix.png (48 pixels, for the desktop entry).

Needs only the standard library; run it from anywhere, it writes beside itself."""

import math
import pathlib
import struct
import zlib

BLUE = (0, 0, 170)
GREY = (170, 170, 170)
STRAW = (255, 220, 90)
BAND = (170, 85, 0)
WHITE = (255, 255, 255)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def inside_polygon(x, y, points):
    inside = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def colour_at(x, y):
    """The icon in unit coordinates (0..1, y downwards); None is transparent."""
    radius = 0.18
    cx, cy = min(max(x, radius), 1 - radius), min(max(y, radius), 1 - radius)
    if math.hypot(x - cx, y - cy) > radius:
        return None
    bristles = [(0.16, 0.70), (0.40, 0.46), (0.56, 0.62), (0.32, 0.86)]
    if inside_polygon(x, y, bristles):
        # A few darker strands keep the bristles readable at 16 pixels.
        along = (x - y + 1.0) * 9.0
        return BAND if along - math.floor(along) < 0.18 else STRAW
    if segment_distance(x, y, 0.42, 0.50, 0.86, 0.12) < 0.05:
        return GREY
    for dot_x, dot_y, r in ((0.70, 0.80, 0.045), (0.82, 0.68, 0.035), (0.60, 0.88, 0.03)):
        if math.hypot(x - dot_x, y - dot_y) < r:
            return WHITE
    return BLUE


def render(size, samples=4):
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size,
                                  (py + (sy + 0.5) / samples) / size)
                    if c is not None:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            if a:
                row += bytes((r // a, g // a, b // a, 255 * a // (samples * samples)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in render(size))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(sizes):
    images = [png(s) for s in sizes]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for s, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return header + entries + b"".join(images)


if __name__ == "__main__":
    here = pathlib.Path(__file__).resolve().parent
    (here / "kehrwix.ico").write_bytes(ico([16, 32, 48, 256]))
    (here / "kehrwix.png").write_bytes(png(48))
