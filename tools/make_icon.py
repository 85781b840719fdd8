#!/usr/bin/env python3
"""Writes the window program's icon: one 32x32 image with 16 colours, as an .ico file.

The picture is drawn here from a few shapes, so the icon is built from source and no binary
file needs to be kept in the repository. Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZE = 32

# The 16 colours of the classic VGA palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_RED, OLIVE, GREY, RED, YELLOW, WHITE = 0, 1, 3, 8, 9, 11, 15
TRANSPARENT = None


def draw():
    """Rows top to bottom; each pixel a palette index or TRANSPARENT."""
    pixels = [[TRANSPARENT] * SIZE for _ in range(SIZE)]
    # A page with cut corners in the site's dark olive, framed in black.
    for y in range(1, 31):
        for x in range(3, 29):
            corner = (y - 1) + (x - 3) < 2 or (y - 1) + (28 - x) < 2 or (30 - y) + (x - 3) < 2 or (30 - y) + (28 - x) < 2
            if corner:
                continue
            edge = y in (1, 30) or x in (3, 28) or (y - 1) + (x - 3) == 2 or (y - 1) + (28 - x) == 2 \
                or (30 - y) + (x - 3) == 2 or (30 - y) + (28 - x) == 2
            pixels[y][x] = BLACK if edge else OLIVE
    # A red gem in the upper left, with a white glint.
    for y in range(4, 13):
        for x in range(6, 15):
            if abs(x - 10) + abs(y - 8) <= 4:
                pixels[y][x] = RED if abs(x - 10) + abs(y - 8) < 4 else DARK_RED
    pixels[6][9] = WHITE
    # Lines of golden text beside and below the gem.
    for y, (start, end) in [(6, (17, 26)), (9, (17, 24)), (15, (6, 26)), (18, (6, 22)), (21, (6, 26)), (24, (6, 19))]:
        for x in range(start, end):
            pixels[y][x] = YELLOW
    # A grey rule above the text block.
    for x in range(6, 26):
        pixels[13][x] = GREY
    return pixels


def encode(pixels):
    xor_rows = []
    and_rows = []
    for row in reversed(pixels):  # bitmaps are stored bottom row first
        nibbles = [0 if p is TRANSPARENT else p for p in row]
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        mask = 0
        for x, p in enumerate(row):
            if p is TRANSPARENT:
                mask |= 1 << (31 - x)
        and_rows.append(struct.pack(">I", mask))
    xor_bits = b"".join(xor_rows)
    and_bits = b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + xor_bits + and_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    with open(sys.argv[1], "wb") as out:
        out.write(encode(draw()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
