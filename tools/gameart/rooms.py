"""rooms: the search rooms' backdrops (the museum's hall, the library, the kitchen), 800 x 500
above the search panel, and the panel itself; the things to find are drawn apart (things.py)."""
import math

from gameart.draw import (GOLD, GOLD_LIGHT, INK, Rng, canvas, ellipse, fill_stroke, magnifier,
                          radial, rounded, shade, shadow, vertical)

WIDTH, HEIGHT = 800, 500


def _picture_frame(ctx, x, y, w, h, scene):
    rounded(ctx, x - 10, y - 10, w + 20, h + 20, 3)
    vertical(ctx, GOLD_LIGHT, shade(GOLD, 0.7), y - 10, y + h + 10)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.rectangle(x, y, w, h)
    if scene == "landscape":
        vertical(ctx, (0.55, 0.72, 0.90), (0.95, 0.85, 0.65), y, y + h)
        ctx.fill()
        ctx.move_to(x, y + h * 0.7)
        ctx.curve_to(x + w * 0.3, y + h * 0.45, x + w * 0.6, y + h * 0.8, x + w, y + h * 0.55)
        ctx.line_to(x + w, y + h)
        ctx.line_to(x, y + h)
        ctx.close_path()
        ctx.set_source_rgb(0.35, 0.55, 0.30)
        ctx.fill()
    else:
        ctx.set_source_rgb(0.20, 0.16, 0.14)
        ctx.fill()
        ellipse(ctx, x + w / 2, y + h * 0.4, w * 0.2, h * 0.2)
        ctx.set_source_rgb(0.85, 0.72, 0.58)
        ctx.fill()
        ctx.move_to(x + w * 0.15, y + h)
        ctx.curve_to(x + w * 0.2, y + h * 0.6, x + w * 0.8, y + h * 0.6, x + w * 0.85, y + h)
        ctx.set_source_rgb(0.30, 0.20, 0.40)
        ctx.fill()
    ctx.rectangle(x, y, w, h)
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(1.5)
    ctx.stroke()


