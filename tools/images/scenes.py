"""The two full-screen pictures: the screens' calm background
("DefaultBackGround") and the exercise's sky and meadow ("102")."""

import math
import random

import cairo

from common import (GRASS, GRASS_DARK, WHITE, mix, radial_gradient, rgb, surface, to_rgba,
                    vertical_gradient)

W, H = 800, 600


def cloud_path(ctx, cx, cy, scale, rng):
    """A fluffy cloud: a union of puffs over a flat, rounded bottom."""
    puffs = [(-62, 4, 26), (-34, -14, 34), (0, -26, 42), (36, -12, 34), (64, 4, 24), (-12, 6, 30),
             (22, 8, 28)]
    ctx.new_path()
    for dx, dy, r in puffs:
        jitter = 1.0 + rng.uniform(-0.08, 0.08)
        ctx.new_sub_path()
        ctx.arc(cx + dx * scale, cy + dy * scale, r * scale * jitter, 0, 2 * math.pi)
    # The flat base joins the puffs.
    x0, x1 = cx - 62 * scale, cx + 64 * scale
    ctx.new_sub_path()
    ctx.arc(x0, cy + 4 * scale, 24 * scale, math.pi / 2, 3 * math.pi / 2)
    ctx.line_to(x1, cy - 20 * scale)
    ctx.arc(x1, cy + 4 * scale, 24 * scale, -math.pi / 2, math.pi / 2)
    ctx.close_path()


def draw_cloud(ctx, cx, cy, scale, seed, alpha=1.0, shade=(206, 224, 240)):
    ctx.push_group()
    cloud_path(ctx, cx, cy + 4 * scale, scale, random.Random(seed))
    ctx.set_source_rgba(*rgb(shade))
    ctx.fill()
    cloud_path(ctx, cx, cy, scale, random.Random(seed))
    ctx.set_source(vertical_gradient(cy - 70 * scale, cy + 30 * scale,
                                     [(0, WHITE), (0.7, WHITE), (1, mix(WHITE, shade, 0.5))]))
    ctx.fill()
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)


def hill(ctx, base, waves, colour_top, colour_bottom, top_y):
    ctx.move_to(0, H)
    for x in range(0, W + 5, 4):
        y = base + sum(a * math.sin(2 * math.pi * (x / period) + phase) for a, period, phase in waves)
        ctx.line_to(x, y)
    ctx.line_to(W, H)
    ctx.close_path()
    ctx.set_source(vertical_gradient(top_y, H, [(0, colour_top), (1, colour_bottom)]))
    ctx.fill()


def hill_y(base, waves, x):
    return base + sum(a * math.sin(2 * math.pi * (x / period) + phase) for a, period, phase in waves)


def decorative_bubble(ctx, cx, cy, r, alpha):
    """A faint soap bubble outline for the calm background."""
    ctx.save()
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source(radial_gradient(cx, cy, 0, cx, cy, r,
                                   [(0, WHITE + (0,)), (0.8, (214, 236, 252, int(60 * alpha))),
                                    (1, (170, 206, 240, int(150 * alpha)))]))
    ctx.fill()
    for start, colour in ((0.0, (240, 150, 210)), (2.1, (130, 210, 240)), (4.2, (250, 220, 120))):
        ctx.arc(cx, cy, r - 1.2, start, start + 1.6)
        ctx.set_line_width(2.0)
        ctx.set_source_rgba(*rgb(colour, 0.55 * alpha))
        ctx.stroke()
    ctx.arc(cx - r * 0.35, cy - r * 0.38, r * 0.16, 0, 2 * math.pi)
    ctx.set_source_rgba(1, 1, 1, 0.75 * alpha)
    ctx.fill()
    ctx.restore()


