"""screens: the pictures of the game's screens other than the rooms: title and loading, the town
map and its places, the journal's book, buttons and page pieces, the story's dialogs, the
puzzles, the tutorials and the particle sprites. Labels are laid out by the scenes in the
game's own font; only signs and stamps carry their words in the picture."""
import math

import cairo

from gameart.draw import (BURGUNDY, GOLD, GOLD_LIGHT, INK, NAVY, NAVY_DARK, PAPER, PAPER_DARK,
                          Rng, canvas, cross, ellipse, fill_stroke, magnifier, outlined_text,
                          paper_texture, radial, rounded, shade, shadow, star, text, tick,
                          vertical)

PARCHMENT = (0.98, 0.93, 0.80)
GREEN = (0.20, 0.55, 0.25)


# ---- Buttons ---------------------------------------------------------------------------------

def button(width, height, state, base=BURGUNDY, icon=None):
    """A rounded button: n normal, h hover (brighter, gold rim), f faded (grey, not for now),
    d done (dimmed with a green tick) or disabled; icon draws at the left in a square."""
    s, ctx = canvas(width, height)
    if state in ("f", "d") and icon is None:
        top, bottom = (0.45, 0.42, 0.40), (0.32, 0.30, 0.29)
    elif state == "f":
        top, bottom = (0.45, 0.42, 0.40), (0.32, 0.30, 0.29)
    elif state == "h":
        top, bottom = shade(base, 1.35), shade(base, 0.9)
    else:
        top, bottom = shade(base, 1.1), shade(base, 0.65)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    rounded(ctx, 3, 5, width - 5, height - 6, 10)
    ctx.fill()
    rounded(ctx, 2, 2, width - 5, height - 6, 10)
    vertical(ctx, top, bottom, 0, height)
    ctx.fill_preserve()
    ctx.set_source_rgb(*(GOLD_LIGHT if state == "h" else GOLD if state in ("n", "d") else (0.6, 0.58, 0.55)))
    ctx.set_line_width(2.5 if state == "h" else 2)
    ctx.stroke()
    rounded(ctx, 6, 5, width - 13, (height - 12) / 2, 7)
    ctx.set_source_rgba(1, 1, 1, 0.12)
    ctx.fill()
    if icon:
        size = height - 14
        ctx.save()
        ctx.translate(8, 5)
        icon(ctx, size, state)
        ctx.restore()
        if state == "d":
            tick(ctx, 8 + size * 0.75, 5 + size * 0.7, size * 0.7, (0.35, 0.85, 0.35))
    if state == "h":
        ctx.set_source_rgba(1, 0.95, 0.7, 0.12)
        rounded(ctx, 2, 2, width - 5, height - 6, 10)
        ctx.fill()
    return s


def icon_magnifier(ctx, size, state):
    magnifier(ctx, size * 0.4, size * 0.4, size * 0.27, GOLD_LIGHT if state != "f" else (0.75, 0.75, 0.72))


def icon_people(ctx, size, state):
    colour = PARCHMENT if state != "f" else (0.75, 0.75, 0.72)
    for i, (x, scale) in enumerate(((0.22, 0.8), (0.78, 0.8), (0.5, 1.0))):
        cx = size * x
        r = size * 0.13 * scale
        ctx.arc(cx, size * 0.35, r, 0, 2 * math.pi)
        ctx.set_source_rgb(*colour)
        ctx.fill()
        ellipse(ctx, cx, size * 0.82, r * 1.8, r * 1.6)
        ctx.fill()
        ctx.set_source_rgb(*INK)
        ctx.set_line_width(1.2)
        ctx.arc(cx, size * 0.35, r, 0, 2 * math.pi)
        ctx.stroke()


def icon_clipboard(ctx, size, state):
    colour = PARCHMENT if state != "f" else (0.75, 0.75, 0.72)
    rounded(ctx, size * 0.15, size * 0.1, size * 0.7, size * 0.85, 3)
    fill_stroke(ctx, (0.55, 0.35, 0.18) if state != "f" else (0.5, 0.5, 0.5), width=1.5)
    ctx.rectangle(size * 0.24, size * 0.22, size * 0.52, size * 0.66)
    fill_stroke(ctx, colour, width=1)
    rounded(ctx, size * 0.35, size * 0.04, size * 0.3, size * 0.12, 2)
    fill_stroke(ctx, (0.7, 0.7, 0.72), width=1)
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(1.5)
    for k in range(3):
        y = size * (0.36 + k * 0.17)
        ctx.move_to(size * 0.30, y)
        ctx.line_to(size * 0.36, y + size * 0.05)
        ctx.line_to(size * 0.42, y - size * 0.05)
        ctx.move_to(size * 0.48, y)
        ctx.line_to(size * 0.70, y)
    ctx.stroke()


