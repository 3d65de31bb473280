#!/usr/bin/env python3
"""mkdemoimages: draws the pictures of the start-up dialog (background, emblem, button
states) and writes them as PNG files into data/assets/images/demo/."""
import math
import os
import struct
import sys
import zlib


def write_png(path, width, height, pixel):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw += bytes(pixel(x, y))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                  + chunk(b"IEND", b""))


def background(x, y):
    # A dark blue study, lighter towards the top, with a thin frame.
    if x < 8 or y < 8 or x >= 792 or y >= 592:
        return (70, 52, 30, 255)
    shade = 1.0 - y / 600.0 * 0.5
    return (int(24 * shade), int(40 * shade), int(72 * shade), 255)


def emblem(x, y):
    # A magnifying glass: a ring with a handle.
    cx, cy = 52, 52
    d = math.hypot(x - cx, y - cy)
    if 34 <= d <= 44:
        return (214, 180, 90, 255)
    if d < 34:
        return (170, 210, 235, 110)
    if x > 80 and y > 80 and abs((x - 80) - (y - 80)) < 7 and x < 124 and y < 124:
        return (120, 80, 40, 255)
    return (0, 0, 0, 0)


def button(fill, border):
    def pixel(x, y):
        if x < 3 or y < 3 or x >= 177 or y >= 41:
            return border + (255,)
        return fill + (255,)
    return pixel


def rail(x, y):
    return (90, 80, 60, 255) if 5 <= x <= 10 else (0, 0, 0, 0)


def thumb(colour):
    def pixel(x, y):
        d = math.hypot(x - 11.5, y - 11.5)
        if d <= 9:
            return colour + (255,)
        if d <= 11:
            return (40, 30, 20, 255)
        return (0, 0, 0, 0)
    return pixel


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "data/assets/images/demo"
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "background.png"), 800, 600, background)
    write_png(os.path.join(folder, "emblem.png"), 128, 128, emblem)
    write_png(os.path.join(folder, "button_up.png"), 180, 44, button((60, 110, 60), (200, 200, 160)))
    write_png(os.path.join(folder, "button_down.png"), 180, 44, button((30, 70, 30), (255, 255, 200)))
    write_png(os.path.join(folder, "button_over.png"), 180, 44, button((80, 150, 80), (255, 255, 200)))
    write_png(os.path.join(folder, "rail_end.png"), 16, 8, rail)
    write_png(os.path.join(folder, "rail_mid.png"), 16, 16, rail)
    write_png(os.path.join(folder, "thumb.png"), 24, 24, thumb((214, 180, 90)))
    write_png(os.path.join(folder, "thumb_over.png"), 24, 24, thumb((250, 220, 130)))


if __name__ == "__main__":
    main()
