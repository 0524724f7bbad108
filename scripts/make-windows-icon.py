#!/usr/bin/env python3
"""Draws the Windows program's icon, a 32 x 32 image with an alpha channel (a green book with a
download arrow), and writes it as an .ico file: python3 scripts/make-windows-icon.py OUT.ico

The image is drawn with 4 x 4 supersampling so that its edges are smooth over any background."""
import struct
import sys

SIZE = 32
SUB = 4


def inside(x, y):
    """Colour (r, g, b, a) of the drawing at the point (x, y), in pixel units, or None."""
    # The download arrow, in front of the book: a shaft and a head, white with a dark rim.
    if 13.0 <= x <= 19.0 and 8.0 <= y <= 19.0:
        return (255, 255, 255, 255) if 14.0 <= x <= 18.0 and y >= 8.5 else (40, 40, 40, 255)
    if 19.0 <= y <= 27.0 and abs(x - 16.0) <= (27.0 - y) * 1.1:
        return (255, 255, 255, 255) if abs(x - 16.0) <= (26.0 - y) * 1.1 - 0.4 else (40, 40, 40, 255)
    # The book, with rounded corners: a cover with a spine, and the page edges at the bottom.
    if 4.5 <= x <= 27.5 and 2.5 <= y <= 29.5 and rounded(x, y, 4.5, 2.5, 27.5, 29.5, 2.5):
        if y >= 25.5 and x >= 8.0:
            return (245, 240, 225, 255) if y <= 28.0 and x <= 26.0 else (30, 90, 60, 255)
        if x <= 8.0:
            return (20, 70, 45, 255)
        return (45, 140, 90, 255)
    return None


def rounded(x, y, left, top, right, bottom, radius):
    """Whether (x, y) inside the box also lies inside its rounded corners."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def pixels():
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            r = g = b = a = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    c = inside(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
                    if c:
                        r, g, b, a = r + c[0] * c[3], g + c[1] * c[3], b + c[2] * c[3], a + c[3]
            if a:
                row.append((r // a, g // a, b // a, a // (SUB * SUB)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico(rows):
    # The image: a BITMAPINFOHEADER of twice the height (colour plus mask), BGRA rows bottom-up,
    # then the AND mask (1 = transparent), rows padded to 32 bits.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask = b""
    for row in reversed(rows):
        bits = 0
        for (_, _, _, a) in row:
            bits = (bits << 1) | (1 if a == 0 else 0)
        mask += struct.pack(">I", bits)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(ico(pixels()))
