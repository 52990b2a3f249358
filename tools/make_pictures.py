#!/usr/bin/env python3
"""Draws the program's three 32x32 16-colour pictures.

Writes resources/pictures/picture{1,2,3}.png (palette PNGs) and
resources/orbo.ico (picture 2 as a 4-bit icon). Run it after changing a
drawing; its output is committed.
"""
import struct
import zlib
from pathlib import Path

# The 16 colours of the classic palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)
TRANSPARENT = None


def note_sheet(paper, lines, pin):
    """A slightly tilted-looking note sheet with ruled lines and a pin."""
    img = [[TRANSPARENT] * 32 for _ in range(32)]
    for y in range(4, 30):
        for x in range(4, 28):
            img[y][x] = paper
    # shadow on the right and bottom
    for y in range(6, 31):
        img[y][28] = GREY
    for x in range(6, 29):
        img[30][x] = GREY
    # border
    for x in range(4, 28):
        img[4][x] = BLACK
        img[29][x] = BLACK
    for y in range(4, 30):
        img[y][4] = BLACK
        img[y][27] = BLACK
    # folded corner
    for i in range(6):
        for j in range(6 - i):
            img[24 + i][22 + 5 - j] = SILVER if j > 0 else BLACK
    # ruled lines
    for y in (11, 15, 19, 23):
        for x in (7 + i for i in range(17 if y < 23 else 13)):
            img[y][x] = lines
    # the pin
    for y in range(1, 7):
        for x in range(13, 19):
            if (x - 15.5) ** 2 + (y - 3.5) ** 2 <= 7:
                img[y][x] = pin
    img[2][14] = WHITE
    for y in range(7, 10):
        img[y][16] = BLACK
    return img


PICTURES = {
    1: note_sheet(AQUA, TEAL, NAVY),
    2: note_sheet(YELLOW, BLUE, RED),
    3: note_sheet(LIME, GREEN, PURPLE),
}


def png(img):
    # A 4-bit palette PNG: 16 entries, one of which (silver's slot) is
    # transparent; silver pixels are drawn grey instead.
    trans_index = SILVER
    rows = b""
    for row in img:
        line = bytearray([0])
        nibbles = [trans_index if p is TRANSPARENT else (p if p != SILVER else GREY) for p in row]
        for i in range(0, 32, 2):
            line.append((nibbles[i] << 4) | nibbles[i + 1])
        rows += bytes(line)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", 32, 32, 4, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in PALETTE)
    trns = bytes(255 if i != trans_index else 0 for i in range(16))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"PLTE", plte) + chunk(b"tRNS", trns)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def ico(img):
    # One 32x32 4-bit BMP image with its AND mask.
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    xor = b""
    mask = b""
    for row in reversed(img):
        # Silver is drawn grey as in the PNG, so all three icons are one picture.
        nib = [0 if p is TRANSPARENT else (p if p != SILVER else GREY) for p in row]
        xor += bytes((nib[i] << 4) | nib[i + 1] for i in range(0, 32, 2))
        bits = 0
        for x, p in enumerate(row):
            if p is TRANSPARENT:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22)
    return directory + image


def main():
    root = Path(__file__).resolve().parent.parent / "resources"
    for number, img in PICTURES.items():
        (root / "pictures" / f"picture{number}.png").write_bytes(png(img))
    (root / "orbo.ico").write_bytes(ico(PICTURES[2]))


if __name__ == "__main__":
    main()
