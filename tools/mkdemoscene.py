#!/usr/bin/python3
"""mkdemoscene: draws the pictures of the demo scene that the scene tests and benchmarks load
(a room background as JPEG, an atlas of a key, two lamps and two button faces as PNG) with
Cairo, and writes the resources file that cuts the atlas into named images.
Usage: /usr/bin/python3 tools/mkdemoscene.py OUTPUT_FOLDER  (writes OUTPUT/scenes/demo/...)
Run with Debian's python3 (python3-cairo, python3-pil)."""
import io
import math
import os
import sys

import cairo
from PIL import Image

# Flat colours, so the tests can find each thing by its pixels.
WALL = (120, 90, 60)
FLOOR = (70, 50, 35)
WINDOW = (150, 190, 230)
GOLD = (230, 190, 40)
LAMP_OFF = (80, 80, 90)
LAMP_ON = (255, 235, 120)
STAND = (40, 35, 30)
BUTTON = (40, 70, 160)
BUTTON_HOVER = (70, 110, 220)

RESOURCES = """<resources>
  <textures>
    <texture id="bg_tex" file="scenes/demo/room_bg.jpg"/>
    <texture id="atlas" file="scenes/demo/atlas.png"/>
  </textures>
  <images>
    <image id="bg" texture="bg_tex" x="0" y="0" w="800" h="600"/>
    <image id="key" texture="atlas" x="0" y="0" w="64" h="64" px="32" py="32"/>
    <image id="lamp_off" texture="atlas" x="64" y="0" w="64" h="128"/>
    <image id="lamp_on" texture="atlas" x="128" y="0" w="64" h="128"/>
    <image id="button_n" texture="atlas" x="0" y="128" w="160" h="48"/>
    <image id="button_h" texture="atlas" x="0" y="176" w="160" h="48"/>
  </images>
  <empties>
    <image id="counter_box" x="0" y="0" w="160" h="40"/>
    <image id="label_box" x="0" y="0" w="160" h="48"/>
  </empties>
</resources>
"""


def rgb(ctx, colour):
    ctx.set_source_rgb(*(c / 255.0 for c in colour))


def background(path):
    surface = cairo.ImageSurface(cairo.FORMAT_RGB24, 800, 600)
    ctx = cairo.Context(surface)
    rgb(ctx, WALL)
    ctx.paint()
    rgb(ctx, FLOOR)
    ctx.rectangle(0, 480, 800, 120)
    ctx.fill()
    rgb(ctx, WINDOW)
    ctx.rectangle(80, 60, 180, 180)
    ctx.fill()
    # JPEG through Pillow: Cairo writes PNG only.
    png = io.BytesIO()
    surface.write_to_png(png)
    png.seek(0)
    Image.open(png).convert("RGB").save(path, "JPEG", quality=95)


def key(ctx):
    """A key in the 64 x 64 cell at the origin, its shaft through the centre (32, 32)."""
    rgb(ctx, GOLD)
    ctx.set_fill_rule(cairo.FILL_RULE_EVEN_ODD)
    ctx.arc(18, 32, 14, 0, 2 * math.pi)
    ctx.new_sub_path()
    ctx.arc(18, 32, 7, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_fill_rule(cairo.FILL_RULE_WINDING)
    ctx.rectangle(28, 28, 32, 8)
    ctx.rectangle(46, 36, 4, 10)
    ctx.rectangle(54, 36, 4, 10)
    ctx.fill()


def lamp(ctx, x, shade):
    """A standing lamp in the 64 x 128 cell at (x, 0)."""
    rgb(ctx, STAND)
    ctx.rectangle(x + 29, 50, 6, 70)
    ctx.rectangle(x + 14, 118, 36, 8)
    ctx.fill()
    rgb(ctx, shade)
    ctx.move_to(x + 18, 4)
    ctx.line_to(x + 46, 4)
    ctx.line_to(x + 60, 54)
    ctx.line_to(x + 4, 54)
    ctx.close_path()
    ctx.fill()


def button(ctx, y, colour):
    """A rounded button face in the 160 x 48 cell at (0, y)."""
    rgb(ctx, colour)
    r = 10
    ctx.new_sub_path()
    ctx.arc(160 - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(160 - r, y + 48 - r, r, 0, math.pi / 2)
    ctx.arc(r, y + 48 - r, r, math.pi / 2, math.pi)
    ctx.arc(r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()
    ctx.fill()


def atlas(path):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, 256, 256)
    ctx = cairo.Context(surface)
    key(ctx)
    lamp(ctx, 64, LAMP_OFF)
    lamp(ctx, 128, LAMP_ON)
    button(ctx, 128, BUTTON)
    button(ctx, 176, BUTTON_HOVER)
    surface.write_to_png(path)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = os.path.join(sys.argv[1], "scenes", "demo")
    os.makedirs(folder, exist_ok=True)
    background(os.path.join(folder, "room_bg.jpg"))
    atlas(os.path.join(folder, "atlas.png"))
    with open(os.path.join(folder, "demo_res.xml"), "w", encoding="utf-8") as out:
        out.write(RESOURCES)


if __name__ == "__main__":
    main()
