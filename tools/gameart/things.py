"""things: the findable objects of the search rooms, each drawn alone on a transparent picture
(so the game's hit test is by pixel), recognisable at a glance, with an ink outline."""
import math

from gameart.draw import (INK, canvas, ellipse, fill_stroke, radial, rounded, shade, star,
                          vertical)

# name: (width, height, drawing function); each drawing fills its picture, leaving a 3 px margin.
THINGS = {}


def thing(name, width, height):
    def register(function):
        THINGS[name] = (width, height, function)
        return function
    return register


def draw_thing(name):
    width, height, function = THINGS[name]
    s, ctx = canvas(width, height)
    function(ctx, width, height)
    return s


@thing("key", 92, 40)
def key(ctx, w, h):
    brass = (0.85, 0.66, 0.22)
    # The bow: a ring with a hole.
    ctx.arc(20, 20, 15, 0, 2 * math.pi)
    ctx.new_sub_path()
    ctx.arc_negative(20, 20, 7, 2 * math.pi, 0)
    fill_stroke(ctx, brass)
    # The shaft and its bit.
    ctx.rectangle(34, 16, 52, 8)
    fill_stroke(ctx, brass)
    ctx.rectangle(70, 24, 7, 10)
    fill_stroke(ctx, brass)
    ctx.rectangle(80, 24, 6, 7)
    fill_stroke(ctx, brass)
    ctx.set_source_rgba(1, 1, 1, 0.45)
    ctx.rectangle(36, 17.5, 48, 2)
    ctx.fill()


@thing("glove", 60, 76)
def glove(ctx, w, h):
    red = (0.80, 0.12, 0.12)
    ctx.move_to(12, 70)
    ctx.line_to(12, 36)
    # Four fingers and a thumb, round-tipped.
    for i, (x, top) in enumerate(((12, 12), (22, 5), (32, 6), (42, 14))):
        ctx.line_to(x, top + 4)
        ctx.arc(x + 4.5, top + 4, 4.5, math.pi, 0)
        ctx.line_to(x + 9, 36 if i < 3 else 40)
    ctx.line_to(51, 40)
    ctx.curve_to(58, 36, 58, 44, 52, 50)
    ctx.line_to(45, 58)
    ctx.line_to(45, 70)
    ctx.close_path()
    fill_stroke(ctx, red)
    # The cuff.
    rounded(ctx, 9, 62, 39, 11, 3)
    fill_stroke(ctx, shade(red, 0.6))


@thing("umbrella", 70, 96)
def umbrella(ctx, w, h):
    canopy = (0.20, 0.32, 0.62)
    ctx.move_to(4, 42)
    ctx.curve_to(6, 10, 64, 10, 66, 42)
    for x in (55, 44, 35, 26, 15):
        ctx.curve_to(x + 6, 36, x + 2, 36, x, 42)
    ctx.close_path()
    fill_stroke(ctx, canopy)
    for x in (15, 35, 55):
        ctx.move_to(35, 12)
        ctx.line_to(x, 42)
    ctx.set_source_rgba(*shade(canopy, 0.5), 1)
    ctx.set_line_width(1.5)
    ctx.stroke()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(4)
    ctx.move_to(35, 8)
    ctx.line_to(35, 80)
    ctx.arc_negative(28, 80, 7, 0, math.pi)
    ctx.stroke()


@thing("pipe", 84, 52)
def pipe(ctx, w, h):
    wood = (0.50, 0.28, 0.13)
    # The stem, then the bowl.
    ctx.move_to(4, 14)
    ctx.curve_to(24, 12, 40, 16, 50, 24)
    ctx.line_to(50, 31)
    ctx.curve_to(38, 24, 22, 20, 4, 21)
    ctx.close_path()
    fill_stroke(ctx, (0.15, 0.12, 0.10))
    ctx.move_to(46, 12)
    ctx.line_to(78, 12)
    ctx.curve_to(78, 40, 70, 48, 62, 48)
    ctx.curve_to(52, 48, 46, 40, 46, 12)
    ctx.close_path()
    fill_stroke(ctx, wood)
    ellipse(ctx, 62, 12, 16, 4)
    fill_stroke(ctx, (0.20, 0.12, 0.06))
    ctx.set_source_rgba(1, 1, 1, 0.25)
    ctx.rectangle(50, 18, 4, 20)
    ctx.fill()