def default_background():
    s, ctx = surface(W, H)
    ctx.set_source(vertical_gradient(0, H, [(0, (182, 224, 249)), (0.42, (221, 241, 252)),
                                            (1, (242, 250, 254))]))
    ctx.paint()
    # A soft light from the upper left.
    ctx.set_source(radial_gradient(60, 40, 0, 60, 40, 420, [(0, (255, 255, 255, 120)),
                                                            (1, (255, 255, 255, 0))]))
    ctx.paint()
    draw_cloud(ctx, 150, 78, 1.25, 11, alpha=0.75)
    draw_cloud(ctx, 560, 120, 0.9, 12, alpha=0.55)
    draw_cloud(ctx, 690, 300, 1.0, 13, alpha=0.45)
    draw_cloud(ctx, 90, 420, 0.8, 14, alpha=0.45)
    for cx, cy, r, a in ((44, 250, 26, 0.9), (74, 300, 14, 0.8), (770, 400, 30, 0.9),
                         (735, 450, 16, 0.8), (600, 40, 12, 0.6), (300, 560, 11, 0.5)):
        decorative_bubble(ctx, cx, cy, r, a)
    # A pale meadow along the bottom edge, below every button and legend.
    hill(ctx, 584, [(7, 520, 0.4), (4, 230, 1.3)], (200, 236, 186), (176, 224, 164), 570)
    hill(ctx, 592, [(5, 380, 2.2), (3, 170, 0.2)], (184, 228, 170), (160, 214, 150), 580)
    return to_rgba(s)


def draw_sun(ctx, cx, cy):
    ctx.set_source(radial_gradient(cx, cy, 0, cx, cy, 150, [(0, (255, 246, 190, 200)),
                                                           (0.35, (255, 240, 170, 110)),
                                                           (1, (255, 240, 170, 0))]))
    ctx.paint()
    ctx.save()
    ctx.translate(cx, cy)
    for i in range(12):
        ctx.save()
        ctx.rotate(i * math.pi / 6 + 0.12)
        ctx.move_to(-7, -52)
        ctx.line_to(0, -78 if i % 2 == 0 else -68)
        ctx.line_to(7, -52)
        ctx.close_path()
        ctx.set_source_rgba(*rgb((255, 210, 80), 0.85))
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.set_line_width(4)
        ctx.fill_preserve()
        ctx.stroke()
        ctx.restore()
    ctx.restore()
    ctx.arc(cx, cy, 44, 0, 2 * math.pi)
    ctx.set_source(radial_gradient(cx, cy, 0, cx - 14, cy - 14, 46, [(0, (255, 250, 200)),
                                                                    (0.6, (255, 226, 100)),
                                                                    (1, (252, 196, 60))]))
    ctx.fill()


def draw_tree(ctx, x, base, seed):
    rng = random.Random(seed)
    ctx.move_to(x - 9, base)
    ctx.curve_to(x - 6, base - 40, x - 7, base - 70, x - 4, base - 92)
    ctx.line_to(x + 5, base - 92)
    ctx.curve_to(x + 7, base - 70, x + 6, base - 40, x + 11, base)
    ctx.close_path()
    ctx.set_source(vertical_gradient(base - 92, base, [(0, (150, 104, 66)), (1, (118, 80, 50))]))
    ctx.fill()
    puffs = [(0, -128, 46), (-38, -104, 36), (38, -104, 36), (-22, -150, 32), (24, -152, 32),
             (0, -96, 34)]
    for dx, dy, r in puffs:
        ctx.arc(x + dx, base + dy + 4, r, 0, 2 * math.pi)
        ctx.set_source_rgba(*rgb((60, 140, 60)))
        ctx.fill()
    for dx, dy, r in puffs:
        ctx.arc(x + dx, base + dy, r - 2, 0, 2 * math.pi)
        ctx.set_source(radial_gradient(x + dx, base + dy, 0, x + dx - r * 0.4, base + dy - r * 0.5, r,
                                       [(0, (150, 222, 110)), (0.6, (104, 194, 84)),
                                        (1, (78, 170, 70))]))
        ctx.fill()
    for _ in range(7):
        ax = x + rng.uniform(-50, 50)
        ay = base - 120 + rng.uniform(-35, 30)
        ctx.arc(ax, ay, 5, 0, 2 * math.pi)
        ctx.set_source(radial_gradient(ax, ay, 0, ax - 2, ay - 2, 5, [(0, (255, 150, 140)),
                                                                    (1, (220, 52, 50))]))
        ctx.fill()


