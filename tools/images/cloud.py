"""The praise cloud ("oblako_png"), 506 x 350: a ring of fluffy cloud around
a window through which the praise video (drawn beneath it) is seen. The
window is fully transparent over at least (93, 76)-(413, 276), both corners
included."""

import math
import random

import cairo

from common import SUN, SUN_DEEP, WHITE, mix, radial_gradient, rgb, surface, to_rgba

W, H = 506, 350
# The window in continuous coordinates: pixels 93..413 x 76..276 inclusive.
WINDOW = (93, 76, 414, 277)
CLEARANCE = 4.0  # pixels kept clear around the window, against antialiasing


def distance_to_window(x, y):
    x0, y0, x1, y1 = WINDOW
    dx = max(x0 - x, 0.0, x - x1)
    dy = max(y0 - y, 0.0, y - y1)
    return math.hypot(dx, dy)


def puffs(seed):
    """Circles whose union is the ring: scalloped inside along the window,
    scalloped outside along the picture's edge, filled in between."""
    rng = random.Random(seed)
    x0, y0, x1, y1 = WINDOW
    result = []

    def perimeter(rect, step, corner=0.0):
        """Points every `step` along a rectangle whose corners are rounded
        with radius `corner`."""
        ax, ay, bx, by = rect
        c = corner
        straight = [((ax + c, ay), (bx - c, ay)), ((bx, ay + c), (bx, by - c)),
                    ((bx - c, by), (ax + c, by)), ((ax, by - c), (ax, ay + c))]
        arcs = [(bx - c, ay + c, -math.pi / 2), (bx - c, by - c, 0.0), (ax + c, by - c, math.pi / 2),
                (ax + c, ay + c, math.pi)]
        pieces = []
        for (p0, p1), (cx, cy, start) in zip(straight, arcs):
            pieces.append(("line", p0, p1, math.hypot(p1[0] - p0[0], p1[1] - p0[1])))
            pieces.append(("arc", (cx, cy), start, c * math.pi / 2))
        length = sum(piece[-1] for piece in pieces)
        n = int(length // step)
        points = []
        for i in range(n):
            t = i * length / n
            for piece in pieces:
                if t <= piece[-1] or piece is pieces[-1]:
                    if piece[0] == "line":
                        (x0_, y0_), (x1_, y1_), l = piece[1], piece[2], piece[3]
                        f = t / l if l else 0.0
                        points.append((x0_ + (x1_ - x0_) * f, y0_ + (y1_ - y0_) * f))
                    else:
                        (cx, cy), start, l = piece[1], piece[2], piece[3]
                        angle = start + (t / l if l else 0.0) * math.pi / 2
                        points.append((cx + c * math.cos(angle), cy + c * math.sin(angle)))
                    break
                t -= piece[-1]
        return points

    # Inner scallops: circles that just touch the window's clearance.
    for (px, py) in perimeter((x0 - 24, y0 - 24, x1 + 24, y1 + 24), 30):
        r = rng.uniform(19, 25)
        d = distance_to_window(px, py)
        r = min(r, d - CLEARANCE)
        if r > 8:
            result.append((px, py, r))
    # Outer scallops: circles that stay inside the picture.
    margin = 3.0
    for (px, py) in perimeter((50, 46, W - 50, H - 46), 42, corner=34.0):
        px, py = px + rng.uniform(-3, 3), py + rng.uniform(-3, 3)
        r = rng.uniform(30, 52)
        r = min(r, px - margin, W - margin - px, py - margin, H - margin - py,
                distance_to_window(px, py) - CLEARANCE)
        if r > 10:
            result.append((px, py, r))
    # Filling between the two rows.
    for (px, py) in perimeter((x0 - 52, y0 - 44, x1 + 52, y1 + 44), 36):
        r = min(rng.uniform(26, 34), distance_to_window(px, py) - CLEARANCE,
                px - margin, W - margin - px, py - margin, H - margin - py)
        if r > 10:
            result.append((px, py, r))
    return result


def draw_ring(ctx, circles, dx, dy, grow, source):
    ctx.new_path()
    for (x, y, r) in circles:
        ctx.new_sub_path()
        ctx.arc(x + dx, y + dy, max(1.0, r + grow), 0, 2 * math.pi)
    ctx.set_source(source)
    ctx.fill()


def star(ctx, x, y, r, colour, rim):
    ctx.save()
    ctx.translate(x, y)
    ctx.move_to(0, -r)
    for k in range(1, 10):
        a = -math.pi / 2 + k * math.pi / 5
        rr = r if k % 2 == 0 else r * 0.45
        ctx.line_to(rr * math.cos(a), rr * math.sin(a))
    ctx.close_path()
    ctx.set_source_rgba(*rgb(colour))
    ctx.fill_preserve()
    ctx.set_line_width(1.5)
    ctx.set_source_rgba(*rgb(rim))
    ctx.stroke()
    ctx.restore()


def praise_cloud():
    circles = puffs(506)
    s, ctx = surface(W, H)
    outline = cairo.SolidPattern(*rgb((132, 176, 222)))
    shadow = cairo.SolidPattern(*rgb((198, 220, 242)))
    # Outline, then the shaded underside, then the lit body offset upwards.
    draw_ring(ctx, circles, 0, 0, 1.6, outline)
    draw_ring(ctx, circles, 0, 0, 0, shadow)
    light = radial_gradient(W * 0.35, H * 0.2, 0, W * 0.35, H * 0.2, W * 0.75,
                            [(0, WHITE), (0.6, WHITE), (1, mix(WHITE, (214, 232, 248), 0.6))])
    lit = [(x, y - r * 0.10, r * 0.90) for (x, y, r) in circles]
    draw_ring(ctx, lit, 0, 0, 0, light)
    # A soft shine on the upper puffs.
    for (x, y, r) in circles:
        if y < 70 and r > 20:
            ctx.arc(x - r * 0.3, y - r * 0.35, r * 0.35, 0, 2 * math.pi)
            ctx.set_source(radial_gradient(x - r * 0.3, y - r * 0.35, 0, x - r * 0.3, y - r * 0.35,
                                           r * 0.35, [(0, WHITE + (230,)), (1, WHITE + (0,))]))
            ctx.fill()
    # Little stars on the ring, for the praise.
    rng = random.Random(7)
    for (x, y) in ((40, 40), (466, 52), (30, 300), (478, 300), (250, 28), (250, 326)):
        star(ctx, x + rng.uniform(-4, 4), y + rng.uniform(-4, 4), rng.uniform(11, 15), SUN, SUN_DEEP)
    return to_rgba(s)