@thing("spectacles", 96, 40)
def spectacles(ctx, w, h):
    for cx in (24, 72):
        ctx.arc(cx, 22, 15, 0, 2 * math.pi)
        ctx.set_source_rgba(0.75, 0.88, 0.95, 0.55)
        ctx.fill_preserve()
        ctx.set_source_rgb(*INK)
        ctx.set_line_width(4)
        ctx.stroke()
        ctx.set_source_rgba(1, 1, 1, 0.8)
        ctx.set_line_width(2)
        ctx.arc(cx - 4, 18, 7, math.pi * 1.1, math.pi * 1.5)
        ctx.stroke()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(4)
    ctx.move_to(39, 20)
    ctx.curve_to(44, 13, 52, 13, 57, 20)
    ctx.stroke()
    ctx.move_to(9, 20)
    ctx.line_to(3, 12)
    ctx.move_to(87, 20)
    ctx.line_to(93, 12)
    ctx.stroke()


@thing("ticket", 78, 44)
def ticket(ctx, w, h):
    paper = (0.95, 0.82, 0.45)
    ctx.move_to(4, 4)
    ctx.line_to(74, 4)
    ctx.line_to(74, 16)
    ctx.arc_negative(74, 22, 6, -math.pi / 2, math.pi / 2)
    ctx.line_to(74, 40)
    ctx.line_to(4, 40)
    ctx.line_to(4, 28)
    ctx.arc_negative(4, 22, 6, math.pi / 2, -math.pi / 2)
    ctx.close_path()
    fill_stroke(ctx, paper)
    ctx.set_source_rgba(*INK, 0.8)
    ctx.set_line_width(1.5)
    ctx.set_dash([3, 3])
    ctx.move_to(56, 6)
    ctx.line_to(56, 38)
    ctx.stroke()
    ctx.set_dash([])
    ctx.select_font_face("DejaVu Sans", 0, 1)
    ctx.set_font_size(11)
    ctx.move_to(13, 20)
    ctx.show_text("ADMIT")
    ctx.move_to(19, 33)
    ctx.show_text("ONE")


@thing("pocket_watch", 60, 80)
def pocket_watch(ctx, w, h):
    gold = (0.88, 0.70, 0.25)
    ctx.set_source_rgb(*shade(gold, 0.7))
    ctx.set_line_width(3)
    ctx.arc(30, 12, 7, 0, 2 * math.pi)
    ctx.stroke()
    ctx.arc(30, 48, 26, 0, 2 * math.pi)
    fill_stroke(ctx, gold)
    ctx.arc(30, 48, 20, 0, 2 * math.pi)
    fill_stroke(ctx, (0.98, 0.96, 0.90), width=1.5)
    ctx.set_source_rgb(*INK)
    for i in range(12):
        a = i * math.pi / 6
        ctx.arc(30 + 16 * math.cos(a), 48 + 16 * math.sin(a), 1.3, 0, 2 * math.pi)
        ctx.fill()
    ctx.set_line_width(2.5)
    ctx.move_to(30, 48)
    ctx.line_to(30, 35)
    ctx.move_to(30, 48)
    ctx.line_to(39, 53)
    ctx.stroke()


@thing("feather", 44, 100)
def feather(ctx, w, h):
    vane = (0.35, 0.62, 0.70)
    ctx.move_to(22, 4)
    ctx.curve_to(42, 24, 40, 62, 24, 80)
    ctx.curve_to(8, 62, 4, 26, 22, 4)
    ctx.close_path()
    fill_stroke(ctx, vane)
    ctx.set_source_rgba(*shade(vane, 0.55), 1)
    ctx.set_line_width(1.2)
    for i in range(8):
        y = 18 + i * 7.5
        ctx.move_to(23, y + 6)
        ctx.line_to(34 - abs(i - 3), y)
        ctx.move_to(23, y + 6)
        ctx.line_to(11 + abs(i - 3), y)
    ctx.stroke()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2.5)
    ctx.move_to(22, 8)
    ctx.curve_to(24, 40, 24, 70, 20, 96)
    ctx.stroke()


