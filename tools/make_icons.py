#!/usr/bin/env python3
"""Draws the desktop icons in the hicolor sizes that menus and software
centres ask for, after picture 2 (resources/pictures/picture2.png).

The drawing is picture 2's pixel grid read as shapes on a 32-unit square:
the yellow sheet with its black edge, grey shadow and folded corner, four
blue ruled lines and the red pin. It writes resources/icons/orbo.svg and
resources/icons/orbo-N.png for every size N below, with transparency: from
48 up the shapes anti-aliased, below 32 as pixel art on whole pixels (at
those sizes anti-aliased one-unit lines only blur). At 32x32 the 16-colour
picture itself is installed, so that menu, window and tray show the very
same icon. Run it after changing the drawing; its output is committed.
"""
import struct
import zlib
from pathlib import Path

SIZES = (16, 22, 24, 48, 64, 128, 256)

BLACK = (0, 0, 0)
GREY = (128, 128, 128)
YELLOW = (255, 255, 0)
BLUE = (0, 0, 255)
RED = (255, 0, 0)
WHITE = (255, 255, 255)

# Painted in this order, each over the ones before. Units are picture 2's pixels.
SHAPES = [
    ("rect", GREY, (6, 6, 23, 25)),                      # shadow right and below
    ("rect", BLACK, (4, 4, 24, 26)),                     # the sheet's edge
    ("rect", YELLOW, (5, 5, 22, 24)),                    # the sheet
    ("polygon", GREY, ((22, 24), (27, 24), (27, 29))),   # folded corner
    ("rect", BLUE, (7, 11, 17, 1)),                      # ruled lines
    ("rect", BLUE, (7, 15, 17, 1)),
    ("rect", BLUE, (7, 19, 17, 1)),
    ("rect", BLUE, (7, 23, 13, 1)),
    ("rect", BLACK, (16, 7, 1, 3)),                      # the pin's needle
    ("circle", RED, (16, 4, 7 ** 0.5)),                  # the pin's head
    ("circle", WHITE, (14.5, 2.5, 0.6)),                 # its highlight
]

SUBSAMPLES = 8


def hex_colour(rgb):
    return "#%02x%02x%02x" % rgb


def svg():
    parts = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">']
    for kind, colour, geometry in SHAPES:
        fill = hex_colour(colour)
        if kind == "rect":
            x, y, w, h = geometry
            parts.append(f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{fill}"/>')
        elif kind == "polygon":
            points = " ".join(f"{x},{y}" for x, y in geometry)
            parts.append(f'  <polygon points="{points}" fill="{fill}"/>')
        else:
            cx, cy, r = geometry
            parts.append(f'  <circle cx="{cx}" cy="{cy}" r="{r:.4f}" fill="{fill}"/>')
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def inside_polygon(points, x, y):
    inside = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def coverage(kind, geometry, px, py, scale):
    """The share of output pixel (px, py) that the shape covers, 0 to 1."""
    if kind == "rect":
        x, y, w, h = (v * scale for v in geometry)
        cover_x = max(0.0, min(px + 1, x + w) - max(px, x))
        cover_y = max(0.0, min(py + 1, y + h) - max(py, y))
        return cover_x * cover_y
    if kind == "polygon":
        points = [(x * scale, y * scale) for x, y in geometry]
        test = lambda x, y: inside_polygon(points, x, y)
    else:
        cx, cy, r = (v * scale for v in geometry)
        test = lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    step = 1 / SUBSAMPLES
    hits = sum(test(px + (i + 0.5) * step, py + (j + 0.5) * step)
               for i in range(SUBSAMPLES) for j in range(SUBSAMPLES))
    return hits / SUBSAMPLES ** 2


def bounds(kind, geometry, scale, size):
    if kind == "rect":
        x, y, w, h = geometry
        box = (x, y, x + w, y + h)
    elif kind == "polygon":
        xs = [p[0] for p in geometry]
        ys = [p[1] for p in geometry]
        box = (min(xs), min(ys), max(xs), max(ys))
    else:
        cx, cy, r = geometry
        box = (cx - r, cy - r, cx + r, cy + r)
    x0, y0, x1, y1 = (v * scale for v in box)
    return (max(0, int(x0)), max(0, int(y0)), min(size, int(x1) + 1), min(size, int(y1) + 1))


def render(size):
    """Premultiplied RGBA floats, painted shape over shape by coverage."""
    scale = size / 32
    pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    for kind, colour, geometry in SHAPES:
        x0, y0, x1, y1 = bounds(kind, geometry, scale, size)
        for py in range(y0, y1):
            row = pixels[py]
            for px in range(x0, x1):
                a = coverage(kind, geometry, px, py, scale)
                if a <= 0:
                    continue
                r, g, b, alpha = row[px]
                row[px] = (colour[0] * a + r * (1 - a), colour[1] * a + g * (1 - a),
                           colour[2] * a + b * (1 - a), a + alpha * (1 - a))
    return pixels


def pixel_art(size):
    """The same sheet on whole pixels: every edge one pixel wide, lines and
    pin placed at the nearest pixel, for the sizes below 32."""
    u = size / 32

    def at(v):
        return int(v * u + 0.5)

    img = [[None] * size for _ in range(size)]

    def fill(colour, x0, y0, x1, y1):
        for y in range(max(0, y0), min(size, y1)):
            for x in range(max(0, x0), min(size, x1)):
                img[y][x] = colour

    left, top, right, bottom = at(4), at(4), at(28), at(30)
    fill(GREY, left + 2, top + 2, right + 1, bottom + 1)
    fill(BLACK, left, top, right, bottom)
    fill(YELLOW, left + 1, top + 1, right - 1, bottom - 1)
    fold = max(2, at(5))
    for k in range(fold):
        fill(GREY, right - 1 - fold + k, bottom - 1 - fold + k, right - 1, bottom - fold + k)
    # Evenly spaced ruled lines read better than each rounded on its own.
    step = max(2, at(4))
    for i, end in enumerate((24, 24, 24, 20)):
        y = at(11) + i * step
        fill(BLUE, at(7), y, at(end), y + 1)
    # The head sits centred over its needle; a highlight would read as a hole.
    needle = int(16 * u)
    cx, cy, r = needle + 0.5, 4 * u, max(1.0, 7 ** 0.5 * u)
    fill(BLACK, needle, int(cy + r), needle + 1, max(int(cy + r) + 1, at(10)))
    for y in range(size):
        for x in range(size):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                img[y][x] = RED
    return [[(0.0, 0.0, 0.0, 0.0) if c is None else (*map(float, c), 1.0) for c in row] for row in img]


def png(pixels):
    size = len(pixels)
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            if a <= 0:
                raw += b"\0\0\0\0"
            else:
                raw += bytes(min(255, round(c / a)) for c in (r, g, b)) + bytes([round(a * 255)])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main():
    out = Path(__file__).resolve().parent.parent / "resources" / "icons"
    out.mkdir(exist_ok=True)
    (out / "orbo.svg").write_text(svg(), encoding="utf-8")
    for size in SIZES:
        (out / f"orbo-{size}.png").write_bytes(png(render(size) if size > 32 else pixel_art(size)))


if __name__ == "__main__":
    main()
