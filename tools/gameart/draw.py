"""draw: what every drawing of the game's art shares: surfaces, rounded shapes, gradients,
shadows, type set with the system's DejaVu faces, the palette, and writing PNG files."""
import math
import os

import cairo

INK = (0.16, 0.11, 0.07)
PAPER = (0.96, 0.92, 0.80)
PAPER_DARK = (0.86, 0.78, 0.60)
GOLD = (0.84, 0.71, 0.35)
GOLD_LIGHT = (0.98, 0.86, 0.51)
BURGUNDY = (0.55, 0.17, 0.15)
NAVY = (0.12, 0.17, 0.27)
NAVY_DARK = (0.05, 0.07, 0.11)
WHITE = (1, 1, 1)


def surface(width, height):
    return cairo.ImageSurface(cairo.FORMAT_ARGB32, int(width), int(height))


def canvas(width, height):
    s = surface(width, height)
    ctx = cairo.Context(s)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    return s, ctx


class Writer:
    """Writes pictures under one output folder by their virtual names ("images/map/map.png")."""

    def __init__(self, root):
        self.root = root
        self.written = []

    def save(self, s, name):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        # Written beside and renamed, so a reader never sees half a picture.
        temporary = path + ".tmp"
        s.write_to_png(temporary)
        os.replace(temporary, path)
        self.written.append(name)


def rounded(ctx, x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def ellipse(ctx, cx, cy, rx, ry):
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(rx, ry)
    ctx.new_sub_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()


def vertical(ctx, top, bottom, y0, y1, alpha=1.0):
    gradient = cairo.LinearGradient(0, y0, 0, y1)
    gradient.add_color_stop_rgba(0, *top, alpha)
    gradient.add_color_stop_rgba(1, *bottom, alpha)
    ctx.set_source(gradient)


def radial(ctx, cx, cy, r, inner, outer, inner_alpha=1.0, outer_alpha=1.0):
    gradient = cairo.RadialGradient(cx, cy, 0, cx, cy, r)
    gradient.add_color_stop_rgba(0, *inner, inner_alpha)
    gradient.add_color_stop_rgba(1, *outer, outer_alpha)
    ctx.set_source(gradient)


def shade(colour, factor):
    """The colour darkened (factor < 1) or lightened (factor > 1), kept in range."""
    if factor >= 1:
        return tuple(c + (1 - c) * (factor - 1) for c in colour)
    return tuple(c * factor for c in colour)


def fill_stroke(ctx, fill, stroke=INK, width=2.0, alpha=1.0):
    ctx.set_source_rgba(*fill, alpha)
    ctx.fill_preserve()
    ctx.set_source_rgba(*stroke, alpha)
    ctx.set_line_width(width)
    ctx.stroke()


def shadow(ctx, cx, cy, rx, ry, alpha=0.35):
    """A soft contact shadow under a thing standing on a surface."""
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(rx, ry)
    gradient = cairo.RadialGradient(0, 0, 0, 0, 0, 1)
    gradient.add_color_stop_rgba(0, 0, 0, 0, alpha)
    gradient.add_color_stop_rgba(1, 0, 0, 0, 0)
    ctx.set_source(gradient)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.fill()
    ctx.restore()


def text(ctx, words, x, y, size, colour=INK, face="DejaVu Serif", bold=False, italic=False,
         align="left", alpha=1.0):
    """Sets one line of type; y is the baseline; align is left, centre or right of x."""
    ctx.select_font_face(face, cairo.FONT_SLANT_ITALIC if italic else cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    extents = ctx.text_extents(words)
    if align == "centre":
        x -= extents.x_advance / 2
    elif align == "right":
        x -= extents.x_advance
    ctx.move_to(x, y)
    ctx.set_source_rgba(*colour, alpha)
    ctx.show_text(words)
    return extents.x_advance


def outlined_text(ctx, words, x, y, size, fill, outline, width=4, face="DejaVu Serif", bold=True,
                  align="centre"):
    """Type with a dark rim, readable over any picture."""
    ctx.select_font_face(face, cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    extents = ctx.text_extents(words)
    if align == "centre":
        x -= extents.x_advance / 2
    ctx.move_to(x, y)
    ctx.text_path(words)
    ctx.set_source_rgb(*outline)
    ctx.set_line_width(width)
    ctx.stroke_preserve()
    ctx.set_source_rgb(*fill)
    ctx.fill()


def star(ctx, cx, cy, outer, inner, points=5, rotation=-math.pi / 2):
    ctx.new_sub_path()
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = rotation + i * math.pi / points
        ctx.line_to(cx + r * math.cos(a), cy + r * math.sin(a))
    ctx.close_path()


def magnifier(ctx, cx, cy, radius, colour, alpha=1.0, glass=(0.67, 0.82, 0.92)):
    ctx.arc(cx, cy, radius, 0, 2 * math.pi)
    ctx.set_source_rgba(*glass, 0.45 * alpha)
    ctx.fill()
    ctx.set_source_rgba(*colour, alpha)
    ctx.set_line_width(radius * 0.24)
    ctx.arc(cx, cy, radius, 0, 2 * math.pi)
    ctx.stroke()
    ctx.set_line_width(radius * 0.34)
    ctx.move_to(cx + radius * 0.78, cy + radius * 0.78)
    ctx.line_to(cx + radius * 1.7, cy + radius * 1.7)
    ctx.stroke()


def tick(ctx, cx, cy, size, colour=(0.20, 0.60, 0.25)):
    ctx.set_source_rgb(*colour)
    ctx.set_line_width(size * 0.22)
    ctx.move_to(cx - size * 0.45, cy)
    ctx.line_to(cx - size * 0.1, cy + size * 0.35)
    ctx.line_to(cx + size * 0.5, cy - size * 0.4)
    ctx.stroke()


def cross(ctx, cx, cy, size, colour=(0.78, 0.10, 0.10), width=None):
    ctx.set_source_rgba(*colour, 0.9)
    ctx.set_line_width(width or size * 0.16)
    for sx in (-1, 1):
        ctx.move_to(cx - size / 2 * sx, cy - size / 2)
        ctx.line_to(cx + size / 2 * sx, cy + size / 2)
        ctx.stroke()


def paper_texture(ctx, x, y, w, h, seed, strength=0.05):
    """Faint fibres and blotches, the same each build."""
    rng = Rng(seed)
    for _ in range(int(w * h / 900)):
        px, py = x + rng.uniform(0, w), y + rng.uniform(0, h)
        ctx.set_source_rgba(0.45, 0.32, 0.15, strength * rng.uniform(0.3, 1.0))
        ctx.arc(px, py, rng.uniform(0.6, 2.4), 0, 2 * math.pi)
        ctx.fill()


class Rng:
    """A small generator of its own, so every build draws the same pictures."""

    def __init__(self, seed):
        self.state = (seed * 2654435761 + 12345) & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x & 0xFFFFFFFF
        return self.state / 4294967296.0

    def uniform(self, a, b):
        return a + (b - a) * self.next()

    def choice(self, items):
        return items[int(self.next() * len(items)) % len(items)]
