"""The soap bubble ("103") and the three stages of its burst ("108", "109",
"110"), all 511 x 470.

The intact bubble is hit-tested at alpha 1: every pixel whose centre lies
inside the ellipse that fills the picture has alpha at least 1, every pixel
outside it alpha 0. The burst frames are hit-tested at alpha 255, so each
has fully opaque pixels (its droplets and rim pieces).
"""

import math
import random

import cairo
import numpy as np

from common import from_rgba, over, rgb, surface, to_rgba

W, H = 511, 470
CX, CY = W / 2.0, H / 2.0
AX, AY = W / 2.0 - 1.0, H / 2.0 - 1.0  # one transparent pixel around the ellipse


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def smooth_field(u, v, rng, waves=7, scale=2.5):
    """A smooth random field over the unit square, about -1..1."""
    f = np.zeros_like(u)
    for _ in range(waves):
        angle = rng.uniform(0, 2 * math.pi)
        freq = rng.uniform(0.6, 1.6) * scale
        phase = rng.uniform(0, 2 * math.pi)
        f += np.sin((u * math.cos(angle) + v * math.sin(angle)) * freq + phase)
    return f / math.sqrt(waves)


def film_colours(t, saturation):
    """Thin-film interference colours for a film thickness field `t`: a hue
    wheel walked by thickness, at the given saturation and full value."""
    h6 = np.mod(t, 1.0) * 6.0
    k = np.floor(h6)
    f = h6 - k
    k = k.astype(int) % 6
    s = saturation
    p, q, r = 1.0 - s, 1.0 - s * f, 1.0 - s * (1.0 - f)
    one = np.ones_like(f)
    table = [(one, r, p), (q, one, p), (p, one, r), (p, q, one), (r, p, one), (one, p, q)]
    out = np.zeros(t.shape + (3,))
    for index, channels in enumerate(table):
        m = k == index
        for ch in range(3):
            out[..., ch] = np.where(m, channels[ch], out[..., ch])
    return out


def ellipse_coordinates():
    y, x = np.mgrid[0:H, 0:W].astype(np.float64)
    u = (x + 0.5 - CX) / AX
    v = (y + 0.5 - CY) / AY
    return u, v, np.sqrt(u * u + v * v), np.arctan2(v, u)


def soft_blob(u, v, cu, cv, ru, rv, angle, softness):
    """1 inside a rotated ellipse, falling off smoothly at its edge."""
    ca, sa = math.cos(angle), math.sin(angle)
    du, dv = u - cu, v - cv
    a = (du * ca + dv * sa) / ru
    b = (-du * sa + dv * ca) / rv
    return 1.0 - smoothstep(1.0 - softness, 1.0, np.sqrt(a * a + b * b))


def angular_band(theta, centre, width):
    d = np.angle(np.exp(1j * (theta - centre)))
    return np.exp(-(d / width) ** 2)


