"""faces: the suspects' portraits, drawn from a few traits (skin, hair, hat, glasses, beard,
collar) so that each face is told apart at a glance, plain and highlighted."""
import math

from gameart.draw import INK, canvas, ellipse, fill_stroke, radial, rounded, shade

SKINS = {
    "light": (0.98, 0.84, 0.72),
    "pale": (0.99, 0.89, 0.80),
    "tan": (0.86, 0.64, 0.46),
    "brown": (0.62, 0.42, 0.28),
    "dark": (0.42, 0.28, 0.18),
}
HAIR = {
    "grey": (0.72, 0.72, 0.74),
    "white": (0.94, 0.94, 0.94),
    "brown": (0.42, 0.26, 0.12),
    "black": (0.10, 0.09, 0.09),
    "blonde": (0.95, 0.80, 0.40),
    "red": (0.80, 0.35, 0.12),
}


class Suspect:
    """One suspect's look: skin, hair colour and style, and what they wear."""

    def __init__(self, frame, skin="light", hair="brown", style="short", hat=None, glasses=False,
                 beard=None, collar=(0.30, 0.35, 0.55), extra=None, hat_colour=(0.2, 0.2, 0.25)):
        self.frame = frame
        self.skin = SKINS[skin]
        self.hair = HAIR[hair]
        self.style = style
        self.hat = hat
        self.hat_colour = hat_colour
        self.glasses = glasses
        self.beard = beard
        self.collar = collar
        self.extra = extra


def draw_face(suspect, width, height, highlight=False, backdrop=True):
    s, ctx = canvas(width, height)
    ctx.scale(width / 100.0, height / 116.0)
    if backdrop:
        rounded(ctx, 2, 2, 96, 112, 6)
        radial(ctx, 50, 40, 90, (0.90, 0.86, 0.76) if not highlight else (1.0, 0.95, 0.70),
               (0.62, 0.56, 0.46) if not highlight else (0.95, 0.75, 0.30))
        ctx.fill()
    _shoulders(ctx, suspect)
    _hair_back(ctx, suspect)
    _head(ctx, suspect)
    _hair_front(ctx, suspect)
    _features(ctx, suspect)
    _hat(ctx, suspect)
    if backdrop:
        rounded(ctx, 2, 2, 96, 112, 6)
        ctx.set_source_rgb(*((0.95, 0.65, 0.10) if highlight else INK))
        ctx.set_line_width(5 if highlight else 2)
        ctx.stroke()
    return s


def _shoulders(ctx, p):
    ctx.move_to(8, 116)
    ctx.curve_to(10, 90, 30, 84, 50, 84)
    ctx.curve_to(70, 84, 90, 90, 92, 116)
    ctx.close_path()
    fill_stroke(ctx, p.collar)
    if p.extra == "bowtie":
        ctx.move_to(50, 92)
        for x, y in ((38, 85), (38, 99), (50, 92), (62, 85), (62, 99)):
            ctx.line_to(x, y)
        ctx.close_path()
        fill_stroke(ctx, (0.75, 0.12, 0.12), width=1.5)
    elif p.extra == "pearls":
        for i in range(9):
            a = math.pi * (0.15 + 0.7 * i / 8)
            ctx.arc(50 - 22 * math.cos(a), 84 + 10 * math.sin(a), 3, 0, 2 * math.pi)
            fill_stroke(ctx, (0.98, 0.97, 0.94), width=0.8)
    elif p.extra == "clerical":
        rounded(ctx, 43, 84, 14, 8, 2)
        fill_stroke(ctx, (1, 1, 1), width=1.2)
    elif p.extra == "scarf":
        ctx.move_to(30, 86)
        ctx.curve_to(40, 96, 60, 96, 70, 86)
        ctx.line_to(66, 112)
        ctx.line_to(58, 112)
        ctx.line_to(60, 96)
        ctx.curve_to(50, 98, 40, 96, 30, 90)
        ctx.close_path()
        fill_stroke(ctx, (0.20, 0.60, 0.30), width=1.5)
    elif p.extra == "apron":
        rounded(ctx, 34, 92, 32, 24, 3)
        fill_stroke(ctx, (0.98, 0.98, 0.96), width=1.2)


def _head(ctx, p):
    ctx.rectangle(42, 70, 16, 16)
    fill_stroke(ctx, shade(p.skin, 0.9), width=1.5)
    for x in (22, 78):
        ellipse(ctx, x, 52, 5, 8)
        fill_stroke(ctx, p.skin, width=1.5)
    ellipse(ctx, 50, 50, 27, 32)
    fill_stroke(ctx, p.skin)


