"""The five praise clips' scenes.

Each maker takes a seeded random.Random and returns draw(ctx, t): it paints
the picture at t seconds in display units (320 x 200, see draw.py). The main
subject stays in the middle; the top and bottom tenth carry only background
and passing decoration, since the cloud's rim may cover the edges.
"""

import math

import cairo

from draw import (HEIGHT, WIDTH, clamp, darker, ease_in_out, ease_out_back,
                  ease_out_cubic, ellipse, glint, lighter, progress,
                  radial_gradient, rgb, rounded_star, smile_face, star_path,
                  vertical_gradient)

BRIGHT = [rgb(c) for c in ("#ff4b5c", "#ffb400", "#ffe14d", "#3ddc84",
                           "#2fb6ff", "#7a6cff", "#ff6ec7", "#ff8a3d")]
BURSTS = [rgb(c) for c in ("#ffc928", "#ff4b5c", "#3ddc84", "#ff6ec7", "#38b8ff")]
CX, CY = WIDTH / 2, HEIGHT / 2


def sunburst(ctx, cx, cy, angle, colour, rays=14, alpha=0.35):
    """Alternating light wedges turning around (cx, cy)."""
    reach = math.hypot(WIDTH, HEIGHT)
    ctx.set_source_rgba(*colour, alpha)
    for i in range(rays):
        a0 = angle + i * 2 * math.pi / rays
        a1 = a0 + math.pi / rays
        ctx.new_path()
        ctx.move_to(cx, cy)
        ctx.line_to(cx + reach * math.cos(a0), cy + reach * math.sin(a0))
        ctx.line_to(cx + reach * math.cos(a1), cy + reach * math.sin(a1))
        ctx.close_path()
        ctx.fill()


def bravo(rng):
    """A big smiling golden star pops up over a turning sunburst; two bursts
    of little coloured stars fly out of it, and white glints twinkle."""
    bursts = []
    for start in (0.25, 1.45):
        for i in range(16):
            bursts.append({
                "start": start,
                "angle": 2 * math.pi * (i + rng.random() * 0.6) / 16,
                "speed": 70 + rng.random() * 60,
                "size": 6 + rng.random() * 6,
                "spin": (rng.random() - 0.5) * 8,
                "colour": rng.choice(BRIGHT),
            })
    glints = [{"x": 30 + rng.random() * 260, "y": 30 + rng.random() * 140,
               "start": rng.random() * 2.6, "size": 5 + rng.random() * 6}
              for _ in range(12)]

    def draw(ctx, t):
        radial_gradient(ctx, cairo, CX, CY, 190, rgb("#fff3b0"), rgb("#5b7cff"))
        sunburst(ctx, CX, CY, t * 0.5, (1, 1, 1), alpha=0.22)
        for b in bursts:
            age = t - b["start"]
            if age <= 0:
                continue
            dist = 30 + b["speed"] * age * (1 - 0.25 * age)
            x = CX + dist * math.cos(b["angle"])
            y = CY + dist * math.sin(b["angle"])
            size = b["size"] * (1 - clamp(age / 1.9) * 0.6)
            rounded_star(ctx, cairo, x, y, size, b["spin"] * age, b["colour"],
                         darker(b["colour"], 0.35))
        grow = ease_out_back(progress(t, -0.15, 0.6))
        pulse = 1 + 0.05 * math.sin(t * 2 * math.pi * 1.2)
        size = 62 * grow * pulse
        if size > 0:
            wobble = 0.12 * math.sin(t * 2 * math.pi * 0.8)
            ctx.save()
            ctx.set_source_rgba(1, 0.85, 0.2, 0.35)
            star_path(ctx, CX, CY, size * 1.18, size * 0.62, angle=wobble)
            ctx.fill()
            rounded_star(ctx, cairo, CX, CY, size, wobble, rgb("#ffc21a"), rgb("#e07b00"))
            ctx.translate(CX, CY + size * 0.08)
            ctx.rotate(wobble)
            blink = 1.0 if 1.9 < t < 2.05 else 0.0
            smile_face(ctx, 0, 0, size * 0.5, blink, eye_colour=rgb("#7a3b00"))
            ctx.restore()
        for g in glints:
            phase = (t - g["start"]) / 0.6
            if 0 <= phase <= 1:
                glint(ctx, g["x"], g["y"], g["size"] * math.sin(math.pi * phase), 0.9)

    return draw