def bubble(highlights=True):
    pyrng = random.Random(103)
    u, v, d, theta = ellipse_coordinates()
    inside = d < 1.0

    # Film: thinner at the top (the liquid drains down), swirled.
    swirl = smooth_field(u, v, pyrng, scale=3.0)
    t = 0.70 + 0.30 * (v + 1.0) / 2.0 + 0.22 * swirl + 0.06 * np.sin(theta * 2.0 + 0.6)
    saturation = 0.14 + 0.36 * smoothstep(0.55, 1.0, d)
    colour = film_colours(t, saturation)
    colour = colour * 0.9 + 0.1  # light, airy colours
    alpha = 0.07 + 0.07 * d * d + 0.62 * smoothstep(0.78, 1.0, d) ** 1.6

    # A slightly deeper edge defines the silhouette against a bright sky.
    edge = smoothstep(0.965, 0.995, d)
    colour = colour * (1 - 0.35 * edge[..., None]) + np.array([0.35, 0.45, 0.75]) * 0.35 * edge[..., None]
    alpha = alpha + 0.18 * edge

    film = np.concatenate([colour, alpha[..., None]], axis=-1)

    def white(a):
        return np.concatenate([np.ones(u.shape + (3,)), np.clip(a, 0, 1)[..., None]], axis=-1)

    # Reflections: the window of light top left, a small spot, a thin bright
    # arc along the upper left rim, and a soft glow inside the lower right.
    window = soft_blob(u, v, -0.40, -0.47, 0.25, 0.13, -0.75, 0.45) * 0.92
    spot = soft_blob(u, v, -0.13, -0.66, 0.055, 0.045, 0.0, 0.5) * 0.85
    rim_arc = angular_band(theta, math.radians(-135), 0.55) * \
        np.exp(-((d - 0.90) / 0.025) ** 2) * 0.65
    glow = angular_band(theta, math.radians(45), 0.5) * np.exp(-((d - 0.86) / 0.06) ** 2) * 0.40
    small_window = soft_blob(u, v, 0.50, 0.52, 0.12, 0.05, -0.75, 0.6) * 0.45
    if highlights:
        for layer in (glow, rim_arc, small_window, window, spot):
            film = over(film, white(layer))

    # Coverage of the ellipse's edge, about one pixel wide; never below 1/255 inside.
    edge_px = (1.0 - d) * min(AX, AY)
    coverage = np.clip(edge_px + 0.5, 0.0, 1.0)
    a = np.round(film[..., 3] * coverage * 255.0)
    a = np.where(inside, np.maximum(a, 1.0), 0.0)
    out = np.zeros((H, W, 4), dtype=np.uint8)
    out[..., :3] = np.clip(np.round(film[..., :3] * 255.0), 0, 255).astype(np.uint8)
    out[..., 3] = a.astype(np.uint8)
    out[~inside, :3] = (200, 220, 240)
    return out


DROP_COLOURS = [(150, 220, 252), (252, 170, 220), (200, 172, 252), (255, 228, 140), (160, 240, 200),
                (255, 190, 150)]


def ellipse_point(scale, angle):
    return CX + AX * scale * math.cos(angle), CY + AY * scale * math.sin(angle)


def droplet(ctx, x, y, r, colour, alpha=1.0):
    """A small opaque drop with a shine: opaque where alpha is 1."""
    ctx.save()
    ctx.push_group()
    dark = tuple(int(c * 0.62) for c in colour)
    ctx.arc(x, y, r, 0, 2 * math.pi)
    g = cairo.RadialGradient(x - r * 0.35, y - r * 0.35, r * 0.1, x, y, r)
    g.add_color_stop_rgba(0, *rgb((255, 255, 255)))
    g.add_color_stop_rgba(0.35, *rgb(colour))
    g.add_color_stop_rgba(1, *rgb(dark))
    ctx.set_source(g)
    ctx.fill()
    ctx.arc(x - r * 0.38, y - r * 0.38, max(0.8, r * 0.26), 0, 2 * math.pi)
    ctx.set_source_rgba(1, 1, 1, 0.95)
    ctx.fill()
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)
    ctx.restore()


def sparkle(ctx, x, y, size, colour=(255, 255, 255), alpha=1.0):
    """A four-pointed twinkle with concave sides."""
    tips = [(0, -size), (size, 0), (0, size), (-size, 0)]
    ctx.save()
    ctx.translate(x, y)
    ctx.move_to(*tips[0])
    for k in range(4):
        nx, ny = tips[(k + 1) % 4]
        ctx.curve_to(0.12 * (tips[k][0] + nx), 0.12 * (tips[k][1] + ny),
                     0.12 * (tips[k][0] + nx), 0.12 * (tips[k][1] + ny), nx, ny)
    ctx.close_path()
    ctx.set_source_rgba(*rgb(colour, alpha))
    ctx.fill()
    ctx.restore()


def rim_piece(ctx, scale, a0, a1, colour, width):
    """A piece of the broken rim: a soft halo, an opaque core and a shine."""
    cx, cy = CX, CY
    for w, col, alpha in ((width * 1.9, colour, 0.35), (width, colour, 1.0),
                          (width * 0.32, (255, 255, 255), 0.9)):
        ctx.save()
        ctx.translate(cx, cy)
        ctx.scale(AX * scale, AY * scale)
        ctx.arc(0, 0, 1.0, a0, a1)
        ctx.restore()
        ctx.set_line_width(w)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_source_rgba(*rgb(col, alpha))
        ctx.stroke()


