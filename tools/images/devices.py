"""The keyboard page and the mouse demonstration: the keyboard
("KEYBOARDPIC") with its highlighted space bar ("KEYSPACE"), the big mouse
("MOUSE"), the seven small mouse pictures and the pointer ("CURSOR").

"KEYSPACE" is the keyboard's own space bar face lit up: it is cut from the
keyboard drawn with the bar highlighted, at the bar's place (130, 155), so
shown at that offset over the keyboard it lines up exactly.
"""

import math

import cairo
import numpy as np

from common import (SUN, SUN_DEEP, WHITE, draw_text_centered, fit_text, rgb, rounded_rect, surface,
                    to_rgba, vertical_gradient)

KB_W, KB_H = 524, 230
SPACE = (130, 155, 112, 14)  # x, y, width, height of the space bar's face
FACE_H = 14
SIDE_H = 5
UNIT = 21
GAP = 3
X0 = 18
ROW_TOP = {"F": 36, 0: 63, 1: 86, 2: 109, 3: 132, 4: 155}

KEY_RIM = (84, 108, 142)
KEY_FACE = ((255, 255, 255), (226, 236, 247))
KEY_SIDE = (170, 188, 210)
KEY_LABEL = (40, 56, 84)
SPACE_LIT = ((255, 246, 170), (255, 190, 60))


def key(ctx, x, y, w, label="", size=10, weight="bold", h=FACE_H, lit=None, arrow=None):
    """One key: its side below and its face on top, the face's rim exactly
    on the pixels x..x+w-1, y..y+h-1."""
    # Side, seen below the face.
    rounded_rect(ctx, x, y + h - 6, w, 6 + SIDE_H, 3)
    ctx.set_source_rgba(*rgb(KEY_RIM))
    ctx.fill()
    rounded_rect(ctx, x + 1, y + h - 5, w - 2, 4 + SIDE_H, 2)
    ctx.set_source_rgba(*rgb(KEY_SIDE))
    ctx.fill()
    # Face.
    rounded_rect(ctx, x, y, w, h, 3)
    ctx.set_source_rgba(*rgb(KEY_RIM))
    ctx.fill()
    face = lit or KEY_FACE
    rounded_rect(ctx, x + 1, y + 1, w - 2, h - 2, 2)
    ctx.set_source(vertical_gradient(y + 1, y + h - 1, [(0, face[0]), (1, face[1])]))
    ctx.fill()
    if label:
        s = fit_text(label, weight, size, w - 4, min_size=6)
        draw_text_centered(ctx, label, weight, s, x + w / 2.0, y + h / 2.0, KEY_LABEL)
    if arrow:
        cx, cy = x + w / 2.0, y + h / 2.0
        pts = {"up": [(0, -3.5), (3.5, 2.5), (-3.5, 2.5)], "down": [(0, 3.5), (3.5, -2.5), (-3.5, -2.5)],
               "left": [(-3.5, 0), (2.5, -3.5), (2.5, 3.5)], "right": [(3.5, 0), (-2.5, -3.5), (-2.5, 3.5)]}
        ctx.move_to(cx + pts[arrow][0][0], cy + pts[arrow][0][1])
        for px, py in pts[arrow][1:]:
            ctx.line_to(cx + px, cy + py)
        ctx.close_path()
        ctx.set_source_rgba(*rgb(KEY_LABEL))
        ctx.fill()


def unit_row(ctx, row, keys):
    """Keys given as (label, units) laid out from X0 at the row's top."""
    y = ROW_TOP[row]
    pos = 0.0
    for item in keys:
        label, units = item if isinstance(item, tuple) else (item, 1.0)
        x0 = int(round(X0 + pos * UNIT))
        x1 = int(round(X0 + (pos + units) * UNIT))
        small = len(label) > 1 and not label.isdigit()
        key(ctx, x0, y, x1 - x0 - GAP, label, size=7 if small else 10, weight="regular" if small else "bold")
        pos += units