def icon_map(ctx, size, state):
    colour = PARCHMENT if state not in ("f", "d") else (0.75, 0.75, 0.72)
    ctx.move_to(size * 0.08, size * 0.2)
    for x, y in ((0.36, 0.1), (0.64, 0.2), (0.92, 0.1), (0.92, 0.85), (0.64, 0.95), (0.36, 0.85),
                 (0.08, 0.95)):
        ctx.line_to(size * x, size * y)
    ctx.close_path()
    fill_stroke(ctx, colour, width=1.5)
    ctx.set_source_rgb(*BURGUNDY)
    ctx.arc(size * 0.55, size * 0.45, size * 0.1, 0, 2 * math.pi)
    ctx.fill()


def icon_letter(ctx, size, state):
    rounded(ctx, size * 0.05, size * 0.2, size * 0.9, size * 0.6, 2)
    fill_stroke(ctx, PARCHMENT, width=1.5)
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(1.5)
    ctx.move_to(size * 0.05, size * 0.2)
    ctx.line_to(size * 0.5, size * 0.5)
    ctx.line_to(size * 0.95, size * 0.2)
    ctx.stroke()
    ctx.move_to(size * 0.45, size * 0.2)
    ctx.line_to(size * 0.55, size * 0.45)
    ctx.line_to(size * 0.5, size * 0.8)
    ctx.set_source_rgb(0.8, 0.1, 0.1)
    ctx.stroke()


def arrow_button(direction, state):
    s, ctx = canvas(56, 40)
    colour = {"n": BURGUNDY, "h": shade(BURGUNDY, 1.35), "d": (0.55, 0.52, 0.50)}[state]
    ctx.translate(28, 20)
    if direction == "left":
        ctx.scale(-1, 1)
    ctx.move_to(-24, -8)
    ctx.line_to(4, -8)
    ctx.line_to(4, -17)
    ctx.line_to(25, 0)
    ctx.line_to(4, 17)
    ctx.line_to(4, 8)
    ctx.line_to(-24, 8)
    ctx.close_path()
    fill_stroke(ctx, colour, GOLD_LIGHT if state == "h" else INK, 2)
    return s


# ---- Title, loading and the town map ---------------------------------------------------------

def _rooftops(ctx, base_y, colour, seed, height_range=(60, 160)):
    rng = Rng(seed)
    x = -10
    ctx.move_to(-10, 600)
    while x < 820:
        w = rng.uniform(50, 110)
        h = rng.uniform(*height_range)
        ctx.line_to(x, base_y - h)
        if rng.next() < 0.5:
            ctx.line_to(x + w / 2, base_y - h - rng.uniform(20, 40))
        else:
            ctx.line_to(x + w * 0.7, base_y - h)
            ctx.line_to(x + w * 0.7, base_y - h - 22)
            ctx.line_to(x + w * 0.8, base_y - h - 22)
            ctx.line_to(x + w * 0.8, base_y - h)
        ctx.line_to(x + w, base_y - h)
        x += w
    ctx.line_to(820, 600)
    ctx.close_path()
    ctx.set_source_rgb(*colour)
    ctx.fill()