def museum():
    s, ctx = canvas(WIDTH, HEIGHT)
    # The wall: deep red paper with a dado rail; the floor: marble in perspective.
    vertical(ctx, (0.50, 0.14, 0.14), (0.36, 0.09, 0.09), 0, 330)
    ctx.rectangle(0, 0, WIDTH, 330)
    ctx.fill()
    ctx.set_source_rgba(1, 0.85, 0.6, 0.06)
    for x in range(0, WIDTH, 40):
        ctx.rectangle(x, 0, 20, 300)
    ctx.fill()
    ctx.rectangle(0, 290, WIDTH, 40)
    vertical(ctx, (0.42, 0.27, 0.15), (0.28, 0.17, 0.09), 290, 330)
    ctx.fill()
    ctx.set_source_rgb(*GOLD)
    ctx.rectangle(0, 288, WIDTH, 4)
    ctx.fill()
    for row in range(6):
        y0 = 330 + row * row * 5 + row * 2
        y1 = 330 + (row + 1) * (row + 1) * 5 + (row + 1) * 2
        for col in range(-8, 9):
            x0t = 400 + col * (70 + row * 14)
            x1t = 400 + (col + 1) * (70 + row * 14)
            x0b = 400 + col * (70 + (row + 1) * 14)
            x1b = 400 + (col + 1) * (70 + (row + 1) * 14)
            ctx.move_to(x0t, y0)
            ctx.line_to(x1t, y0)
            ctx.line_to(x1b, y1)
            ctx.line_to(x0b, y1)
            ctx.close_path()
            light = (row + col) % 2 == 0
            ctx.set_source_rgb(*((0.90, 0.88, 0.84) if light else (0.30, 0.30, 0.33)))
            ctx.fill()
    # Columns at both sides.
    for x in (30, 690):
        ctx.rectangle(x, 0, 80, 330)
        vertical(ctx, (0.92, 0.90, 0.86), (0.75, 0.72, 0.68), 0, 330)
        ctx.fill()
        for k in range(5):
            ctx.set_source_rgba(0, 0, 0, 0.12)
            ctx.rectangle(x + 8 + k * 15, 20, 4, 290)
            ctx.fill()
        ctx.rectangle(x - 8, 310, 96, 24)
        fill_stroke(ctx, (0.85, 0.82, 0.78), width=1.5)
    _picture_frame(ctx, 160, 60, 170, 120, "landscape")
    _picture_frame(ctx, 520, 50, 110, 140, "portrait")
    # The empty display case in the middle of the hall, its cushion bare.
    shadow(ctx, 400, 452, 110, 16)
    ctx.rectangle(320, 330, 160, 120)
    vertical(ctx, (0.45, 0.28, 0.15), (0.30, 0.18, 0.09), 330, 450)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.rectangle(330, 250, 140, 80)
    ctx.set_source_rgba(0.75, 0.88, 0.95, 0.35)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.stroke()
    ellipse(ctx, 400, 318, 40, 10)
    fill_stroke(ctx, (0.45, 0.10, 0.25), width=1.5)
    ctx.set_source_rgba(1, 1, 1, 0.5)
    ctx.move_to(340, 258)
    ctx.line_to(370, 258)
    ctx.line_to(345, 320)
    ctx.close_path()
    ctx.fill()
    # Brass posts and a red rope.
    for x in (200, 600):
        shadow(ctx, x, 440, 22, 6)
        ctx.rectangle(x - 5, 360, 10, 80)
        fill_stroke(ctx, GOLD)
        ellipse(ctx, x, 440, 18, 5)
        fill_stroke(ctx, shade(GOLD, 0.8))
        ctx.arc(x, 356, 8, 0, 2 * math.pi)
        fill_stroke(ctx, GOLD_LIGHT)
    for x0, x1 in ((200, 300), (500, 600)):
        ctx.move_to(x0, 364)
        ctx.curve_to(x0 + 30, 400, x1 - 30, 400, x1, 364)
        ctx.set_source_rgb(*INK)
        ctx.set_line_width(7)
        ctx.stroke_preserve()
        ctx.set_source_rgb(0.75, 0.12, 0.12)
        ctx.set_line_width(4)
        ctx.stroke()
    # A bench on the right and a vase on a plinth on the left.
    shadow(ctx, 690, 470, 90, 12)
    rounded(ctx, 610, 420, 170, 22, 4)
    fill_stroke(ctx, (0.40, 0.22, 0.12))
    for x in (625, 750):
        ctx.rectangle(x, 440, 14, 34)
        fill_stroke(ctx, (0.32, 0.18, 0.10))
    shadow(ctx, 90, 470, 60, 10)
    ctx.rectangle(50, 380, 80, 90)
    fill_stroke(ctx, (0.88, 0.86, 0.82))
    ctx.move_to(70, 380)
    ctx.curve_to(50, 340, 70, 320, 80, 300)
    ctx.line_to(100, 300)
    ctx.curve_to(110, 320, 130, 340, 110, 380)
    ctx.close_path()
    fill_stroke(ctx, (0.25, 0.45, 0.65))
    ctx.set_source_rgb(0.95, 0.85, 0.5)
    ctx.set_line_width(3)
    ctx.move_to(66, 350)
    ctx.line_to(114, 350)
    ctx.stroke()
    # Moonlight from a high window: a soft beam across the hall.
    ctx.move_to(250, 0)
    ctx.line_to(350, 0)
    ctx.line_to(560, 500)
    ctx.line_to(330, 500)
    ctx.close_path()
    ctx.set_source_rgba(0.80, 0.88, 1.0, 0.08)
    ctx.fill()
    return s