def keyboard(space_lit):
    s, ctx = surface(KB_W, KB_H)
    # Shadow on the table.
    ctx.save()
    ctx.translate(KB_W / 2.0, 214)
    ctx.scale(1.0, 0.055)
    g = cairo.RadialGradient(0, 0, 0, 0, 0, 258)
    g.add_color_stop_rgba(0, 0.05, 0.15, 0.3, 0.30)
    g.add_color_stop_rgba(1, 0.05, 0.15, 0.3, 0.0)
    ctx.arc(0, 0, 258, 0, 2 * math.pi)
    ctx.set_source(g)
    ctx.fill()
    ctx.restore()
    # Case: its front edge, then its top.
    rounded_rect(ctx, 4, 30, 516, 180, 18)
    ctx.set_source_rgba(*rgb((70, 120, 176)))
    ctx.fill()
    rounded_rect(ctx, 5, 31, 514, 177, 17)
    ctx.set_source(vertical_gradient(150, 208, [(0, (118, 170, 220)), (1, (92, 144, 200))]))
    ctx.fill()
    rounded_rect(ctx, 4, 22, 516, 176, 18)
    ctx.set_source_rgba(*rgb((70, 120, 176)))
    ctx.fill()
    rounded_rect(ctx, 6, 24, 512, 172, 16)
    ctx.set_source(vertical_gradient(24, 196, [(0, (214, 236, 252)), (1, (176, 212, 242))]))
    ctx.fill()

    # Function keys.
    key(ctx, X0, ROW_TOP["F"], 18, "Esc", size=7, weight="regular")
    for group, start in enumerate((60, 150, 240)):
        for i in range(4):
            key(ctx, start + i * UNIT, ROW_TOP["F"], 18, "F%d" % (group * 4 + i + 1), size=7,
                weight="regular")
    unit_row(ctx, 0, ["Ё", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=", ("←", 2.0)])
    unit_row(ctx, 1, [("Tab", 1.5), "Й", "Ц", "У", "К", "Е", "Н", "Г", "Ш", "Щ", "З", "Х", "Ъ",
                      ("\\", 1.5)])
    unit_row(ctx, 2, [("Caps", 1.75), "Ф", "Ы", "В", "А", "П", "Р", "О", "Л", "Д", "Ж", "Э",
                      ("Enter", 2.25)])
    unit_row(ctx, 3, [("Shift", 2.25), "Я", "Ч", "С", "М", "И", "Т", "Ь", "Б", "Ю", ".", ("Shift", 2.75)])
    y = ROW_TOP[4]
    for x, w, label in ((18, 35, "Ctrl"), (56, 34, "Win"), (93, 34, "Alt"), (245, 19, "Alt"),
                        (267, 19, "Win"), (289, 19, "Fn"), (311, 19, "Ctrl")):
        key(ctx, x, y, w, label, size=7, weight="regular")
    sx, sy, sw, sh = SPACE
    if space_lit:
        key(ctx, sx, sy, sw, "ПРОБЕЛ", size=10, lit=SPACE_LIT)
    else:
        key(ctx, sx, sy, sw)

    # Navigation keys and arrows.
    for col in range(3):
        x = 345 + col * UNIT
        key(ctx, x, ROW_TOP["F"], 18)
        key(ctx, x, ROW_TOP[0], 18)
        key(ctx, x, ROW_TOP[1], 18)
    key(ctx, 366, ROW_TOP[3], 18, arrow="up")
    for col, arrow in enumerate(("left", "down", "right")):
        key(ctx, 345 + col * UNIT, ROW_TOP[4], 18, arrow=arrow)

    # Number pad.
    pad = [420, 441, 462, 483]
    for x, label in zip(pad, ("Num", "/", "*", "-")):
        key(ctx, x, ROW_TOP[0], 18, label, size=7 if label == "Num" else 10,
            weight="regular" if label == "Num" else "bold")
    for row, labels in ((1, "789"), (2, "456"), (3, "123")):
        for x, label in zip(pad, labels):
            key(ctx, x, ROW_TOP[row], 18, label)
    tall = FACE_H + (ROW_TOP[2] - ROW_TOP[1])
    key(ctx, pad[3], ROW_TOP[1], 18, "+", h=tall)
    key(ctx, pad[3], ROW_TOP[3], 18, "", h=tall)
    draw_text_centered(ctx, "Ent", "regular", 7, pad[3] + 9, ROW_TOP[3] + tall / 2.0, KEY_LABEL)
    key(ctx, pad[0], ROW_TOP[4], 39, "0")
    key(ctx, pad[2], ROW_TOP[4], 18, ".")

    # Indicator lights above the number pad.
    for i, on in enumerate((True, False, False)):
        cx, cy = 432 + i * 24, 45
        ctx.arc(cx, cy, 3.2, 0, 2 * math.pi)
        ctx.set_source_rgba(*rgb((40, 110, 60) if not on else (30, 150, 60)))
        ctx.fill()
        ctx.arc(cx, cy, 2.2, 0, 2 * math.pi)
        ctx.set_source_rgba(*rgb((110, 250, 120) if on else (150, 190, 160)))
        ctx.fill()
    return to_rgba(s)


def keyboard_pictures():
    plain = keyboard(False)
    lit = keyboard(True)
    sx, sy, sw, sh = SPACE
    space = lit[sy:sy + sh, sx:sx + sw].copy()
    if space[..., 3].min() != 255:
        raise SystemExit("KEYSPACE would not be opaque")
    return plain, space


# ---------------------------------------------------------------------------
# Mice

MOUSE_RIM = (52, 92, 144)
MOUSE_BODY = ((255, 255, 255), (200, 220, 240))
MOUSE_BUTTON = ((246, 251, 255), (222, 236, 250))
LIT = ((255, 226, 120), (250, 150, 40))
WHEEL = (86, 96, 116)


def egg(ctx, w, h):
    """A mouse body centred on the origin, w wide and h high, narrower in front."""
    hw, hh = w / 2.0, h / 2.0
    ctx.move_to(0, -hh)
    ctx.curve_to(hw * 0.64, -hh, hw, -hh * 0.6, hw, -hh * 0.05)
    ctx.curve_to(hw, hh * 0.6, hw * 0.62, hh, 0, hh)
    ctx.curve_to(-hw * 0.62, hh, -hw, hh * 0.6, -hw, -hh * 0.05)
    ctx.curve_to(-hw, -hh * 0.6, -hw * 0.64, -hh, 0, -hh)
    ctx.close_path()


def draw_mouse(ctx, w, h, rim_width, lit_part=None, wheel_phase=0.0, wheel_lit=False, wheel_pressed=False):
    """A mouse seen from above, centred on the origin. `lit_part` is "left" or
    "right" for a pressed button."""
    hh = h / 2.0
    split = -hh * 0.22  # where the buttons end and the palm begins
    egg(ctx, w, h)
    ctx.set_source(vertical_gradient(-hh, hh, [(0, MOUSE_BODY[0]), (1, MOUSE_BODY[1])]))
    ctx.fill()
    # Buttons, each clipped to the body.
    for side in ("left", "right"):
        ctx.save()
        egg(ctx, w, h)
        ctx.clip()
        sign = -1 if side == "left" else 1
        ctx.move_to(0, -hh - 2)
        ctx.line_to(sign * (w / 2.0 + 2), -hh - 2)
        ctx.line_to(sign * (w / 2.0 + 2), split - h * 0.02)
        ctx.curve_to(sign * w * 0.2, split + h * 0.04, sign * w * 0.05, split + h * 0.05, 0, split + h * 0.05)
        ctx.close_path()
        colours = LIT if lit_part == side else MOUSE_BUTTON
        ctx.set_source(vertical_gradient(-hh, split, [(0, colours[0]), (1, colours[1])]))
        ctx.fill_preserve()
        ctx.set_line_width(rim_width * 0.6)
        ctx.set_source_rgba(*rgb(MOUSE_RIM, 0.7))
        ctx.stroke()
        ctx.restore()
    # Wheel.
    ww, wh = w * 0.16, h * 0.2
    wy = -hh * 0.62
    if wheel_lit or wheel_pressed:
        ctx.save()
        ctx.translate(0, wy + wh / 2.0)
        r = max(ww, wh) * (0.95 if wheel_pressed else 0.8)
        g = cairo.RadialGradient(0, 0, 0, 0, 0, r)
        g.add_color_stop_rgba(0, *rgb(SUN, 0.9))
        g.add_color_stop_rgba(1, *rgb(SUN, 0.0))
        ctx.arc(0, 0, r, 0, 2 * math.pi)
        ctx.set_source(g)
        ctx.fill()
        ctx.restore()
    rounded_rect(ctx, -ww / 2.0, wy, ww, wh, ww / 2.0)
    ctx.set_source_rgba(*rgb(MOUSE_RIM))
    ctx.fill()
    rounded_rect(ctx, -ww / 2.0 + rim_width * 0.5, wy + rim_width * 0.5, ww - rim_width, wh - rim_width,
                 ww / 2.0 - rim_width * 0.5)
    wheel_colour = SUN_DEEP if wheel_pressed else (SUN if wheel_lit else WHEEL)
    ctx.set_source_rgba(*rgb(wheel_colour))
    ctx.fill_preserve()
    ctx.save()
    ctx.clip()
    ridges = 4
    spacing = wh / ridges
    ctx.set_line_width(max(0.8, wh * 0.06))
    ctx.set_source_rgba(1, 1, 1, 0.6)
    for i in range(-1, ridges + 1):
        y = wy + (i + wheel_phase) * spacing
        ctx.move_to(-ww, y)
        ctx.line_to(ww, y)
    ctx.stroke()
    ctx.restore()
    # Rim of the body last, over the buttons' edges.
    egg(ctx, w, h)
    ctx.set_line_width(rim_width)
    ctx.set_source_rgba(*rgb(MOUSE_RIM))
    ctx.stroke()
    # A shine on the left of the body.
    ctx.save()
    egg(ctx, w, h)
    ctx.clip()
    ctx.translate(-w * 0.28, hh * 0.25)
    ctx.scale(w * 0.08, hh * 0.45)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source_rgba(1, 1, 1, 0.55)
    ctx.fill()


def big_mouse():
    """The mouse of the keyboard page. The picture lies over the keyboard's
    upper right corner on the page, so the mouse sits in the picture's upper
    right part, beside the keyboard rather than on it."""
    s, ctx = surface(246, 246)
    cx, cy, tilt = 166.0, 106.0, math.radians(-12)
    w, h = 104, 156
    ctx.save()
    ctx.translate(cx, cy)
    ctx.rotate(tilt)
    for k in range(6):
        ctx.save()
        ctx.translate(6, 8)
        ctx.scale(1 + k * 0.015, 1 + k * 0.015)
        egg(ctx, w, h)
        ctx.set_source_rgba(0.05, 0.15, 0.3, 0.05)
        ctx.fill()
        ctx.restore()
    ctx.restore()
    ctx.save()
    ctx.translate(cx, cy)
    ctx.rotate(tilt)
    draw_mouse(ctx, w, h, 2.6)
    ctx.restore()
    return to_rgba(s)


SMALL_STATES = {
    "MOUSE_M": {},
    "MOUSE_ML": {"lit_part": "left"},
    "MOUSE_MR": {"lit_part": "right"},
    "MOUSE_MB": {"wheel_lit": True},
    "MOUSE_MB_PR": {"wheel_pressed": True},
    "MOUSE_MB_R1": {"wheel_lit": True, "wheel_phase": 0.0},
    "MOUSE_MB_R2": {"wheel_lit": True, "wheel_phase": 0.5},
}


def small_mouse(state):
    s, ctx = surface(46, 79)
    ctx.save()
    ctx.translate(23, 40.5)
    draw_mouse(ctx, 42, 74, 1.6, **SMALL_STATES[state])
    ctx.restore()
    if state in ("MOUSE_MB_R1", "MOUSE_MB_R2"):
        # Which way the wheel rolls: a small arrow beside it.
        up = state == "MOUSE_MB_R1"
        ax, ay = 34.0, 17.0
        ctx.move_to(ax, ay + (-4 if up else 4))
        ctx.line_to(ax + 3.2, ay + (0 if up else 0))
        ctx.line_to(ax - 3.2, ay)
        ctx.close_path()
        ctx.set_source_rgba(*rgb(SUN_DEEP))
        ctx.fill()
    return to_rgba(s)


# The arrow pointer, tip at the top left pixel: B outline, W fill.
CURSOR_ART = [
    "B...........",
    "BB..........",
    "BWB.........",
    "BWWB........",
    "BWWWB.......",
    "BWWWWB......",
    "BWWWWWB.....",
    "BWWWWWWB....",
    "BWWWWWWWB...",
    "BWWWWWWWWB..",
    "BWWWWWWWWWB.",
    "BWWWWWWBBBBB",
    "BWWWBWWB....",
    "BWWBBWWB....",
    "BWB..BWWB...",
    "BB...BWWB...",
    "B.....BWWB..",
    "......BWWB..",
    ".......BWWB.",
    ".......BWWB.",
    "........BB..",
]


def cursor():
    out = np.zeros((21, 12, 4), dtype=np.uint8)
    for y, row in enumerate(CURSOR_ART):
        for x, c in enumerate(row):
            if c == "B":
                out[y, x] = (0, 0, 0, 255)
            elif c == "W":
                out[y, x] = (255, 255, 255, 255)
    return out