def gotovo(rng):
    """A green badge pops up and a white tick draws itself on it; a ring
    of light spreads out, and confetti rains over everything."""
    confetti = [{
        "x": rng.random() * WIDTH,
        "y": -20 - rng.random() * 160,
        "fall": 55 + rng.random() * 55,
        "sway": 6 + rng.random() * 10,
        "phase": rng.random() * 2 * math.pi,
        "spin": (rng.random() - 0.5) * 10,
        "flip": 4 + rng.random() * 6,
        "w": 5 + rng.random() * 3,
        "h": 8 + rng.random() * 4,
        "colour": rng.choice(BRIGHT),
    } for _ in range(70)]

    def draw_confetti(ctx, t):
        for c in confetti:
            y = c["y"] + c["fall"] * (t + 0.9)
            x = c["x"] + c["sway"] * math.sin(c["phase"] + t * 3)
            ctx.save()
            ctx.translate(x, y)
            ctx.rotate(c["spin"] * t + c["phase"])
            ctx.scale(math.cos(c["phase"] + c["flip"] * t), 1)
            ctx.rectangle(-c["w"] / 2, -c["h"] / 2, c["w"], c["h"])
            ctx.set_source_rgb(*c["colour"])
            ctx.fill()
            ctx.restore()

    def draw(ctx, t):
        vertical_gradient(ctx, cairo, [(0, rgb("#c9f2ff")), (1, rgb("#f4fff0"))])
        sunburst(ctx, CX, CY, -t * 0.4, rgb("#ffffff"), rays=12, alpha=0.45)
        ring = progress(t, 0.85, 0.9)
        if 0 < ring < 1:
            ctx.new_path()
            ctx.arc(CX, CY, 58 + 70 * ease_out_cubic(ring), 0, 2 * math.pi)
            ctx.set_line_width(10 * (1 - ring) + 1)
            ctx.set_source_rgba(0.24, 0.86, 0.52, 0.8 * (1 - ring))
            ctx.stroke()
        radius = 58 * ease_out_back(progress(t, -0.1, 0.45))
        if radius > 0:
            ctx.new_path()
            ctx.arc(CX, CY + 3, radius, 0, 2 * math.pi)
            ctx.set_source_rgba(0, 0.3, 0.1, 0.25)
            ctx.fill()
            gradient = cairo.RadialGradient(CX - radius * 0.3, CY - radius * 0.4, 0, CX, CY, radius)
            gradient.add_color_stop_rgb(0, *rgb("#7cf2a7"))
            gradient.add_color_stop_rgb(1, *rgb("#17a84f"))
            ctx.new_path()
            ctx.arc(CX, CY, radius, 0, 2 * math.pi)
            ctx.set_source(gradient)
            ctx.fill_preserve()
            ctx.set_line_width(5)
            ctx.set_source_rgb(1, 1, 1)
            ctx.stroke()
        # The tick: two strokes, drawn one after the other.
        draw_tick = ease_in_out(progress(t, 0.35, 0.5))
        if draw_tick > 0:
            points = [(CX - 28, CY + 2), (CX - 8, CY + 22), (CX + 30, CY - 20)]
            first = math.dist(points[0], points[1])
            second = math.dist(points[1], points[2])
            done = draw_tick * (first + second)
            ctx.new_path()
            ctx.move_to(*points[0])
            if done <= first:
                f = done / first
                ctx.line_to(points[0][0] + (points[1][0] - points[0][0]) * f,
                            points[0][1] + (points[1][1] - points[0][1]) * f)
            else:
                f = (done - first) / second
                ctx.line_to(*points[1])
                ctx.line_to(points[1][0] + (points[2][0] - points[1][0]) * f,
                            points[1][1] + (points[2][1] - points[1][1]) * f)
            ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            ctx.set_line_join(cairo.LINE_JOIN_ROUND)
            ctx.set_line_width(13)
            ctx.set_source_rgb(1, 1, 1)
            ctx.stroke()
        draw_confetti(ctx, t)

    return draw