def _bookshelf(ctx, x, y, w, h, seed):
    rng = Rng(seed)
    ctx.rectangle(x, y, w, h)
    vertical(ctx, (0.42, 0.25, 0.12), (0.30, 0.17, 0.08), y, y + h)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    shelves = int(h // 70)
    colours = [(0.55, 0.15, 0.12), (0.15, 0.30, 0.45), (0.20, 0.40, 0.22), (0.60, 0.45, 0.15),
               (0.35, 0.20, 0.35), (0.20, 0.20, 0.22)]
    for i in range(shelves):
        top = y + 8 + i * 70
        bx = x + 8
        while bx < x + w - 14:
            bw = rng.uniform(8, 16)
            bh = rng.uniform(40, 56)
            if bx + bw > x + w - 8:
                break
            ctx.rectangle(bx, top + 58 - bh, bw, bh)
            fill_stroke(ctx, rng.choice(colours), width=1)
            ctx.set_source_rgba(1, 0.9, 0.6, 0.5)
            ctx.rectangle(bx + 2, top + 64 - bh, bw - 4, 2)
            ctx.fill()
            bx += bw + 1
        ctx.rectangle(x + 4, top + 58, w - 8, 8)
        fill_stroke(ctx, (0.50, 0.30, 0.15), width=1)


def library():
    s, ctx = canvas(WIDTH, HEIGHT)
    vertical(ctx, (0.32, 0.36, 0.26), (0.22, 0.25, 0.18), 0, 320)
    ctx.rectangle(0, 0, WIDTH, 320)
    ctx.fill()
    ctx.rectangle(0, 320, WIDTH, 180)
    vertical(ctx, (0.42, 0.28, 0.16), (0.30, 0.19, 0.10), 320, 500)
    ctx.fill()
    for y in range(330, 500, 22):
        ctx.set_source_rgba(0, 0, 0, 0.2)
        ctx.rectangle(0, y, WIDTH, 1.5)
        ctx.fill()
    _bookshelf(ctx, 10, 20, 220, 300, 3)
    _bookshelf(ctx, 570, 20, 220, 300, 7)
    # A tall window with the night outside.
    rounded(ctx, 310, 30, 180, 220, 8)
    vertical(ctx, (0.10, 0.14, 0.30), (0.25, 0.30, 0.50), 30, 250)
    ctx.fill_preserve()
    ctx.set_source_rgb(0.35, 0.22, 0.12)
    ctx.set_line_width(10)
    ctx.stroke()
    ctx.set_line_width(5)
    ctx.move_to(400, 30)
    ctx.line_to(400, 250)
    ctx.move_to(310, 140)
    ctx.line_to(490, 140)
    ctx.stroke()
    ctx.arc(450, 80, 18, 0, 2 * math.pi)
    ctx.set_source_rgb(0.96, 0.94, 0.82)
    ctx.fill()
    # A rug and the writing desk with its green lamp.
    ellipse(ctx, 400, 440, 300, 45)
    radial(ctx, 400, 440, 300, (0.60, 0.18, 0.15), (0.40, 0.10, 0.10))
    ctx.fill_preserve()
    ctx.set_source_rgb(0.85, 0.65, 0.30)
    ctx.set_line_width(4)
    ctx.stroke()
    shadow(ctx, 400, 420, 160, 18)
    rounded(ctx, 260, 300, 280, 26, 4)
    fill_stroke(ctx, (0.45, 0.26, 0.12))
    for x in (270, 490):
        ctx.rectangle(x, 326, 40, 90)
        fill_stroke(ctx, (0.38, 0.22, 0.10))
        for k in range(3):
            ctx.rectangle(x + 6, 334 + k * 28, 28, 20)
            fill_stroke(ctx, (0.45, 0.27, 0.13), width=1)
    ctx.rectangle(340, 272, 10, 30)
    fill_stroke(ctx, GOLD)
    ctx.move_to(314, 274)
    ctx.curve_to(320, 244, 370, 244, 376, 274)
    ctx.close_path()
    fill_stroke(ctx, (0.15, 0.55, 0.30))
    radial(ctx, 345, 290, 60, (1.0, 0.95, 0.70), (1.0, 0.95, 0.70), 0.35, 0.0)
    ctx.arc(345, 290, 60, 0, 2 * math.pi)
    ctx.fill()
    # An armchair on the left, a globe on the right.
    shadow(ctx, 130, 470, 90, 12)
    rounded(ctx, 60, 360, 140, 100, 18)
    fill_stroke(ctx, (0.25, 0.35, 0.55))
    rounded(ctx, 50, 390, 40, 70, 12)
    fill_stroke(ctx, (0.22, 0.31, 0.50))
    rounded(ctx, 170, 390, 40, 70, 12)
    fill_stroke(ctx, (0.22, 0.31, 0.50))
    shadow(ctx, 680, 470, 50, 8)
    ctx.move_to(680, 470)
    ctx.line_to(680, 430)
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(5)
    ctx.stroke()
    ctx.arc(680, 395, 36, 0, 2 * math.pi)
    radial(ctx, 670, 385, 40, (0.55, 0.75, 0.85), (0.25, 0.45, 0.60))
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.move_to(660, 380)
    ctx.curve_to(680, 370, 690, 390, 700, 385)
    ctx.curve_to(702, 400, 680, 410, 666, 400)
    ctx.close_path()
    ctx.set_source_rgb(0.55, 0.65, 0.35)
    ctx.fill()
    return s


def kitchen():
    s, ctx = canvas(WIDTH, HEIGHT)
    ctx.rectangle(0, 0, WIDTH, 330)
    ctx.set_source_rgb(0.90, 0.90, 0.86)
    ctx.fill()
    ctx.set_source_rgba(0.35, 0.55, 0.70, 0.35)
    ctx.set_line_width(1.5)
    for x in range(0, WIDTH, 40):
        ctx.move_to(x, 0)
        ctx.line_to(x, 330)
    for y in range(0, 330, 40):
        ctx.move_to(0, y)
        ctx.line_to(WIDTH, y)
    ctx.stroke()
    ctx.rectangle(0, 330, WIDTH, 170)
    vertical(ctx, (0.62, 0.45, 0.30), (0.45, 0.30, 0.18), 330, 500)
    ctx.fill()
    for y in range(340, 500, 30):
        for x in range((y // 30 % 2) * 40, WIDTH, 80):
            ctx.rectangle(x, y, 40, 30)
            ctx.set_source_rgba(0, 0, 0, 0.08)
            ctx.fill()
    # Shelves with jars, a window, hanging pans, the range and a table.
    for y in (70, 150):
        ctx.rectangle(20, y, 240, 10)
        fill_stroke(ctx, (0.55, 0.35, 0.18))
    rng = Rng(11)
    for y in (70, 150):
        x = 30
        while x < 240:
            h = rng.uniform(30, 50)
            rounded(ctx, x, y - h, 34, h, 5)
            ctx.set_source_rgba(0.85, 0.92, 0.95, 0.7)
            ctx.fill_preserve()
            ctx.set_source_rgb(*INK)
            ctx.set_line_width(1.5)
            ctx.stroke()
            rounded(ctx, x + 4, y - h * 0.6, 26, h * 0.6 - 3, 3)
            ctx.set_source_rgb(*rng.choice([(0.85, 0.55, 0.15), (0.55, 0.25, 0.15), (0.90, 0.85, 0.60),
                                            (0.40, 0.55, 0.25)]))
            ctx.fill()
            x += 48
    rounded(ctx, 320, 30, 160, 140, 6)
    vertical(ctx, (0.55, 0.75, 0.95), (0.85, 0.92, 0.98), 30, 170)
    ctx.fill_preserve()
    ctx.set_source_rgb(0.95, 0.95, 0.95)
    ctx.set_line_width(10)
    ctx.stroke()
    ctx.set_line_width(5)
    ctx.move_to(400, 30)
    ctx.line_to(400, 170)
    ctx.stroke()
    ctx.set_source_rgb(0.85, 0.25, 0.25)
    ctx.rectangle(310, 24, 180, 16)
    ctx.fill()
    for i in range(6):
        ctx.move_to(310 + i * 30, 40)
        ctx.line_to(325 + i * 30, 56)
        ctx.line_to(340 + i * 30, 40)
    ctx.fill()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(3)
    ctx.move_to(540, 30)
    ctx.line_to(760, 30)
    ctx.stroke()
    for i, x in enumerate((570, 630, 700)):
        ctx.move_to(x, 30)
        ctx.line_to(x, 60)
        ctx.stroke()
        ctx.arc(x, 60 + 28, 26 - i * 3, 0, 2 * math.pi)
        fill_stroke(ctx, (0.72, 0.42, 0.25))
    # The range with a pot (whose steam is a particle effect).
    shadow(ctx, 660, 330, 120, 10)
    ctx.rectangle(540, 200, 240, 130)
    fill_stroke(ctx, (0.20, 0.20, 0.22))
    ctx.rectangle(560, 250, 200, 70)
    fill_stroke(ctx, (0.30, 0.30, 0.32))
    ctx.rectangle(630, 260, 60, 50)
    ctx.set_source_rgba(1.0, 0.5, 0.1, 0.6)
    ctx.fill()
    rounded(ctx, 590, 150, 80, 50, 6)
    fill_stroke(ctx, (0.55, 0.55, 0.60))
    ellipse(ctx, 630, 150, 40, 7)
    fill_stroke(ctx, (0.40, 0.40, 0.45))
    # The table in front, a checked cloth over it.
    shadow(ctx, 330, 480, 200, 14)
    def cloth():
        ctx.move_to(120, 380)
        ctx.line_to(540, 380)
        ctx.line_to(560, 440)
        ctx.line_to(100, 440)
        ctx.close_path()
    cloth()
    fill_stroke(ctx, (0.95, 0.95, 0.95))
    ctx.save()
    cloth()
    ctx.clip()
    ctx.set_source_rgba(0.80, 0.15, 0.15, 0.5)
    for x in range(100, 560, 30):
        ctx.rectangle(x, 380, 15, 60)
    for y in range(380, 440, 20):
        ctx.rectangle(100, y, 460, 10)
    ctx.fill()
    ctx.restore()
    for x in (130, 520):
        ctx.rectangle(x, 440, 16, 50)
        fill_stroke(ctx, (0.45, 0.28, 0.15))
    return s


def search_panel():
    """The strip under a room: the list of things to find, the clock and the room's buttons."""
    s, ctx = canvas(WIDTH, 100)
    vertical(ctx, (0.30, 0.19, 0.10), (0.18, 0.11, 0.06), 0, 100)
    ctx.rectangle(0, 0, WIDTH, 100)
    ctx.fill()
    ctx.set_source_rgb(*GOLD)
    ctx.rectangle(0, 0, WIDTH, 3)
    ctx.fill()
    # The list on a sheet of paper, with a magnifier at its left.
    rounded(ctx, 60, 8, 540, 84, 6)
    vertical(ctx, (0.97, 0.93, 0.82), (0.88, 0.80, 0.62), 8, 92)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.set_source_rgba(*INK, 0.18)
    ctx.set_line_width(1)
    for y in (48.5,):
        ctx.move_to(70, y)
        ctx.line_to(590, y)
    for x in (240.5, 420.5):
        ctx.move_to(x, 14)
        ctx.line_to(x, 86)
    ctx.stroke()
    magnifier(ctx, 26, 40, 14, GOLD_LIGHT)
    return s