def burst_ring_breaking():
    s, ctx = surface(W, H)
    rng = random.Random(108)
    # What is left of the film: faint, torn open from the middle.
    film = bubble(highlights=False).astype(np.float64)
    u, v, d, theta = ellipse_coordinates()
    tear = 0.72 + 0.10 * np.sin(theta * 7 + 0.5) + 0.05 * np.sin(theta * 13 + 2.0)
    keep = np.clip((d - tear) / 0.05, 0, 1) * (d < 0.95)
    film[..., 3] = film[..., 3] * keep * 0.55
    ctx.set_source_surface(from_rgba(np.clip(np.round(film), 0, 255).astype(np.uint8)))
    ctx.paint()
    # The rim breaks into arcs that pull apart.
    angle = rng.uniform(0, 0.5)
    k = 0
    while angle < 2 * math.pi - 0.2:
        span = rng.uniform(0.45, 0.75)
        rim_piece(ctx, 0.955 - rng.uniform(0, 0.03), angle, angle + span, DROP_COLOURS[k % 6], 10.0)
        gap = rng.uniform(0.22, 0.34)
        gx, gy = ellipse_point(0.965, angle + span + gap / 2)
        droplet(ctx, gx, gy, rng.uniform(6.0, 9.0), DROP_COLOURS[(k + 3) % 6])
        angle += span + gap
        k += 1
    for _ in range(6):
        a = rng.uniform(0, 2 * math.pi)
        x, y = ellipse_point(rng.uniform(0.6, 0.85), a)
        sparkle(ctx, x, y, rng.uniform(7, 12), alpha=0.9)
    return to_rgba(s)


def burst_droplets():
    s, ctx = surface(W, H)
    rng = random.Random(109)
    # Short curls of rim where the arcs were.
    for k in range(8):
        a = k * 2 * math.pi / 8 + rng.uniform(-0.2, 0.2)
        rim_piece(ctx, 0.93, a, a + rng.uniform(0.12, 0.2), DROP_COLOURS[k % 6], 8.0)
    for k in range(30):
        a = rng.uniform(0, 2 * math.pi)
        scale = rng.uniform(0.74, 0.95)
        x, y = ellipse_point(scale, a)
        r = rng.uniform(6.0, 13.0)
        # A faint trail towards the middle shows that the drop flies outwards.
        tx, ty = ellipse_point(scale - 0.10, a)
        g = cairo.LinearGradient(tx, ty, x, y)
        colour = DROP_COLOURS[k % 6]
        g.add_color_stop_rgba(0, *rgb(colour, 0.0))
        g.add_color_stop_rgba(1, *rgb(colour, 0.55))
        ctx.set_source(g)
        ctx.set_line_width(r * 0.9)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.move_to(tx, ty)
        ctx.line_to(x, y)
        ctx.stroke()
        droplet(ctx, x, y, r, colour)
    for _ in range(5):
        a = rng.uniform(0, 2 * math.pi)
        x, y = ellipse_point(rng.uniform(0.5, 0.8), a)
        sparkle(ctx, x, y, rng.uniform(5, 9), alpha=0.8)
    return to_rgba(s)


def burst_last_droplets():
    s, ctx = surface(W, H)
    rng = random.Random(110)
    for k in range(20):
        a = rng.uniform(0, 2 * math.pi)
        x, y = ellipse_point(rng.uniform(0.86, 0.97), a)
        r = rng.uniform(4.0, 8.5)
        droplet(ctx, x, y, r, DROP_COLOURS[k % 6], 1.0 if k % 3 else 0.6)
    for _ in range(4):
        a = rng.uniform(0, 2 * math.pi)
        x, y = ellipse_point(rng.uniform(0.75, 0.95), a)
        sparkle(ctx, x, y, rng.uniform(4, 7), alpha=0.7)
    return to_rgba(s)

