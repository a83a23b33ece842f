#!/usr/bin/env python3
"""Draws Quorlet's icon group: a padlock on a blue tile, at 48, 32 and 16
pixels, each in 16 colours and in 256 colours, written as one .ico file.

Usage: make_icon.py OUTPUT.ico
"""
import math
import struct
import sys

SIZES = (48, 32, 16)
SAMPLES = 4  # per axis, for smooth edges

# The 16 colours every display has.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """The 16 base colours, a 6x6x6 cube and a grey ramp: 256 in all."""
    colours = list(VGA16)
    steps = (0, 51, 102, 153, 204, 255)
    colours += [(r, g, b) for r in steps for g in steps for b in steps]
    while len(colours) < 256:
        level = int(8 + (len(colours) - 232) * 10)
        colours.append((min(level, 255),) * 3)
    return colours[:256]


def inside_rounded_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shade(x, y):
    """Colour at a point of the unit square, or None where transparent."""
    # Keyhole: a round hole and a slot below it.
    if (x - 0.5) ** 2 + (y - 0.64) ** 2 <= 0.065 ** 2 or (abs(x - 0.5) <= 0.03 and 0.64 <= y <= 0.80):
        return (20, 16, 0)
    # Body: gold with a darker rim and a light upper edge.
    if inside_rounded_rect(x, y, 0.20, 0.44, 0.80, 0.90, 0.06):
        if not inside_rounded_rect(x, y, 0.24, 0.48, 0.76, 0.86, 0.04):
            return (150, 100, 0)
        return (255, 215, 60) if y < 0.56 else (230, 170, 0)
    # Shackle: a steel arch standing on the body.
    r = math.hypot(x - 0.5, y - 0.44)
    if y <= 0.44 and 0.14 <= r <= 0.23:
        return (210, 210, 220) if r < 0.19 else (120, 120, 130)
    if 0.44 < y <= 0.46 and (0.27 <= x <= 0.36 or 0.64 <= x <= 0.73):
        return (120, 120, 130)
    # Tile: deep blue with a lighter border.
    if inside_rounded_rect(x, y, 0.02, 0.02, 0.98, 0.98, 0.16):
        if not inside_rounded_rect(x, y, 0.06, 0.06, 0.94, 0.94, 0.13):
            return (60, 110, 200)
        return (20, 50, 140)
    return None


def render(size):
    """Rows of (r, g, b) or None, top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = []
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shade((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    if c is not None:
                        hits.append(c)
            if len(hits) * 2 < SAMPLES * SAMPLES:
                row.append(None)
            else:
                row.append(tuple(sum(c[i] for c in hits) // len(hits) for i in range(3)))
        rows.append(row)
    return rows


def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((colour[k] - palette[i][k]) ** 2 for k in range(3)))


def padded(data):
    return data + b"\0" * (-len(data) % 4)


def image(size, bits):
    palette = VGA16 if bits == 4 else palette256()
    pixels = render(size)
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bottom-up, as device-independent bitmaps are
        indices = [0 if c is None else nearest(c, palette) for c in row]
        if bits == 4:
            packed = bytes((indices[i] << 4) | (indices[i + 1] if i + 1 < size else 0) for i in range(0, size, 2))
        else:
            packed = bytes(indices)
        xor_rows.append(padded(packed))
        mask = bytearray((size + 7) // 8)
        for i, c in enumerate(row):
            if c is None:
                mask[i // 8] |= 0x80 >> (i % 8)
        and_rows.append(padded(bytes(mask)))
    xor, andmask = b"".join(xor_rows), b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(andmask), 0, 0,
                         len(palette), 0)
    colours = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + xor + andmask


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    entries = [(size, bits) for size in SIZES for bits in (4, 8)]
    images = [image(size, bits) for size, bits in entries]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for (size, bits), data in zip(entries, images):
        out += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
