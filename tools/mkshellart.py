#!/usr/bin/python3
"""mkshellart: draws the pictures of the game's menus and dialogs (backgrounds, panels, button,
arrow, check box, list row and slider states, an emblem) with Cairo, anti-aliased, and writes
them as PNG files into data/assets/images/shell/ (or the folder given). Texts are not drawn
here: the windows lay them out in the game's own font.
Run with Debian's python3 (python3-cairo): /usr/bin/python3 tools/mkshellart.py"""
import math
import os
import sys

import cairo

from gameart.draw import GOLD, GOLD_LIGHT, INK, rounded, surface, vertical

NAVY_TOP = (0.13, 0.18, 0.27)
NAVY_BOTTOM = (0.05, 0.07, 0.11)


def magnifier(ctx, cx, cy, radius, colour, alpha):
    ctx.set_source_rgba(*colour, alpha)
    ctx.set_line_width(radius * 0.22)
    ctx.arc(cx, cy, radius, 0, 2 * math.pi)
    ctx.stroke()
    ctx.set_line_width(radius * 0.32)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.move_to(cx + radius * 0.78, cy + radius * 0.78)
    ctx.line_to(cx + radius * 1.75, cy + radius * 1.75)
    ctx.stroke()


def background(path):
    s = surface(800, 600)
    ctx = cairo.Context(s)
    vertical(ctx, NAVY_TOP, NAVY_BOTTOM, 0, 600)
    ctx.paint()
    # Wood panelling: soft vertical boards.
    for board in range(0, 800, 80):
        ctx.set_source_rgba(1, 1, 1, 0.025 if (board // 80) % 2 else 0.0)
        ctx.rectangle(board, 0, 80, 600)
        ctx.fill()
        ctx.set_source_rgba(0, 0, 0, 0.25)
        ctx.rectangle(board, 0, 1.5, 600)
        ctx.fill()
    # A lamp's light from above.
    light = cairo.RadialGradient(400, 40, 20, 400, 120, 520)
    light.add_color_stop_rgba(0, 1.0, 0.93, 0.7, 0.28)
    light.add_color_stop_rgba(1, 1.0, 0.93, 0.7, 0.0)
    ctx.set_source(light)
    ctx.paint()
    magnifier(ctx, 660, 430, 70, GOLD, 0.10)
    # A double frame in gold.
    ctx.set_source_rgba(*GOLD, 0.9)
    ctx.set_line_width(3)
    ctx.rectangle(10.5, 10.5, 779, 579)
    ctx.stroke()
    ctx.set_line_width(1)
    ctx.rectangle(17.5, 17.5, 765, 565)
    ctx.stroke()
    s.write_to_png(path)


def panel(path, width, height):
    s = surface(width, height)
    ctx = cairo.Context(s)
    # Shadow, then parchment with a dark edge and a thin gold line inside.
    ctx.set_source_rgba(0, 0, 0, 0.45)
    rounded(ctx, 8, 10, width - 10, height - 12, 18)
    ctx.fill()
    rounded(ctx, 2, 2, width - 10, height - 12, 16)
    vertical(ctx, (0.95, 0.90, 0.78), (0.84, 0.76, 0.58), 0, height)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(3)
    ctx.stroke()
    rounded(ctx, 10, 10, width - 26, height - 28, 10)
    ctx.set_source_rgba(*GOLD, 0.95)
    ctx.set_line_width(1.5)
    ctx.stroke()
    s.write_to_png(path)


def button(path, width, height, state):
    s = surface(width, height)
    ctx = cairo.Context(s)
    shift = 1 if state == "down" else 0
    top, bottom = {"up": ((0.55, 0.20, 0.18), (0.36, 0.11, 0.10)),
                   "over": ((0.70, 0.28, 0.24), (0.47, 0.15, 0.13)),
                   "down": ((0.30, 0.09, 0.08), (0.45, 0.15, 0.13))}[state]
    rounded(ctx, 2, 2 + shift, width - 4, height - 5, 10)
    vertical(ctx, top, bottom, 0, height)
    ctx.fill_preserve()
    ctx.set_source_rgb(*(GOLD_LIGHT if state == "over" else GOLD))
    ctx.set_line_width(2)
    ctx.stroke()
    # A sheen on the upper half.
    rounded(ctx, 6, 5 + shift, width - 12, (height - 10) / 2, 7)
    ctx.set_source_rgba(1, 1, 1, 0.10 if state != "down" else 0.04)
    ctx.fill()
    s.write_to_png(path)


def arrow(path, direction, state):
    size = 40
    s = surface(size, size)
    ctx = cairo.Context(s)
    fill = {"up": (0.36, 0.11, 0.10), "over": (0.55, 0.20, 0.18), "down": (0.25, 0.07, 0.06)}[state]
    ctx.arc(20, 20, 17, 0, 2 * math.pi)
    ctx.set_source_rgb(*fill)
    ctx.fill_preserve()
    ctx.set_source_rgb(*(GOLD_LIGHT if state == "over" else GOLD))
    ctx.set_line_width(2)
    ctx.stroke()
    angle = {"right": 0, "down": math.pi / 2, "left": math.pi, "up": -math.pi / 2}[direction]
    ctx.translate(20, 20)
    ctx.rotate(angle)
    ctx.move_to(8, 0)
    ctx.line_to(-5, -8)
    ctx.line_to(-5, 8)
    ctx.close_path()
    ctx.set_source_rgb(*GOLD_LIGHT)
    ctx.fill()
    s.write_to_png(path)


def check(path, on, over):
    s = surface(32, 32)
    ctx = cairo.Context(s)
    rounded(ctx, 3, 3, 26, 26, 5)
    ctx.set_source_rgb(0.98, 0.95, 0.86) if not over else ctx.set_source_rgb(1.0, 0.98, 0.90)
    ctx.fill_preserve()
    ctx.set_source_rgb(*(INK if not over else (0.45, 0.15, 0.13)))
    ctx.set_line_width(2.5)
    ctx.stroke()
    if on:
        ctx.set_source_rgb(0.45, 0.12, 0.10)
        ctx.set_line_width(4)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.move_to(9, 16)
        ctx.line_to(14, 22)
        ctx.line_to(23, 9)
        ctx.stroke()
    s.write_to_png(path)


def row(path, on, over):
    width, height = 300, 30
    s = surface(width, height)
    ctx = cairo.Context(s)
    if on or over:
        rounded(ctx, 1, 1, width - 2, height - 2, 6)
        # A gold highlight keeps the dark label readable on the picked row.
        if on:
            vertical(ctx, GOLD_LIGHT, GOLD, 0, height, 0.95)
        else:
            ctx.set_source_rgba(*GOLD_LIGHT, 0.35)
        ctx.fill_preserve()
        ctx.set_source_rgba(0.45, 0.15, 0.13, 0.9 if on else 0.5)
        ctx.set_line_width(1.5)
        ctx.stroke()
    else:
        ctx.set_source_rgba(*INK, 0.25)
        ctx.set_line_width(1)
        ctx.move_to(10, height - 1.5)
        ctx.line_to(width - 10, height - 1.5)
        ctx.stroke()
    s.write_to_png(path)


def rail(path, length):
    # Drawn upright; a horizontal slider lays it on its side.
    s = surface(16, length)
    ctx = cairo.Context(s)
    rounded(ctx, 4.5, 0, 7, length, 3.5 if length < 12 else 0.01)
    ctx.set_source_rgb(*INK)
    ctx.fill()
    ctx.rectangle(6.5, 0, 3, length)
    ctx.set_source_rgba(*GOLD, 0.6)
    ctx.fill()
    s.write_to_png(path)


def thumb(path, over):
    s = surface(24, 24)
    ctx = cairo.Context(s)
    shine = cairo.RadialGradient(9, 9, 2, 12, 12, 11)
    shine.add_color_stop_rgb(0, *(GOLD_LIGHT if not over else (1.0, 0.95, 0.75)))
    shine.add_color_stop_rgb(1, *(GOLD if not over else GOLD_LIGHT))
    ctx.arc(12, 12, 10, 0, 2 * math.pi)
    ctx.set_source(shine)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    s.write_to_png(path)


def emblem(path):
    s = surface(128, 128)
    ctx = cairo.Context(s)
    ctx.arc(52, 52, 36, 0, 2 * math.pi)
    ctx.set_source_rgba(0.67, 0.82, 0.92, 0.35)
    ctx.fill()
    magnifier(ctx, 52, 52, 38, GOLD, 1.0)
    s.write_to_png(path)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "data/assets/images/shell"
    os.makedirs(folder, exist_ok=True)
    out = lambda name: os.path.join(folder, name)
    background(out("background.png"))
    panel(out("panel.png"), 560, 460)
    panel(out("panel_small.png"), 500, 240)
    panel(out("panel_wide.png"), 760, 570)
    for state in ("up", "down", "over"):
        button(out("button_%s.png" % state), 220, 46, state)
        button(out("smallbutton_%s.png" % state), 150, 40, state)
        for direction in ("left", "right", "up", "down"):
            arrow(out("arrow_%s_%s.png" % (direction, state)), direction, state)
    for on in (False, True):
        for over in (False, True):
            suffix = ("on" if on else "off") + ("_over" if over else "")
            check(out("check_%s.png" % suffix), on, over)
            row(out("row_%s.png" % suffix), on, over)
    rail(out("rail_end.png"), 8)
    rail(out("rail_mid.png"), 16)
    thumb(out("thumb.png"), False)
    thumb(out("thumb_over.png"), True)
    emblem(out("emblem.png"))


if __name__ == "__main__":
    main()