@thing("teacup", 76, 56)
def teacup(ctx, w, h):
    china = (0.97, 0.97, 0.98)
    ellipse(ctx, 36, 46, 32, 7)
    fill_stroke(ctx, (0.90, 0.90, 0.94))
    ctx.arc(58, 24, 10, -math.pi / 2, math.pi / 2)
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(7)
    ctx.stroke_preserve()
    ctx.set_source_rgb(*china)
    ctx.set_line_width(3.5)
    ctx.stroke()
    ctx.move_to(12, 12)
    ctx.line_to(60, 12)
    ctx.curve_to(60, 34, 52, 44, 36, 44)
    ctx.curve_to(20, 44, 12, 34, 12, 12)
    ctx.close_path()
    fill_stroke(ctx, china)
    ellipse(ctx, 36, 12, 24, 5)
    fill_stroke(ctx, (0.62, 0.38, 0.18), width=1.5)
    ctx.set_source_rgb(0.25, 0.45, 0.75)
    ctx.set_line_width(3)
    ctx.move_to(16, 24)
    ctx.curve_to(28, 30, 44, 30, 57, 24)
    ctx.stroke()


@thing("candle", 40, 96)
def candle(ctx, w, h):
    radial(ctx, 20, 18, 18, (1.0, 0.9, 0.5), (1.0, 0.8, 0.3), 0.7, 0.0)
    ctx.arc(20, 18, 18, 0, 2 * math.pi)
    ctx.fill()
    ctx.move_to(20, 4)
    ctx.curve_to(28, 16, 27, 26, 20, 28)
    ctx.curve_to(13, 26, 12, 16, 20, 4)
    fill_stroke(ctx, (1.0, 0.78, 0.22), (0.85, 0.40, 0.10), 1.5)
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.move_to(20, 28)
    ctx.line_to(20, 33)
    ctx.stroke()
    rounded(ctx, 10, 32, 20, 50, 3)
    fill_stroke(ctx, (0.97, 0.94, 0.84))
    ellipse(ctx, 20, 86, 17, 6)
    fill_stroke(ctx, (0.80, 0.62, 0.25))


@thing("ink_bottle", 56, 64)
def ink_bottle(ctx, w, h):
    rounded(ctx, 6, 22, 44, 38, 8)
    fill_stroke(ctx, (0.12, 0.16, 0.35))
    rounded(ctx, 18, 8, 20, 16, 3)
    fill_stroke(ctx, (0.15, 0.15, 0.15))
    rounded(ctx, 13, 32, 30, 16, 2)
    fill_stroke(ctx, (0.95, 0.92, 0.80), width=1.5)
    ctx.set_source_rgb(*INK)
    ctx.select_font_face("DejaVu Serif", 0, 1)
    ctx.set_font_size(10)
    ctx.move_to(18, 44)
    ctx.show_text("INK")
    ctx.set_source_rgba(1, 1, 1, 0.3)
    ctx.rectangle(10, 26, 4, 28)
    ctx.fill()


@thing("scissors", 80, 56)
def scissors(ctx, w, h):
    steel = (0.78, 0.80, 0.84)
    ctx.set_source_rgb(*INK)
    for sign in (-1, 1):
        ctx.move_to(30, 28)
        ctx.line_to(76, 28 + sign * 14)
        ctx.line_to(76, 28 + sign * 10)
        ctx.close_path()
        fill_stroke(ctx, steel)
    for cy in (14, 42):
        ellipse(ctx, 16, cy, 12, 9)
        ctx.new_sub_path()
        ellipse(ctx, 16, cy, 6, 4)
        ctx.set_fill_rule(1)
        fill_stroke(ctx, (0.85, 0.20, 0.15))
        ctx.set_fill_rule(0)
    ctx.arc(34, 28, 3, 0, 2 * math.pi)
    fill_stroke(ctx, (0.5, 0.5, 0.5), width=1)


@thing("letter", 80, 56)
def letter(ctx, w, h):
    rounded(ctx, 4, 6, 72, 46, 3)
    fill_stroke(ctx, (0.96, 0.93, 0.84))
    ctx.move_to(5, 8)
    ctx.line_to(40, 32)
    ctx.line_to(75, 8)
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.arc(40, 32, 7, 0, 2 * math.pi)
    fill_stroke(ctx, (0.70, 0.10, 0.10), width=1.5)