def _hair_back(ctx, p):
    ctx.set_source_rgb(*p.hair)
    if p.style in ("long", "bob", "pigtails", "bun", "curly"):
        ellipse(ctx, 50, 44, 33 if p.style != "bob" else 31, 34 if p.style != "long" else 40)
        fill_stroke(ctx, p.hair, shade(p.hair, 0.6), 1.5)
    if p.style == "long":
        rounded(ctx, 18, 44, 64, 46, 14)
        fill_stroke(ctx, p.hair, shade(p.hair, 0.6), 1.5)
    if p.style == "pigtails":
        for x in (16, 84):
            ellipse(ctx, x, 70, 8, 16)
            fill_stroke(ctx, p.hair, shade(p.hair, 0.6), 1.5)
    if p.style == "bun":
        ctx.arc(50, 14, 11, 0, 2 * math.pi)
        fill_stroke(ctx, p.hair, shade(p.hair, 0.6), 1.5)


def _hair_front(ctx, p):
    if p.style == "bald":
        ellipse(ctx, 25, 44, 5, 10)
        ctx.new_sub_path()
        ellipse(ctx, 75, 44, 5, 10)
        fill_stroke(ctx, p.hair, shade(p.hair, 0.6), 1.2)
        return
    ctx.move_to(23, 46)
    if p.style == "bob":
        ctx.curve_to(20, 10, 80, 10, 77, 46)
        ctx.line_to(77, 60)
        ctx.line_to(70, 60)
        ctx.curve_to(70, 36, 60, 30, 50, 30)
        ctx.line_to(50, 26)
        ctx.curve_to(40, 30, 30, 36, 30, 60)
        ctx.line_to(23, 60)
    elif p.style == "curly":
        for i in range(7):
            a = math.pi * (1.05 + 0.9 * i / 6)
            ctx.arc(50 + 28 * math.cos(a), 46 + 30 * math.sin(a), 8, 0, 2 * math.pi)
            fill_stroke(ctx, p.hair, shade(p.hair, 0.6), 1.2)
        return
    else:
        ctx.curve_to(20, 12, 80, 12, 77, 46)
        ctx.curve_to(72, 32, 60, 26, 44, 30)
        ctx.curve_to(36, 32, 28, 38, 23, 46)
    ctx.close_path()
    fill_stroke(ctx, p.hair, shade(p.hair, 0.6), 1.5)