def fluffy_cloud(ctx, cx, cy, scale):
    for dx, dy, r in ((-22, 4, 14), (-6, -6, 18), (14, -2, 15), (28, 6, 11), (2, 8, 14)):
        ctx.new_path()
        ctx.arc(cx + dx * scale, cy + dy * scale, r * scale, 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.92)
        ctx.fill()


def molodec(rng):
    """A smiling sun rises into the middle of a blue sky, its rays turning
    and breathing; it blinks, and little clouds drift by."""
    sparkles = [{"angle": rng.random() * 2 * math.pi, "dist": 70 + rng.random() * 40,
                 "start": 0.6 + rng.random() * 2.0, "size": 4 + rng.random() * 5}
                for _ in range(10)]

    def draw(ctx, t):
        vertical_gradient(ctx, cairo, [(0, rgb("#49a8ff")), (1, rgb("#c8ecff"))])
        fluffy_cloud(ctx, 40 + 12 * t, 34, 0.9)
        fluffy_cloud(ctx, 270 - 10 * t, 168, 1.1)
        rise = ease_out_back(progress(t, -0.2, 0.8), 1.2)
        cx, cy = CX, CY + 110 * (1 - rise)
        radius = 44
        glow = cairo.RadialGradient(cx, cy, radius * 0.8, cx, cy, radius * 2.2)
        glow.add_color_stop_rgba(0, 1, 0.95, 0.5, 0.7)
        glow.add_color_stop_rgba(1, 1, 0.95, 0.5, 0)
        ctx.set_source(glow)
        ctx.paint()
        rays = 12
        length = 20 + 5 * math.sin(t * 2 * math.pi * 1.5)
        for i in range(rays):
            a = t * 0.8 + i * 2 * math.pi / rays
            inner, outer = radius + 4, radius + 4 + length * (1.0 if i % 2 == 0 else 0.7)
            half = math.pi / rays * 0.55
            ctx.new_path()
            ctx.move_to(cx + inner * math.cos(a - half), cy + inner * math.sin(a - half))
            ctx.line_to(cx + outer * math.cos(a), cy + outer * math.sin(a))
            ctx.line_to(cx + inner * math.cos(a + half), cy + inner * math.sin(a + half))
            ctx.close_path()
            ctx.set_source_rgb(*rgb("#ffb000" if i % 2 == 0 else "#ffd23f"))
            ctx.fill()
        body = cairo.RadialGradient(cx - 14, cy - 16, 4, cx, cy, radius)
        body.add_color_stop_rgb(0, *rgb("#fff6a0"))
        body.add_color_stop_rgb(1, *rgb("#ffc400"))
        ctx.new_path()
        ctx.arc(cx, cy, radius, 0, 2 * math.pi)
        ctx.set_source(body)
        ctx.fill_preserve()
        ctx.set_line_width(3)
        ctx.set_source_rgb(*rgb("#f29b00"))
        ctx.stroke()
        blink = 0.0
        for start in (1.2, 2.4):
            phase = (t - start) / 0.25
            if 0 <= phase <= 1:
                blink = math.sin(math.pi * phase)
        smile_face(ctx, cx, cy + 2, radius * 0.9, blink, eye_colour=rgb("#8a4200"))
        for s in sparkles:
            phase = (t - s["start"]) / 0.5
            if 0 <= phase <= 1:
                glint(ctx, cx + s["dist"] * math.cos(s["angle"]),
                      cy + s["dist"] * math.sin(s["angle"]) * 0.8,
                      s["size"] * math.sin(math.pi * phase), 0.95)

    return draw


