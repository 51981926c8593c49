"""Drawing helpers shared by the praise clips' scenes (pycairo).

Scenes draw in display units: a 320 x 200 picture, the size at which the
program shows the clips. The frame itself is 320 x 240; the caller scales the
context by 1.2 vertically, so a circle drawn here is round on screen.
"""

import math

WIDTH = 320
HEIGHT = 200


def clamp(x, lo=0.0, hi=1.0):
    return max(lo, min(hi, x))


def progress(t, start, length):
    """0 before `start`, 1 after `start + length`, linear in between."""
    return clamp((t - start) / length)


def ease_out_cubic(x):
    return 1 - (1 - x) ** 3


def ease_in_out(x):
    return x * x * (3 - 2 * x)


def ease_out_back(x, overshoot=1.9):
    """Grows past 1 and settles back: a springy pop."""
    x -= 1
    return 1 + x * x * ((overshoot + 1) * x + overshoot)


def rgb(hex_colour):
    """'#rrggbb' as a tuple of floats 0..1."""
    value = int(hex_colour.lstrip("#"), 16)
    return ((value >> 16) / 255, ((value >> 8) & 255) / 255, (value & 255) / 255)


def lighter(colour, amount):
    return tuple(c + (1 - c) * amount for c in colour)


def darker(colour, amount):
    return tuple(c * (1 - amount) for c in colour)


def vertical_gradient(ctx, cairo, stops):
    """Fills the picture with a top-to-bottom gradient of (offset, colour)."""
    gradient = cairo.LinearGradient(0, 0, 0, HEIGHT)
    for offset, colour in stops:
        gradient.add_color_stop_rgb(offset, *colour)
    ctx.set_source(gradient)
    ctx.paint()


def radial_gradient(ctx, cairo, cx, cy, radius, inner, outer):
    gradient = cairo.RadialGradient(cx, cy, 0, cx, cy, radius)
    gradient.add_color_stop_rgb(0, *inner)
    gradient.add_color_stop_rgb(1, *outer)
    ctx.set_source(gradient)
    ctx.paint()


def star_path(ctx, cx, cy, outer, inner, points=5, angle=0.0):
    """A star with its first point straight up when `angle` is 0."""
    ctx.new_path()
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = angle - math.pi / 2 + i * math.pi / points
        x, y = cx + r * math.cos(a), cy + r * math.sin(a)
        if i == 0:
            ctx.move_to(x, y)
        else:
            ctx.line_to(x, y)
    ctx.close_path()


def rounded_star(ctx, cairo, cx, cy, size, angle, fill, edge):
    """A filled star with a darker rim and a light glint."""
    star_path(ctx, cx, cy, size, size * 0.48, angle=angle)
    gradient = cairo.RadialGradient(cx - size * 0.3, cy - size * 0.4, 0, cx, cy, size * 1.2)
    gradient.add_color_stop_rgb(0, *lighter(fill, 0.6))
    gradient.add_color_stop_rgb(1, *fill)
    ctx.set_source(gradient)
    ctx.fill_preserve()
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(max(1.0, size * 0.09))
    ctx.set_source_rgb(*edge)
    ctx.stroke()


def glint(ctx, cx, cy, size, alpha):
    """A four-pointed white twinkle."""
    if alpha <= 0 or size <= 0:
        return
    ctx.new_path()
    ctx.move_to(cx, cy - size)
    ctx.curve_to(cx + size * 0.12, cy - size * 0.12, cx + size * 0.12, cy - size * 0.12, cx + size, cy)
    ctx.curve_to(cx + size * 0.12, cy + size * 0.12, cx + size * 0.12, cy + size * 0.12, cx, cy + size)
    ctx.curve_to(cx - size * 0.12, cy + size * 0.12, cx - size * 0.12, cy + size * 0.12, cx - size, cy)
    ctx.curve_to(cx - size * 0.12, cy - size * 0.12, cx - size * 0.12, cy - size * 0.12, cx, cy - size)
    ctx.close_path()
    ctx.set_source_rgba(1, 1, 1, alpha)
    ctx.fill()


def ellipse(ctx, cx, cy, rx, ry):
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(rx, ry)
    ctx.new_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()


def smile_face(ctx, cx, cy, size, blink=0.0, eye_colour=(0.25, 0.15, 0.1)):
    """Two eyes, rosy cheeks and a wide smile, scaled to `size` (the face's
    radius). `blink` 0 is open eyes, 1 closed (drawn as happy arcs)."""
    eye_dx, eye_y = size * 0.36, cy - size * 0.18
    for side in (-1, 1):
        ex = cx + side * eye_dx
        if blink < 0.5:
            ellipse(ctx, ex, eye_y, size * 0.11, size * 0.16 * (1 - blink * 1.6))
            ctx.set_source_rgb(*eye_colour)
            ctx.fill()
            ellipse(ctx, ex + size * 0.035, eye_y - size * 0.06, size * 0.04, size * 0.045)
            ctx.set_source_rgb(1, 1, 1)
            ctx.fill()
        else:
            ctx.new_path()
            ctx.arc_negative(ex, eye_y + size * 0.05, size * 0.11, -0.2, -math.pi + 0.2)
            ctx.set_line_width(size * 0.06)
            ctx.set_source_rgb(*eye_colour)
            ctx.stroke()
        ellipse(ctx, cx + side * size * 0.58, cy + size * 0.16, size * 0.15, size * 0.1)
        ctx.set_source_rgba(1.0, 0.35, 0.4, 0.45)
        ctx.fill()
    ctx.new_path()
    ctx.arc(cx, cy + size * 0.05, size * 0.42, 0.15 * math.pi, 0.85 * math.pi)
    ctx.close_path()
    ctx.set_source_rgb(*eye_colour)
    ctx.fill_preserve()
    ctx.set_line_width(size * 0.05)
    ctx.stroke()
    # The tongue: a soft red half-disc at the bottom of the mouth.
    ctx.save()
    ctx.new_path()
    ctx.arc(cx, cy + size * 0.05, size * 0.42, 0.15 * math.pi, 0.85 * math.pi)
    ctx.close_path()
    ctx.clip()
    ellipse(ctx, cx, cy + size * 0.47, size * 0.22, size * 0.13)
    ctx.set_source_rgb(0.95, 0.35, 0.35)
    ctx.fill()
    ctx.restore()
