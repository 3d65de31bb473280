#!/usr/bin/env python3
"""mkcursor: draws the arrow pointer (white with a black outline, tip at pixel 1,1, on the
magenta that cursor images use for "transparent") and writes it as a PNG file, or with
--c-array as the C++ source of the built-in cursor."""
import io
import sys

from PIL import Image

SIZE = 32
ARROW = [
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.........X",
    "X......XXXXX",
    "X...X..X",
    "X..XX..X",
    "X.X  X..X",
    "XX   X..X",
    "X     X..X",
    "      X..X",
    "       XX",
]


def pixels():
    colours = {"X": (0, 0, 0, 255), ".": (255, 255, 255, 255)}
    data = []
    for y in range(SIZE):
        line = ARROW[y - 1] if 1 <= y <= len(ARROW) else ""
        for x in range(SIZE):
            c = line[x - 1] if 1 <= x <= len(line) else " "
            data.append(colours.get(c, (255, 0, 255, 255)))
    return data


def png(data):
    image = Image.new("RGBA", (SIZE, SIZE))
    image.putdata(data)
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


def main():
    data = png(pixels())
    if len(sys.argv) > 2 and sys.argv[1] == "--c-array":
        with open(sys.argv[2], "w") as out:
            out.write("// systemcursorimage: the built-in pointer image (PNG), made by tools/mkcursor.py.\n")
            out.write("// Registered as the memory file \"__systemcursor__.png\" unless the game has one.\n")
            out.write("#include <cstddef>\n\n")
            out.write("extern const unsigned char kSystemCursorPng[];\nextern const size_t kSystemCursorPngSize;\n\n")
            out.write("const unsigned char kSystemCursorPng[] = {\n")
            for i in range(0, len(data), 16):
                out.write("  " + ", ".join("0x%02x" % b for b in data[i:i + 16]) + ",\n")
            out.write("};\nconst size_t kSystemCursorPngSize = sizeof(kSystemCursorPng);\n")
    else:
        with open(sys.argv[1], "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
