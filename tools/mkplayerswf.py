#!/usr/bin/env python3
"""mkplayerswf: assembles the cinematic player movie (an uncompressed SWF of version 6,
800 x 600, 30 frames a second, 3 frames, 1498 bytes) and writes it as C++ source.

Frame 1 loads the movie named by the "swf" parameter into level 1; the rest of the action
block is a constant that pads the file to its fixed size. No player runs it on Linux."""
import struct
import sys

TOTAL = 1498
WIDTH_TWIPS = 800 * 20
HEIGHT_TWIPS = 600 * 20


def rect(xmin, xmax, ymin, ymax, nbits=15):
    bits = format(nbits, "05b")
    for value in (xmin, xmax, ymin, ymax):
        bits += format(value & ((1 << nbits) - 1), "0%db" % nbits)
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def tag(code, body, long_form=False):
    if len(body) < 63 and not long_form:
        return struct.pack("<H", (code << 6) | len(body)) + body
    return struct.pack("<HI", (code << 6) | 0x3F, len(body)) + body


def push_string(text):
    data = b"\x00" + text.encode("ascii") + b"\x00"
    return b"\x96" + struct.pack("<H", len(data)) + data


def build(padding):
    actions = push_string("swf") + b"\x1c"          # GetVariable "swf"
    actions += push_string("_level1")                  # target level
    actions += b"\x9a" + struct.pack("<H", 1) + b"\x00"  # GetURL2: load into the level
    actions += push_string("x" * padding) + b"\x17"  # padding constant, Pop
    actions += b"\x00"                                 # End
    tags = tag(9, b"\x00\x00\x00")                     # SetBackgroundColor black
    tags += tag(12, actions, long_form=True)           # DoAction
    tags += tag(1, b"") * 3                            # ShowFrame x 3
    tags += tag(0, b"")                                # End
    header = rect(0, WIDTH_TWIPS, 0, HEIGHT_TWIPS) + struct.pack("<BBH", 0, 30, 3)
    body = header + tags
    return b"FWS" + bytes([6]) + struct.pack("<I", 8 + len(body)) + body


def main():
    size_without = len(build(0))
    data = build(TOTAL - size_without)
    assert len(data) == TOTAL and data[18] == 30, (len(data), data[18])
    with open(sys.argv[1], "w") as out:
        out.write("// playerswf: the cinematic player movie the host writes beside each cinematic\n")
        out.write("// (made by tools/mkplayerswf.py; byte 18 is the integer part of the frame rate).\n")
        out.write("#include \"platform/flashhost.h\"\n\n")
        out.write("const unsigned char _kSwfData[kSwfDataSize] = {\n")
        for i in range(0, len(data), 16):
            out.write("  " + ", ".join("0x%02x" % b for b in data[i:i + 16]) + ",\n")
        out.write("};\n")


if __name__ == "__main__":
    main()