@thing("apple", 56, 60)
def apple(ctx, w, h):
    ctx.move_to(28, 18)
    ctx.curve_to(48, 6, 56, 30, 46, 46)
    ctx.curve_to(40, 58, 32, 56, 28, 52)
    ctx.curve_to(24, 56, 16, 58, 10, 46)
    ctx.curve_to(0, 30, 8, 6, 28, 18)
    ctx.close_path()
    radial(ctx, 20, 26, 30, (0.95, 0.35, 0.30), (0.70, 0.08, 0.08))
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.move_to(28, 18)
    ctx.curve_to(28, 12, 30, 8, 32, 4)
    ctx.stroke()
    ctx.move_to(31, 10)
    ctx.curve_to(38, 2, 46, 6, 46, 8)
    ctx.curve_to(40, 12, 34, 12, 31, 10)
    fill_stroke(ctx, (0.30, 0.62, 0.22), width=1.5)


@thing("bowler_hat", 90, 56)
def bowler_hat(ctx, w, h):
    felt = (0.14, 0.13, 0.13)
    ellipse(ctx, 45, 44, 42, 9)
    fill_stroke(ctx, felt, (0.0, 0.0, 0.0))
    ctx.move_to(18, 44)
    ctx.curve_to(16, 4, 74, 4, 72, 44)
    ctx.close_path()
    vertical(ctx, (0.30, 0.28, 0.27), felt, 6, 44)
    ctx.fill_preserve()
    ctx.set_source_rgb(0, 0, 0)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.rectangle(18, 34, 54, 7)
    fill_stroke(ctx, (0.55, 0.15, 0.12), (0, 0, 0), 1.5)


@thing("lantern", 56, 96)
def lantern(ctx, w, h):
    metal = (0.25, 0.25, 0.28)
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(3)
    ctx.arc(28, 12, 8, math.pi, 0)
    ctx.stroke()
    rounded(ctx, 12, 14, 32, 10, 3)
    fill_stroke(ctx, metal)
    radial(ctx, 28, 50, 20, (1.0, 0.95, 0.6), (1.0, 0.70, 0.20))
    ctx.rectangle(14, 24, 28, 50)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    for x in (14, 28, 42):
        ctx.move_to(x, 24)
        ctx.line_to(x, 74)
    ctx.set_line_width(3)
    ctx.set_source_rgb(*metal)
    ctx.stroke()
    rounded(ctx, 8, 74, 40, 14, 3)
    fill_stroke(ctx, metal)


@thing("banana", 90, 50)
def banana(ctx, w, h):
    ctx.move_to(8, 14)
    ctx.curve_to(20, 44, 64, 48, 84, 18)
    ctx.curve_to(80, 14, 78, 14, 76, 16)
    ctx.curve_to(58, 34, 26, 34, 14, 10)
    ctx.close_path()
    vertical(ctx, (1.0, 0.90, 0.30), (0.90, 0.70, 0.10), 10, 44)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.rectangle(6, 6, 9, 9)
    fill_stroke(ctx, (0.35, 0.25, 0.10), width=1.5)


@thing("fish", 96, 48)
def fish(ctx, w, h):
    scale = (0.62, 0.72, 0.80)
    ctx.move_to(70, 24)
    ctx.line_to(92, 6)
    ctx.line_to(88, 24)
    ctx.line_to(92, 42)
    ctx.close_path()
    fill_stroke(ctx, shade(scale, 0.8))
    ellipse(ctx, 40, 24, 34, 17)
    vertical(ctx, (0.45, 0.55, 0.70), (0.85, 0.90, 0.92), 8, 40)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.arc(18, 20, 4, 0, 2 * math.pi)
    fill_stroke(ctx, (1, 1, 1), width=1.5)
    ctx.arc(18, 20, 1.8, 0, 2 * math.pi)
    ctx.fill()
    ctx.arc(30, 24, 10, -math.pi / 2.5, math.pi / 2.5)
    ctx.stroke()


@thing("cheese", 80, 58)
def cheese(ctx, w, h):
    yellow = (0.98, 0.80, 0.28)
    ctx.move_to(4, 24)
    ctx.line_to(76, 8)
    ctx.line_to(76, 46)
    ctx.line_to(4, 54)
    ctx.close_path()
    fill_stroke(ctx, yellow)
    ctx.move_to(4, 24)
    ctx.line_to(76, 8)
    ctx.line_to(76, 16)
    ctx.line_to(6, 30)
    ctx.close_path()
    fill_stroke(ctx, shade(yellow, 1.3), width=1.5)
    for cx, cy, r in ((24, 40, 5), (48, 30, 6), (64, 40, 4), (38, 47, 3)):
        ctx.arc(cx, cy, r, 0, 2 * math.pi)
        fill_stroke(ctx, shade(yellow, 0.75), width=1)