def draw_flower(ctx, x, y, r, petal, centre):
    for i in range(5):
        a = i * 2 * math.pi / 5
        ctx.arc(x + math.cos(a) * r, y + math.sin(a) * r, r * 0.85, 0, 2 * math.pi)
        ctx.set_source_rgba(*rgb(petal))
        ctx.fill()
    ctx.arc(x, y, r * 0.7, 0, 2 * math.pi)
    ctx.set_source_rgba(*rgb(centre))
    ctx.fill()


def draw_tuft(ctx, x, y, size, colour):
    ctx.set_line_width(1.6)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source_rgba(*rgb(colour))
    for lean in (-0.6, 0.0, 0.55):
        ctx.move_to(x, y)
        ctx.curve_to(x + lean * size * 0.3, y - size * 0.5, x + lean * size, y - size * 0.8,
                     x + lean * size * 1.2, y - size)
    ctx.stroke()


def exercise_background():
    s, ctx = surface(W, H)
    ctx.set_source(vertical_gradient(0, 470, [(0, (84, 166, 234)), (0.55, (146, 204, 245)),
                                              (1, (208, 236, 251))]))
    ctx.paint()
    draw_sun(ctx, 92, 84)
    draw_cloud(ctx, 330, 92, 1.05, 21)
    draw_cloud(ctx, 600, 62, 1.3, 22)
    draw_cloud(ctx, 730, 200, 0.75, 23, alpha=0.9)
    draw_cloud(ctx, 190, 250, 0.7, 24, alpha=0.85)
    draw_cloud(ctx, 470, 300, 0.55, 25, alpha=0.8)
    # Birds far away.
    ctx.set_line_width(2.0)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source_rgba(*rgb((60, 90, 130), 0.7))
    for bx, by, bs in ((420, 170, 9), (446, 160, 7), (465, 176, 6)):
        ctx.move_to(bx - bs, by - bs * 0.4)
        ctx.curve_to(bx - bs * 0.5, by - bs * 0.8, bx - 1, by - bs * 0.3, bx, by)
        ctx.curve_to(bx + 1, by - bs * 0.3, bx + bs * 0.5, by - bs * 0.8, bx + bs, by - bs * 0.4)
    ctx.stroke()

    far = [(14, 310, 0.5), (8, 150, 2.0)]
    hill(ctx, 440, far, (170, 220, 168), (150, 206, 140), 410)
    mid = [(22, 520, 3.6), (9, 210, 1.1)]
    hill(ctx, 478, mid, (140, 212, 112), (110, 190, 90), 450)
    near = [(16, 700, 0.3), (6, 260, 2.5)]
    hill(ctx, 530, near, GRASS, GRASS_DARK, 505)

    draw_tree(ctx, 688, int(hill_y(478, mid, 688)) + 8, 31)

    rng = random.Random(41)
    petals = [(255, 255, 255), (255, 150, 180), (255, 222, 90), (190, 150, 255), (255, 130, 100)]
    items = []
    for _ in range(260):
        x = rng.uniform(0, W)
        y = rng.uniform(470, 598)
        items.append((y, x))
    for y, x in sorted(items):
        top_mid = hill_y(478, mid, x)
        if y < top_mid + 8:
            continue
        depth = (y - 470) / 130.0
        if rng.random() < 0.55:
            green = GRASS_DARK if y > hill_y(530, near, x) else (86, 170, 76)
            draw_tuft(ctx, x, y, 5 + 7 * depth, green)
        else:
            petal = petals[rng.randrange(len(petals))]
            centre = (255, 196, 60) if petal != (255, 222, 90) else (240, 130, 40)
            draw_flower(ctx, x, y, 1.6 + 2.6 * depth, petal, centre)
    return to_rgba(s)