def balloon(ctx, x, y, size, colour, tilt):
    """A balloon whose knot is at (x, y + size * 1.2), with its string."""
    ctx.save()
    ctx.translate(x, y)
    ctx.rotate(tilt)
    ctx.new_path()
    ctx.move_to(0, size * 1.22)
    for i in range(1, 9):
        s = i / 8
        ctx.line_to(3 * math.sin(s * math.pi * 2) * (size / 20), size * 1.22 + s * size * 1.6)
    ctx.set_line_width(1.2)
    ctx.set_source_rgba(0.35, 0.35, 0.4, 0.9)
    ctx.stroke()
    ctx.new_path()
    ctx.move_to(-size * 0.16, size * 1.22)
    ctx.line_to(size * 0.16, size * 1.22)
    ctx.line_to(0, size * 1.08)
    ctx.close_path()
    ctx.set_source_rgb(*darker(colour, 0.2))
    ctx.fill()
    ellipse(ctx, 0, 0, size * 0.86, size * 1.1)
    gradient = cairo.RadialGradient(-size * 0.3, -size * 0.45, size * 0.1, 0, 0, size * 1.2)
    gradient.add_color_stop_rgb(0, *lighter(colour, 0.55))
    gradient.add_color_stop_rgb(1, *colour)
    ctx.set_source(gradient)
    ctx.fill()
    ellipse(ctx, -size * 0.34, -size * 0.48, size * 0.14, size * 0.26)
    ctx.set_source_rgba(1, 1, 1, 0.75)
    ctx.fill()
    ctx.restore()


def otlichno(rng):
    """Bright balloons float up across a soft sky, swaying on their strings;
    the biggest ones cross the middle halfway through."""
    balloons = []
    lanes = [40, 85, 130, 175, 220, 265, 300, 60, 150, 245]
    for i, lane in enumerate(lanes):
        front = i < 7
        balloons.append({
            "x": lane + (rng.random() - 0.5) * 12,
            "mid": 60 + rng.random() * 90,
            "rise": (44 if front else 32) + rng.random() * 14,
            "size": (23 if front else 15) + rng.random() * 5,
            "sway": 5 + rng.random() * 6,
            "phase": rng.random() * 2 * math.pi,
            "colour": BRIGHT[i % len(BRIGHT)],
            "front": front,
        })
    balloons.sort(key=lambda b: (b["front"], -b["size"]))

    def draw(ctx, t):
        vertical_gradient(ctx, cairo, [(0, rgb("#8fd3ff")), (0.7, rgb("#e8f7ff")), (1, rgb("#fff4d6"))])
        sunburst(ctx, CX, HEIGHT + 40, t * 0.2, (1, 1, 1), rays=10, alpha=0.25)
        for b in balloons:
            y = b["mid"] - b["rise"] * (t - 1.75)
            x = b["x"] + b["sway"] * math.sin(b["phase"] + t * 2.2)
            tilt = 0.08 * math.cos(b["phase"] + t * 2.2)
            if y < -3 * b["size"] or y > HEIGHT + 2 * b["size"]:
                continue
            if not b["front"]:
                ctx.push_group()
            balloon(ctx, x, y, b["size"], b["colour"], tilt)
            if not b["front"]:
                ctx.pop_group_to_source()
                ctx.paint_with_alpha(0.75)

    return draw