@thing("carrot", 92, 40)
def carrot(ctx, w, h):
    ctx.move_to(20, 10)
    ctx.curve_to(50, 8, 80, 18, 88, 22)
    ctx.curve_to(80, 26, 50, 34, 20, 32)
    ctx.curve_to(14, 28, 14, 14, 20, 10)
    ctx.close_path()
    fill_stroke(ctx, (0.96, 0.50, 0.10))
    ctx.set_source_rgba(*INK, 0.6)
    ctx.set_line_width(1.2)
    for x in (36, 52, 66):
        ctx.move_to(x, 14)
        ctx.line_to(x + 4, 18)
    ctx.stroke()
    ctx.set_source_rgb(0.25, 0.60, 0.20)
    ctx.set_line_width(4)
    for dy in (-8, 0, 8):
        ctx.move_to(18, 21)
        ctx.line_to(4, 21 + dy * 1.5)
    ctx.stroke()


@thing("bottle", 36, 100)
def bottle(ctx, w, h):
    ctx.move_to(13, 4)
    ctx.line_to(23, 4)
    ctx.line_to(23, 30)
    ctx.curve_to(33, 38, 33, 40, 33, 48)
    ctx.line_to(33, 92)
    ctx.line_to(3, 92)
    ctx.line_to(3, 48)
    ctx.curve_to(3, 40, 3, 38, 13, 30)
    ctx.close_path()
    vertical(ctx, (0.20, 0.45, 0.22), (0.08, 0.25, 0.10), 4, 92)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    rounded(ctx, 6, 54, 24, 24, 2)
    fill_stroke(ctx, (0.96, 0.92, 0.80), width=1.5)
    ctx.rectangle(12, 4, 12, 8)
    fill_stroke(ctx, (0.60, 0.15, 0.12), width=1.5)
    ctx.set_source_rgba(1, 1, 1, 0.35)
    ctx.rectangle(7, 44, 3, 44)
    ctx.fill()


@thing("rolling_pin", 100, 36)
def rolling_pin(ctx, w, h):
    wood = (0.86, 0.68, 0.42)
    for x in (4, 80):
        rounded(ctx, x, 14, 16, 8, 4)
        fill_stroke(ctx, shade(wood, 0.8))
    rounded(ctx, 20, 6, 60, 24, 8)
    vertical(ctx, shade(wood, 1.2), shade(wood, 0.85), 6, 30)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()


@thing("mushroom", 64, 64)
def mushroom(ctx, w, h):
    ctx.move_to(24, 34)
    ctx.curve_to(22, 48, 20, 56, 22, 60)
    ctx.line_to(42, 60)
    ctx.curve_to(44, 56, 42, 48, 40, 34)
    ctx.close_path()
    fill_stroke(ctx, (0.96, 0.93, 0.85))
    ctx.move_to(4, 36)
    ctx.curve_to(4, 6, 60, 6, 60, 36)
    ctx.close_path()
    fill_stroke(ctx, (0.85, 0.15, 0.12))
    for cx, cy, r in ((20, 22, 4), (36, 16, 5), (48, 28, 4), (30, 30, 3)):
        ctx.arc(cx, cy, r, 0, 2 * math.pi)
        ctx.set_source_rgb(1, 1, 1)
        ctx.fill()


@thing("brooch", 56, 56)
def brooch(ctx, w, h):
    star(ctx, 28, 28, 25, 12, 8)
    fill_stroke(ctx, (0.90, 0.74, 0.30))
    ctx.arc(28, 28, 11, 0, 2 * math.pi)
    radial(ctx, 25, 25, 12, (0.55, 0.95, 0.65), (0.05, 0.45, 0.20))
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(1.5)
    ctx.stroke()


@thing("magnifying_glass", 80, 80)
def magnifying_glass(ctx, w, h):
    ctx.arc(30, 30, 22, 0, 2 * math.pi)
    ctx.set_source_rgba(0.75, 0.88, 0.95, 0.6)
    ctx.fill()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(6)
    ctx.arc(30, 30, 22, 0, 2 * math.pi)
    ctx.stroke()
    ctx.set_source_rgb(0.55, 0.30, 0.12)
    ctx.set_line_width(10)
    ctx.move_to(48, 48)
    ctx.line_to(74, 74)
    ctx.stroke()