def title_backdrop():
    """The night town behind the main menu: the bureau's name and emblem in the top band
    (y 0..105), a dark band for the menu's welcome line under it, and a calm, dark middle where
    the menu's buttons stand (x 290..510)."""
    s, ctx = canvas(800, 600)
    vertical(ctx, (0.04, 0.05, 0.12), (0.20, 0.22, 0.38), 0, 600)
    ctx.paint()
    rng = Rng(5)
    for _ in range(90):
        x, y = rng.uniform(0, 800), rng.uniform(150, 380)
        if 270 < x < 530:
            continue
        ctx.arc(x, y, rng.uniform(0.6, 1.8), 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 0.9, rng.uniform(0.3, 0.9))
        ctx.fill()
    radial(ctx, 690, 250, 120, (1.0, 0.98, 0.85), (1.0, 0.98, 0.85), 0.30, 0.0)
    ctx.paint()
    ctx.arc(690, 250, 40, 0, 2 * math.pi)
    ctx.set_source_rgb(0.98, 0.96, 0.85)
    ctx.fill()
    _rooftops(ctx, 520, (0.12, 0.12, 0.22), 8, (60, 200))
    _rooftops(ctx, 600, (0.06, 0.06, 0.12), 9, (40, 150))
    # Lit windows in the near houses, none behind the buttons.
    for _ in range(30):
        x, y = rng.uniform(10, 780), rng.uniform(500, 580)
        if 270 < x < 530:
            continue
        ctx.rectangle(x, y, 9, 12)
        ctx.set_source_rgba(1.0, 0.82, 0.40, 0.85)
        ctx.fill()
    # A street lamp on the left with its glow.
    radial(ctx, 110, 300, 110, (1.0, 0.85, 0.5), (1.0, 0.85, 0.5), 0.30, 0.0)
    ctx.paint()
    ctx.set_source_rgb(0.05, 0.05, 0.08)
    ctx.rectangle(104, 310, 12, 290)
    ctx.fill()
    rounded(ctx, 92, 278, 36, 34, 4)
    ctx.fill()
    ctx.rectangle(98, 284, 24, 22)
    ctx.set_source_rgb(1.0, 0.88, 0.55)
    ctx.fill()
    # The top band: a dark sign with the emblem and the bureau's name.
    vertical(ctx, (0.10, 0.06, 0.04), (0.05, 0.03, 0.02), 0, 105)
    ctx.rectangle(0, 0, 800, 105)
    ctx.fill()
    ctx.set_source_rgb(*GOLD)
    ctx.rectangle(0, 101, 800, 3)
    ctx.fill()
    ctx.arc(100, 50, 34, 0, 2 * math.pi)
    ctx.set_source_rgba(0.67, 0.82, 0.92, 0.25)
    ctx.fill()
    magnifier(ctx, 96, 46, 26, GOLD_LIGHT)
    ctx.select_font_face("DejaVu Serif", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    ctx.set_font_size(40)
    width = ctx.text_extents("Quillmoor Sleuth Bureau").x_advance
    ctx.move_to(170 + (610 - width) / 2, 66)
    ctx.text_path("Quillmoor Sleuth Bureau")
    ctx.set_source_rgb(0.20, 0.10, 0.05)
    ctx.set_line_width(5)
    ctx.stroke_preserve()
    ctx.set_source_rgb(*GOLD_LIGHT)
    ctx.fill()
    return s


def town_map():
    """The town as a parchment map: streets, the river, the park, houses; the places a case
    can happen are drawn apart (place_icon) so they light up when active."""
    s, ctx = canvas(800, 600)
    vertical(ctx, (0.95, 0.89, 0.74), (0.86, 0.77, 0.58), 0, 600)
    ctx.paint()
    paper_texture(ctx, 0, 0, 800, 600, 21, 0.08)
    # The park.
    rounded(ctx, 430, 390, 200, 130, 30)
    ctx.set_source_rgb(0.55, 0.72, 0.42)
    ctx.fill()
    rng = Rng(4)
    for _ in range(16):
        cx, cy = rng.uniform(450, 610), rng.uniform(405, 505)
        ctx.arc(cx, cy, rng.uniform(7, 12), 0, 2 * math.pi)
        ctx.set_source_rgb(0.30, 0.50, 0.25)
        ctx.fill()
    # Blocks of houses, the river over them, the streets (and their bridges) on top.
    for bx in (40, 170, 350, 540, 715):
        for by in (125, 265, 395):
            if 430 <= bx <= 630 and by >= 380:
                continue
            for k in range(3):
                x = bx + k * 30 + rng.uniform(0, 6)
                y = by + rng.uniform(0, 60)
                if x > 790:
                    continue
                ctx.rectangle(x, y, 22, 18)
                ctx.set_source_rgb(0.78, 0.55, 0.40)
                ctx.fill_preserve()
                ctx.set_source_rgb(*INK)
                ctx.set_line_width(1)
                ctx.stroke()
    # The river from the top right down to the bottom left.
    ctx.move_to(820, 140)
    ctx.curve_to(600, 180, 560, 300, 420, 330)
    ctx.curve_to(260, 360, 200, 470, -20, 520)
    ctx.set_source_rgb(0.45, 0.62, 0.78)
    ctx.set_line_width(38)
    ctx.stroke()
    ctx.set_source_rgb(0.99, 0.97, 0.90)
    ctx.set_line_width(14)
    for x in (150, 330, 520, 700):
        ctx.move_to(x, 60)
        ctx.line_to(x, 580)
    for y in (110, 250, 380, 540):
        ctx.move_to(20, y)
        ctx.line_to(780, y)
    ctx.stroke()
    # A compass rose in the bottom right corner and a border.
    cx, cy = 740, 480
    star(ctx, cx, cy, 34, 9, 4)
    fill_stroke(ctx, (0.85, 0.75, 0.55), width=1.5)
    text(ctx, "N", cx, cy - 40, 16, INK, bold=True, align="centre")
    ctx.rectangle(8, 8, 784, 584)
    ctx.set_source_rgb(*shade(PAPER_DARK, 0.6))
    ctx.set_line_width(6)
    ctx.stroke()
    return s


def place_icon(kind, active):
    """A place on the map: the building drawn bold and bright when a case waits there, and
    faded when not."""
    s, ctx = canvas(130, 110)
    if active:
        radial(ctx, 65, 60, 62, (1.0, 0.92, 0.45), (1.0, 0.85, 0.3), 0.85, 0.0)
        ctx.arc(65, 60, 62, 0, 2 * math.pi)
        ctx.fill()
    shadow(ctx, 65, 96, 48, 8)
    wall = {"museum": (0.92, 0.90, 0.84), "library": (0.72, 0.45, 0.30),
            "restaurant": (0.95, 0.85, 0.60)}[kind]
    roof = {"museum": (0.60, 0.58, 0.55), "library": (0.30, 0.35, 0.45),
            "restaurant": (0.70, 0.20, 0.15)}[kind]
    if not active:
        wall = shade(wall, 0.75)
        roof = shade(roof, 0.75)
    if kind == "museum":
        ctx.move_to(20, 40)
        ctx.line_to(65, 12)
        ctx.line_to(110, 40)
        ctx.close_path()
        fill_stroke(ctx, roof)
        ctx.rectangle(22, 40, 86, 8)
        fill_stroke(ctx, wall)
        for x in (28, 48, 68, 88):
            ctx.rectangle(x, 48, 12, 38)
            fill_stroke(ctx, wall, width=1.5)
        ctx.rectangle(16, 86, 98, 10)
        fill_stroke(ctx, wall)
    elif kind == "library":
        ctx.rectangle(22, 36, 86, 60)
        fill_stroke(ctx, wall)
        ctx.move_to(16, 38)
        ctx.line_to(65, 10)
        ctx.line_to(114, 38)
        ctx.close_path()
        fill_stroke(ctx, roof)
        for x in (32, 56, 80):
            rounded(ctx, x, 48, 16, 22, 6)
            fill_stroke(ctx, (0.95, 0.85, 0.45) if active else (0.6, 0.6, 0.6), width=1.5)
        rounded(ctx, 56, 74, 18, 22, 3)
        fill_stroke(ctx, (0.35, 0.20, 0.10))
    else:
        ctx.rectangle(24, 40, 82, 56)
        fill_stroke(ctx, wall)
        ctx.move_to(18, 40)
        for i in range(6):
            ctx.line_to(18 + i * 16 + 8, 52)
            ctx.line_to(18 + i * 16 + 16, 40)
        ctx.line_to(112, 30)
        ctx.line_to(18, 30)
        ctx.close_path()
        fill_stroke(ctx, roof)
        ctx.rectangle(34, 60, 26, 20)
        fill_stroke(ctx, (0.6, 0.8, 0.95), width=1.5)
        ctx.rectangle(70, 60, 22, 36)
        fill_stroke(ctx, (0.45, 0.25, 0.12))
    if not active:
        # Washed out where the building is drawn, the rest left clear.
        ctx.set_operator(cairo.OPERATOR_ATOP)
        ctx.set_source_rgba(0.9, 0.86, 0.75, 0.45)
        ctx.paint()
    return s


def map_pin():
    s, ctx = canvas(40, 56)
    shadow(ctx, 20, 52, 10, 3)
    ctx.move_to(20, 50)
    ctx.curve_to(6, 30, 2, 24, 2, 18)
    ctx.arc(20, 18, 18, math.pi, 0)
    ctx.curve_to(38, 24, 34, 30, 20, 50)
    ctx.close_path()
    radial(ctx, 14, 12, 24, (1.0, 0.40, 0.35), (0.65, 0.05, 0.05))
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.arc(20, 18, 7, 0, 2 * math.pi)
    ctx.set_source_rgb(1, 1, 1)
    ctx.fill()
    return s


def ribbon(width, height):
    """A banner across the top of a screen that carries the screen's instruction."""
    s, ctx = canvas(width, height)
    ctx.move_to(0, 6)
    ctx.line_to(24, height / 2 + 3)
    ctx.line_to(0, height)
    ctx.line_to(40, height)
    ctx.line_to(40, 6)
    ctx.close_path()
    ctx.move_to(width, 6)
    ctx.line_to(width - 24, height / 2 + 3)
    ctx.line_to(width, height)
    ctx.line_to(width - 40, height)
    ctx.line_to(width - 40, 6)
    ctx.close_path()
    fill_stroke(ctx, shade(BURGUNDY, 0.7))
    rounded(ctx, 18, 0, width - 36, height - 6, 4)
    vertical(ctx, shade(BURGUNDY, 1.2), shade(BURGUNDY, 0.8), 0, height)
    ctx.fill_preserve()
    ctx.set_source_rgb(*GOLD)
    ctx.set_line_width(2)
    ctx.stroke()
    return s


# ---- The journal -----------------------------------------------------------------------------

def book():
    s, ctx = canvas(800, 600)
    # The desk.
    vertical(ctx, (0.32, 0.20, 0.11), (0.20, 0.12, 0.06), 0, 600)
    ctx.paint()
    rng = Rng(31)
    for _ in range(40):
        y = rng.uniform(0, 600)
        ctx.move_to(0, y)
        ctx.curve_to(260, y + rng.uniform(-8, 8), 540, y + rng.uniform(-8, 8), 800, y + rng.uniform(-6, 6))
        ctx.set_source_rgba(0, 0, 0, 0.10)
        ctx.set_line_width(rng.uniform(1, 3))
        ctx.stroke()
    # The cover under the pages.
    ctx.set_source_rgba(0, 0, 0, 0.45)
    rounded(ctx, 34, 24, 742, 510, 12)
    ctx.fill()
    rounded(ctx, 28, 16, 744, 508, 12)
    vertical(ctx, (0.45, 0.14, 0.12), (0.32, 0.08, 0.07), 16, 524)
    ctx.fill()
    # Two pages, curved at the spine.
    for left in (True, False):
        x0, x1 = (50, 400) if left else (400, 750)
        ctx.move_to(x0, 34)
        ctx.curve_to(x0 + 100, 26, x1 - 100, 26, x1, 38)
        ctx.line_to(x1, 512)
        ctx.curve_to(x1 - 100, 504, x0 + 100, 504, x0, 512)
        ctx.close_path()
        gradient_x = (x1, x0) if left else (x0, x1)
        g = cairo.LinearGradient(gradient_x[0], 0, gradient_x[1], 0)
        g.add_color_stop_rgb(0, 0.80, 0.72, 0.55)
        g.add_color_stop_rgb(0.08, 0.95, 0.90, 0.77)
        g.add_color_stop_rgb(1, 0.98, 0.94, 0.83)
        ctx.set_source(g)
        ctx.fill_preserve()
        ctx.set_source_rgba(*INK, 0.6)
        ctx.set_line_width(1.2)
        ctx.stroke()
        paper_texture(ctx, x0 + 10, 40, x1 - x0 - 20, 460, 40 + left, 0.05)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.set_line_width(3)
    ctx.move_to(400, 38)
    ctx.line_to(400, 512)
    ctx.stroke()
    return s


def ribbon_bookmark():
    s, ctx = canvas(40, 150)
    ctx.move_to(4, 0)
    ctx.line_to(36, 0)
    ctx.line_to(36, 146)
    ctx.line_to(20, 128)
    ctx.line_to(4, 146)
    ctx.close_path()
    vertical(ctx, (0.80, 0.15, 0.15), (0.55, 0.08, 0.08), 0, 150)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(1.5)
    ctx.stroke()
    ctx.set_source_rgba(1, 0.9, 0.6, 0.6)
    ctx.set_line_width(1)
    ctx.move_to(9, 0)
    ctx.line_to(9, 130)
    ctx.move_to(31, 0)
    ctx.line_to(31, 130)
    ctx.stroke()
    return s


def stamp(words, width, height, colour=(0.78, 0.10, 0.10), angle=-0.12):
    s, ctx = canvas(width, height)
    ctx.translate(width / 2, height / 2)
    ctx.rotate(angle)
    rounded(ctx, -width / 2 + 16, -height / 2 + 22, width - 32, height - 44, 14)
    ctx.set_source_rgba(*colour, 0.92)
    ctx.set_line_width(8)
    ctx.stroke()
    rounded(ctx, -width / 2 + 26, -height / 2 + 32, width - 52, height - 64, 8)
    ctx.set_line_width(3)
    ctx.stroke()
    ctx.select_font_face("DejaVu Serif", 0, 1)
    size = height * 0.34
    ctx.set_font_size(size)
    while ctx.text_extents(words).x_advance > width - 80:
        size -= 2
        ctx.set_font_size(size)
    extents = ctx.text_extents(words)
    ctx.move_to(-extents.x_advance / 2, size * 0.36)
    ctx.set_source_rgba(*colour, 0.92)
    ctx.show_text(words)
    return s


def veil(alpha):
    s, ctx = canvas(8, 8)
    ctx.set_source_rgba(0, 0, 0, alpha)
    ctx.paint()
    return s


def page_lines():
    """Ruled lines under a case's description on the journal's left page: one under each line
    of its text (16 px apart, the first under the first line's letters), so the text sits on
    them."""
    s, ctx = canvas(320, 110)
    ctx.set_source_rgba(0.35, 0.45, 0.65, 0.35)
    ctx.set_line_width(1)
    for y in range(14, 110, 16):
        ctx.move_to(0, y + 0.5)
        ctx.line_to(320, y + 0.5)
    ctx.stroke()
    return s


def photo_frame(empty):
    """A pinned photograph's white border (foto_N), or the dashed place of one still missing
    (foto_N_)."""
    s, ctx = canvas(100, 120)
    if empty:
        rounded(ctx, 6, 6, 88, 108, 4)
        ctx.set_source_rgba(*INK, 0.35)
        ctx.set_dash([5, 4])
        ctx.set_line_width(2)
        ctx.stroke()
        return s
    ctx.set_source_rgba(0, 0, 0, 0.3)
    ctx.rectangle(6, 6, 92, 112)
    ctx.fill()
    ctx.rectangle(2, 2, 92, 112)
    fill_stroke(ctx, (0.99, 0.99, 0.97), width=1.5)
    ctx.arc(48, 6, 5, 0, 2 * math.pi)
    fill_stroke(ctx, (0.80, 0.15, 0.15), width=1)
    return s


def parcel():
    """Brown paper tied with string, with a question mark: a suspect not yet known."""
    s, ctx = canvas(100, 120)
    rounded(ctx, 8, 10, 84, 100, 4)
    vertical(ctx, (0.78, 0.62, 0.40), (0.62, 0.46, 0.28), 10, 110)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(2)
    ctx.stroke()
    ctx.set_source_rgb(0.92, 0.88, 0.80)
    ctx.set_line_width(3)
    ctx.move_to(50, 10)
    ctx.line_to(50, 110)
    ctx.move_to(8, 60)
    ctx.line_to(92, 60)
    ctx.stroke()
    outlined_text(ctx, "?", 50, 80, 50, PARCHMENT, INK, 4)
    return s


def big_cross(size):
    s, ctx = canvas(size, size)
    cross(ctx, size / 2, size / 2, size * 0.8, width=size * 0.12)
    return s


def case_picture(kind):
    """The case's picture on its journal page and in its dialogs: the place where it began."""
    s, ctx = canvas(240, 150)
    ctx.rectangle(0, 0, 240, 150)
    ctx.set_source_rgb(0.99, 0.99, 0.97)
    ctx.fill()
    ctx.rectangle(8, 8, 224, 134)
    if kind == "museum":
        vertical(ctx, (0.50, 0.14, 0.14), (0.30, 0.08, 0.08), 8, 142)
        ctx.fill()
        ctx.rectangle(80, 70, 80, 72)
        fill_stroke(ctx, (0.40, 0.24, 0.12), width=1.5)
        ctx.rectangle(86, 30, 68, 40)
        ctx.set_source_rgba(0.75, 0.88, 0.95, 0.5)
        ctx.fill()
        ellipse(ctx, 120, 64, 22, 5)
        fill_stroke(ctx, (0.45, 0.10, 0.25), width=1)
        outlined_text(ctx, "?", 120, 58, 30, (1.0, 0.9, 0.4), INK, 3)
    elif kind == "library":
        vertical(ctx, (0.32, 0.36, 0.26), (0.22, 0.25, 0.18), 8, 142)
        ctx.fill()
        for x in range(12, 228, 10):
            ctx.rectangle(x, 20, 8, 40)
            ctx.set_source_rgb(*Rng(x).choice([(0.55, 0.15, 0.12), (0.15, 0.30, 0.45), (0.6, 0.45, 0.15)]))
            ctx.fill()
        ctx.save()
        ctx.translate(120, 100)
        ctx.rotate(-0.1)
        ctx.rectangle(-50, -30, 46, 60)
        ctx.rectangle(6, -28, 46, 60)
        ctx.set_source_rgb(0.97, 0.95, 0.88)
        ctx.fill()
        ctx.set_source_rgba(*INK, 0.6)
        ctx.set_line_width(1)
        for k in range(6):
            ctx.move_to(-44, -20 + k * 9)
            ctx.line_to(-10, -20 + k * 9)
            ctx.move_to(12, -18 + k * 9)
            ctx.line_to(46, -18 + k * 9)
        ctx.stroke()
        ctx.restore()
    ctx.set_source_rgb(*INK)
    ctx.rectangle(8, 8, 224, 134)
    ctx.set_line_width(1.5)
    ctx.stroke()
    return s


# ---- Dialogs, puzzles and tutorials ---------------------------------------------------------

def panel(width, height, colour=PARCHMENT, rim=GOLD):
    s, ctx = canvas(width, height)
    ctx.set_source_rgba(0, 0, 0, 0.45)
    rounded(ctx, 8, 10, width - 10, height - 12, 18)
    ctx.fill()
    rounded(ctx, 2, 2, width - 10, height - 12, 16)
    vertical(ctx, colour, shade(colour, 0.88), 0, height)
    ctx.fill_preserve()
    ctx.set_source_rgb(*INK)
    ctx.set_line_width(3)
    ctx.stroke()
    rounded(ctx, 10, 10, width - 26, height - 28, 10)
    ctx.set_source_rgba(*rim, 0.95)
    ctx.set_line_width(1.5)
    ctx.stroke()
    return s


def tutorial_bubble(width, height, pointer_x, pointer_down=True):
    """A note with an arrow that points at what to click."""
    s, ctx = canvas(width, height + 40)
    body_y = 0 if pointer_down else 40
    rounded(ctx, 4, body_y + 4, width - 8, height - 8, 14)
    ctx.move_to(pointer_x - 18, body_y + (height - 6 if pointer_down else 6))
    ctx.line_to(pointer_x, body_y + (height + 34 if pointer_down else -34))
    ctx.line_to(pointer_x + 18, body_y + (height - 6 if pointer_down else 6))
    ctx.close_path()
    ctx.set_source_rgba(1.0, 0.97, 0.82, 0.97)
    ctx.fill_preserve()
    ctx.set_source_rgb(*shade(GOLD, 0.6))
    ctx.set_line_width(3)
    ctx.stroke()
    return s


def corkboard():
    s, ctx = canvas(800, 600)
    vertical(ctx, (0.72, 0.55, 0.35), (0.62, 0.46, 0.28), 0, 600)
    ctx.paint()
    rng = Rng(17)
    for _ in range(2400):
        ctx.arc(rng.uniform(0, 800), rng.uniform(0, 600), rng.uniform(0.6, 1.8), 0, 2 * math.pi)
        ctx.set_source_rgba(0.35, 0.22, 0.10, rng.uniform(0.1, 0.35))
        ctx.fill()
    ctx.rectangle(6, 6, 788, 588)
    ctx.set_source_rgb(0.40, 0.24, 0.12)
    ctx.set_line_width(12)
    ctx.stroke()
    return s


def card(state, width=170, height=210):
    """An event card of the sequence puzzle: n normal, h hover, c chosen (green rim, tick), w a
    wrong pick (red rim, cross)."""
    s, ctx = canvas(width, height)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.rectangle(8, 10, width - 10, height - 12)
    ctx.fill()
    ctx.rectangle(3, 3, width - 10, height - 12)
    colour = (1.0, 0.97, 0.86) if state != "h" else (1.0, 0.99, 0.93)
    fill_stroke(ctx, colour, (0.95, 0.65, 0.10) if state == "h" else INK, 4 if state == "h" else 2)
    ctx.arc(width / 2 - 2, 12, 6, 0, 2 * math.pi)
    fill_stroke(ctx, (0.80, 0.15, 0.15), width=1)
    if state == "c":
        ctx.rectangle(3, 3, width - 10, height - 12)
        ctx.set_source_rgba(0.25, 0.65, 0.25, 0.18)
        ctx.fill_preserve()
        ctx.set_source_rgb(*GREEN)
        ctx.set_line_width(6)
        ctx.stroke()
        tick(ctx, width - 36, height - 42, 34, GREEN)
    if state == "w":
        ctx.rectangle(3, 3, width - 10, height - 12)
        ctx.set_source_rgba(0.78, 0.10, 0.10, 0.15)
        ctx.fill_preserve()
        ctx.set_source_rgb(0.78, 0.10, 0.10)
        ctx.set_line_width(6)
        ctx.stroke()
        cross(ctx, width / 2 - 2, height / 2, 90, width=10)
    return s


def suspect_card(state, width=210, height=340):
    """The card a suspect stands on in the checklist: n, h hover."""
    s, ctx = canvas(width, height)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    rounded(ctx, 8, 10, width - 10, height - 12, 8)
    ctx.fill()
    rounded(ctx, 3, 3, width - 10, height - 12, 8)
    vertical(ctx, (1.0, 0.97, 0.88), (0.92, 0.86, 0.70), 0, height)
    ctx.fill_preserve()
    ctx.set_source_rgb(*((0.95, 0.65, 0.10) if state == "h" else INK))
    ctx.set_line_width(5 if state == "h" else 2)
    ctx.stroke()
    return s


def letter_piece(index):
    """One quarter of the torn letter, with its share of the writing."""
    lines = [["Meet me in the", "library at ten."], ["Bring the", "will. No one"],
             ["must see you.", ""], ["", "-- C. V."]]
    s, ctx = canvas(150, 110)
    rng = Rng(60 + index)
    ctx.move_to(4, 4)
    points = [(146, 4), (146, 106), (4, 106)]
    # Torn edges on the inner sides.
    ctx.line_to(146 - (0 if index % 2 else 0), 4)
    for x, y in points:
        ctx.line_to(x + rng.uniform(-3, 3) if index % 2 == 0 and x > 100 else x,
                    y + rng.uniform(-3, 3) if index < 2 and y > 50 else y)
    ctx.close_path()
    fill_stroke(ctx, (0.97, 0.94, 0.84), width=1.5)
    for k, line in enumerate(lines[index]):
        text(ctx, line, 14, 44 + k * 30, 17, INK, face="DejaVu Serif", italic=True)
    return s


def letter_outline():
    s, ctx = canvas(310, 230)
    ctx.rectangle(5, 5, 300, 220)
    ctx.set_source_rgba(1, 1, 1, 0.25)
    ctx.fill_preserve()
    ctx.set_dash([8, 6])
    ctx.set_source_rgba(*INK, 0.7)
    ctx.set_line_width(2.5)
    ctx.stroke()
    return s


def sprite(kind):
    """A particle: a soft round dot (dust, sparkle) or a puff (steam), white, tinted by the effect."""
    size = {"dust": 16, "sparkle": 24, "steam": 48}[kind]
    s, ctx = canvas(size, size)
    c = size / 2
    if kind == "sparkle":
        star(ctx, c, c, c, c * 0.25, 4)
        ctx.set_source_rgba(1, 1, 1, 1)
        ctx.fill()
    radial(ctx, c, c, c, (1, 1, 1), (1, 1, 1), 1.0 if kind != "steam" else 0.6, 0.0)
    ctx.arc(c, c, c, 0, 2 * math.pi)
    ctx.fill()
    return s
