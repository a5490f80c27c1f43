#!/usr/bin/env python3
"""Draws the program's two icon groups: nine images each, 8 and 32 bits per pixel.

Usage: make_icons.py OUTPUT_DIR  (writes session.ico and small.ico)
"""
import math
import struct
import sys

SIZES_8BPP = (256, 48, 32, 16)
SIZES_32BPP = (256, 64, 48, 32, 16)

# A rounded square with a window frame and a "V" in it; (r, g, b) per theme.
THEMES = {
    "session.ico": {"back": (20, 110, 160), "frame": (235, 245, 250), "mark": (250, 190, 40)},
    "small.ico": {"back": (30, 140, 90), "frame": (240, 250, 240), "mark": (250, 250, 250)},
}


def pixel(theme, size, x, y):
    """RGBA of one pixel, or None where the icon is transparent."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    # rounded square: distance outside the inner rectangle against the corner radius
    radius = 0.18
    dx = max(abs(u - 0.5) - (0.5 - radius - 0.02), 0.0)
    dy = max(abs(v - 0.5) - (0.5 - radius - 0.02), 0.0)
    if math.hypot(dx, dy) > radius:
        return None
    colour = theme["back"]
    if 0.16 < u < 0.84 and 0.2 < v < 0.3:
        colour = theme["frame"]  # title bar
    elif (0.16 < u < 0.2 or 0.8 < u < 0.84) and 0.2 < v < 0.82:
        colour = theme["frame"]
    elif 0.78 < v < 0.82 and 0.16 < u < 0.84:
        colour = theme["frame"]
    else:
        # the two strokes of a V from (0.3, 0.36) and (0.7, 0.36) down to (0.5, 0.72)
        for x0 in (0.3, 0.7):
            ax, ay, bx, by = x0, 0.36, 0.5, 0.72
            t = max(0.0, min(1.0, ((u - ax) * (bx - ax) + (v - ay) * (by - ay)) /
                             ((bx - ax) ** 2 + (by - ay) ** 2)))
            if math.hypot(u - (ax + t * (bx - ax)), v - (ay + t * (by - ay))) < 0.06:
                colour = theme["mark"]
    return colour + (255,)


def palette_of(theme):
    colours = [(0, 0, 0)] + [theme["back"], theme["frame"], theme["mark"]]
    return colours + [(0, 0, 0)] * (256 - len(colours))


def and_mask(rows, size):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in rows:  # bottom-up already
        bits = bytearray(stride)
        for x, value in enumerate(row):
            if value is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def image(theme, size, bits):
    rows = [[pixel(theme, size, x, y) for x in range(size)] for y in reversed(range(size))]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    body = bytearray()
    if bits == 32:
        for row in rows:
            for value in row:
                r, g, b, a = value if value is not None else (0, 0, 0, 0)
                body += bytes((b, g, r, a))
        palette = b""
    else:
        colours = palette_of(theme)
        index = {c: i for i, c in reversed(list(enumerate(colours)))}
        stride = (size + 3) // 4 * 4
        for row in rows:
            line = bytearray(stride)
            for x, value in enumerate(row):
                line[x] = 0 if value is None else index[value[:3]]
            body += line
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    return header + palette + bytes(body) + and_mask(rows, size)


def icon(theme):
    entries = [(s, 8) for s in SIZES_8BPP] + [(s, 32) for s in SIZES_32BPP]
    images = [image(theme, size, bits) for size, bits in entries]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), data in zip(entries, images):
        side = 0 if size == 256 else size  # 0 stands for 256 in the directory
        colours = 0 if bits >= 8 else 1 << bits
        out += struct.pack("<BBBBHHII", side, side, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    folder = sys.argv[1]
    for name, theme in THEMES.items():
        with open(f"{folder}/{name}", "wb") as out:
            out.write(icon(theme))


if __name__ == "__main__":
    main()