def ura(rng):
    """Fireworks: rockets climb from the bottom and burst into rings of
    glowing sparks over a night sky full of twinkling stars."""
    sky_stars = [(rng.random() * WIDTH, rng.random() * HEIGHT * 0.9, rng.random() * 6.3,
                  0.6 + rng.random() * 0.9) for _ in range(45)]
    shells = []
    for launch, x, burst_x, burst_y in ((-0.3, 110, 100, 72), (0.35, 230, 225, 66),
                                        (0.95, 160, 160, 98), (1.5, 70, 78, 108),
                                        (1.85, 265, 245, 104)):
        # Each shell its own colour, gold, red, green, pink, then blue.
        colour = BURSTS[len(shells)]
        second = lighter(BURSTS[(len(shells) + 2) % len(BURSTS)], 0.2)
        sparks = []
        count = 34
        for i in range(count):
            a = 2 * math.pi * (i + rng.random() * 0.5) / count
            sparks.append({"angle": a, "speed": 70 + rng.random() * 30,
                           "colour": colour if i % 3 else second})
        shells.append({"launch": launch, "x": x, "bx": burst_x, "by": burst_y,
                       "climb": 0.55, "sparks": sparks})

    def draw(ctx, t):
        vertical_gradient(ctx, cairo, [(0, rgb("#10195a")), (0.6, rgb("#33308f")), (1, rgb("#6a3c9c"))])
        for x, y, phase, size in sky_stars:
            alpha = 0.45 + 0.45 * math.sin(phase + t * 5)
            ctx.new_path()
            ctx.arc(x, y, size, 0, 2 * math.pi)
            ctx.set_source_rgba(1, 1, 0.9, alpha)
            ctx.fill()
        for s in shells:
            age = t - s["launch"]
            if age < 0:
                continue
            if age < s["climb"]:
                f = ease_out_cubic(age / s["climb"])
                x = s["x"] + (s["bx"] - s["x"]) * f
                y = HEIGHT + 10 + (s["by"] - HEIGHT - 10) * f
                for k in range(6):
                    ctx.new_path()
                    ctx.arc(x + math.sin(t * 37 + k * 1.7), y + k * 5, 2.6 - k * 0.35, 0, 2 * math.pi)
                    ctx.set_source_rgba(1, 0.85, 0.5, 0.9 - k * 0.14)
                    ctx.fill()
                continue
            boom = age - s["climb"]
            if boom < 0.18:
                flash = 1 - boom / 0.18
                glow = cairo.RadialGradient(s["bx"], s["by"], 0, s["bx"], s["by"], 45)
                glow.add_color_stop_rgba(0, 1, 1, 0.9, 0.8 * flash)
                glow.add_color_stop_rgba(1, 1, 1, 0.9, 0)
                ctx.set_source(glow)
                ctx.set_operator(cairo.OPERATOR_ADD)
                ctx.paint()
                ctx.set_operator(cairo.OPERATOR_OVER)
            fade = clamp(1 - (boom - 0.6) / 0.9)
            if fade <= 0:
                continue
            for sp in s["sparks"]:
                travel = sp["speed"] * (1 - math.exp(-boom * 2.2)) / 2.2 * 1.6
                drop = 18 * boom * boom
                x = s["bx"] + travel * math.cos(sp["angle"])
                y = s["by"] + travel * math.sin(sp["angle"]) + drop
                tail = max(0.0, travel - 9)
                tx = s["bx"] + tail * math.cos(sp["angle"])
                ty = s["by"] + tail * math.sin(sp["angle"]) + drop * 0.8
                ctx.new_path()
                ctx.move_to(tx, ty)
                ctx.line_to(x, y)
                ctx.set_line_width(3.0)
                ctx.set_line_cap(cairo.LINE_CAP_ROUND)
                ctx.set_source_rgba(*sp["colour"], 0.55 * fade)
                ctx.stroke()
                ctx.new_path()
                ctx.arc(x, y, 3.0, 0, 2 * math.pi)
                ctx.set_source_rgba(*lighter(sp["colour"], 0.25), fade)
                ctx.fill()

    return draw