def _features(ctx, p):
    ctx.set_source_rgb(*INK)
    for x in (40, 60):
        ellipse(ctx, x, 50, 3.2, 3.6)
        ctx.fill()
    ctx.set_line_width(2)
    for x in (40, 60):
        ctx.move_to(x - 6, 42)
        ctx.line_to(x + 6, 42)
    ctx.stroke()
    ctx.set_source_rgba(*shade(p.skin, 0.7), 1)
    ctx.move_to(50, 52)
    ctx.line_to(47, 62)
    ctx.line_to(52, 63)
    ctx.stroke()
    if p.extra == "freckles":
        ctx.set_source_rgba(0.6, 0.3, 0.1, 0.7)
        for x, y in ((35, 58), (39, 61), (33, 62), (61, 61), (65, 58), (67, 62)):
            ctx.arc(x, y, 1.2, 0, 2 * math.pi)
            ctx.fill()
    lips = (0.80, 0.10, 0.20) if p.extra == "lipstick" else (0.55, 0.25, 0.20)
    ctx.set_source_rgb(*lips)
    ctx.set_line_width(3 if p.extra == "lipstick" else 2)
    ctx.move_to(42, 70)
    ctx.curve_to(46, 74, 54, 74, 58, 70)
    ctx.stroke()
    if p.beard == "moustache":
        ctx.move_to(50, 66)
        ctx.curve_to(42, 62, 34, 66, 32, 70)
        ctx.curve_to(40, 68, 46, 70, 50, 68)
        ctx.curve_to(54, 70, 60, 68, 68, 70)
        ctx.curve_to(66, 66, 58, 62, 50, 66)
        fill_stroke(ctx, p.hair, shade(p.hair, 0.5), 1)
    elif p.beard == "beard":
        ctx.move_to(24, 56)
        ctx.curve_to(26, 90, 74, 90, 76, 56)
        ctx.curve_to(70, 70, 62, 66, 50, 66)
        ctx.curve_to(38, 66, 30, 70, 24, 56)
        fill_stroke(ctx, p.hair, shade(p.hair, 0.5), 1)
    elif p.beard == "stubble":
        ctx.set_source_rgba(0.2, 0.15, 0.1, 0.35)
        for i in range(40):
            a = math.pi * (0.15 + 0.7 * (i % 20) / 19)
            r = 22 + (i // 20) * 4
            ctx.arc(50 + r * math.cos(a), 50 + r * math.sin(a) * 1.1, 0.9, 0, 2 * math.pi)
            ctx.fill()
    if p.glasses:
        ctx.set_source_rgb(*INK)
        ctx.set_line_width(2.2)
        for x in (40, 60):
            ctx.arc(x, 50, 8, 0, 2 * math.pi)
            ctx.stroke()
        ctx.move_to(48, 49)
        ctx.line_to(52, 49)
        ctx.stroke()
    if p.extra == "monocle":
        ctx.set_source_rgb(0.8, 0.65, 0.2)
        ctx.set_line_width(2.2)
        ctx.arc(60, 50, 8, 0, 2 * math.pi)
        ctx.stroke()
        ctx.move_to(66, 56)
        ctx.curve_to(70, 70, 66, 80, 72, 88)
        ctx.stroke()


def _hat(ctx, p):
    colour = p.hat_colour
    if p.hat == "bowler":
        ellipse(ctx, 50, 26, 34, 6)
        fill_stroke(ctx, colour)
        ctx.move_to(28, 26)
        ctx.curve_to(28, -6, 72, -6, 72, 26)
        ctx.close_path()
        fill_stroke(ctx, colour)
    elif p.hat == "cap":
        ctx.move_to(22, 30)
        ctx.curve_to(22, 4, 78, 4, 78, 30)
        ctx.close_path()
        fill_stroke(ctx, colour)
        ctx.move_to(22, 30)
        ctx.curve_to(40, 34, 70, 34, 86, 30)
        ctx.line_to(84, 36)
        ctx.curve_to(60, 40, 40, 38, 22, 34)
        ctx.close_path()
        fill_stroke(ctx, shade(colour, 0.6))
        ctx.arc(50, 18, 4, 0, 2 * math.pi)
        fill_stroke(ctx, (0.85, 0.70, 0.25), width=1)
    elif p.hat == "wide":
        ellipse(ctx, 50, 28, 44, 8)
        fill_stroke(ctx, colour)
        ctx.move_to(30, 28)
        ctx.curve_to(30, 2, 70, 2, 70, 28)
        ctx.close_path()
        fill_stroke(ctx, colour)
        ctx.rectangle(30, 20, 40, 6)
        fill_stroke(ctx, (0.95, 0.90, 0.95), width=1)
    elif p.hat == "bonnet":
        ctx.move_to(20, 44)
        ctx.curve_to(16, 0, 84, 0, 80, 44)
        ctx.curve_to(70, 22, 30, 22, 20, 44)
        ctx.close_path()
        fill_stroke(ctx, colour)


# The twelve suspects of the first round, by the frame names the rounds configuration gives them.
SUSPECTS = [
    Suspect("s_ashcombe", "pale", "grey", "bun", extra="pearls", collar=(0.45, 0.25, 0.55)),
    Suspect("s_brandt", "light", "white", "bald", beard="moustache", extra="monocle",
            collar=(0.30, 0.38, 0.25)),
    Suspect("s_pell", "light", "brown", "short", glasses=True, extra="bowtie",
            collar=(0.35, 0.30, 0.28)),
    Suspect("s_quist", "tan", "red", "long", extra="scarf", collar=(0.20, 0.25, 0.40)),
    Suspect("s_rowan", "pale", "blonde", "bob", hat="wide", hat_colour=(0.25, 0.45, 0.75),
            collar=(0.55, 0.70, 0.85)),
    Suspect("s_finch", "brown", "black", "short", hat="cap", beard="stubble",
            hat_colour=(0.15, 0.20, 0.40), collar=(0.15, 0.20, 0.40)),
    Suspect("s_hale", "light", "black", "short", collar=(0.25, 0.25, 0.30), extra="bowtie"),
    Suspect("s_lowe", "tan", "brown", "bun", hat="bonnet", hat_colour=(0.95, 0.95, 0.92),
            extra="apron", collar=(0.35, 0.30, 0.45)),
    Suspect("s_marsh", "light", "grey", "curly", glasses=True, beard="beard",
            collar=(0.40, 0.30, 0.20)),
    Suspect("s_vance", "dark", "black", "bob", extra="lipstick", collar=(0.60, 0.15, 0.20)),
    Suspect("s_dray", "light", "grey", "short", extra="clerical", collar=(0.10, 0.10, 0.12)),
    Suspect("s_moss", "pale", "red", "pigtails", extra="freckles", collar=(0.45, 0.55, 0.35)),
]
