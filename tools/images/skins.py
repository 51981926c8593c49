"""The skin pictures: buttons in three states, key caps, scroll bar parts,
check boxes, edit bar pieces and the small fills.

Buttons are hit-tested per pixel at alpha 255, so every button picture is
either fully opaque or fully transparent per pixel, and a button's normal,
hover ("Nuv") and pressed ("Klick") pictures share one opaque footprint.
Their edges are smoothed inside the footprint by blending towards the light
background they stand on.
"""

import math

import cairo
import numpy as np

from common import (BLUE_DARK, CORAL, CORAL_DARK, SUN, SUN_DEEP, TEXT, WHITE,
                    draw_text_centered, fit_text, rgb, rounded_rect, save, skin_table, surface,
                    to_rgba, vertical_gradient)

# What the buttons stand on (the light background of the screens): edge
# pixels are blended towards it so that the binary alpha does not look jagged.
EDGE_BACKDROP = (226, 242, 252)

CAPTIONS = {
    "PrintButton": "Печать",
    "SaveAsButton": "Сохранить как",
    "RetryButton": "Повторить",
    "CloseButton": "Закрыть",
    "StartPopStartButton": "Старт",
    "SubmitButton": "Принять",
    "OptionsButton": "Настройки",
    "CancelButton": "Отмена",
}

# Colours of each state: face gradient top and bottom, rim, caption.
STATES = {
    "": dict(face=((240, 250, 255), (150, 210, 248)), rim=(44, 124, 196), text=TEXT, press=0),
    "Nuv": dict(face=((255, 252, 226), (255, 206, 96)), rim=(214, 134, 28), text=TEXT, press=0),
    "Klick": dict(face=((164, 212, 244), (92, 166, 226)), rim=(28, 88, 154), text=TEXT, press=3),
}

BUTTON_RADIUS = 15
SIDE = 4  # height of the button's lower side, seen under its face


def footprint(width, height, path):
    """Pixels whose centre is covered by `path` at least half: the opaque area."""
    s, ctx = surface(width, height)
    path(ctx)
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.fill()
    return to_rgba(s)[..., 3] >= 128


def binarise(rgba_art, mask, outside_colour):
    """Alpha 255 on `mask`, 0 elsewhere; transparent pixels carry a colour of
    the rim so that filtering at the edge does not darken it."""
    out = rgba_art.copy()
    out[..., 3] = np.where(mask, 255, 0).astype(np.uint8)
    for i in range(3):
        out[..., i] = np.where(mask, out[..., i], outside_colour[i])
    return out


def backdrop_surface(width, height):
    s, ctx = surface(width, height)
    ctx.set_source_rgba(*rgb(EDGE_BACKDROP))
    ctx.paint()
    return s, ctx


def draw_button(width, height, caption, state):
    st = STATES[state]
    press = st["press"]
    outline = lambda c: rounded_rect(c, 0.5, 0.5, width - 1.0, height - 1.0, BUTTON_RADIUS)
    s, ctx = backdrop_surface(width, height)

    # Body with its lower side: the whole footprint in the rim colour.
    outline(ctx)
    ctx.set_source_rgba(*rgb(st["rim"]))
    ctx.fill()

    # Face: pushed down by `press` when pressed, so less of the side shows.
    face_top = 2.0 + press
    face_h = height - 4.0 - SIDE
    rounded_rect(ctx, 2.0, face_top, width - 4.0, face_h, BUTTON_RADIUS - 2)
    top, bottom = st["face"]
    ctx.set_source(vertical_gradient(face_top, face_top + face_h, [(0, top), (1, bottom)]))
    ctx.fill()

    # Gloss on the upper half of the face.
    gloss_h = face_h * 0.45
    rounded_rect(ctx, 6.0, face_top + 2.0, width - 12.0, gloss_h, min(BUTTON_RADIUS - 5, gloss_h / 2))
    ctx.set_source(vertical_gradient(face_top + 2, face_top + 2 + gloss_h,
                                     [(0, WHITE + (200,)), (1, WHITE + (30,))]))
    ctx.fill()

    size = fit_text(caption, "bold", 16, width - 18)
    cy = face_top + face_h / 2.0 + 0.5
    draw_text_centered(ctx, caption, "bold", size, width / 2.0, cy + 1, WHITE, 0.55)
    draw_text_centered(ctx, caption, "bold", size, width / 2.0, cy, st["text"])

    mask = footprint(width, height, outline)
    return binarise(to_rgba(s), mask, st["rim"])


def exit_button():
    size = 21
    circle = lambda c: c.arc(10.5, 10.5, 10.2, 0, 2 * math.pi)
    s, ctx = backdrop_surface(size, size)
    circle(ctx)
    ctx.set_source_rgba(*rgb(CORAL_DARK))
    ctx.fill()
    ctx.arc(10.5, 10.5, 8.8, 0, 2 * math.pi)
    g = cairo.LinearGradient(0, 2, 0, 19)
    g.add_color_stop_rgba(0, *rgb((255, 150, 130)))
    g.add_color_stop_rgba(1, *rgb(CORAL))
    ctx.set_source(g)
    ctx.fill()
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_width(2.6)
    ctx.set_source_rgba(*rgb(WHITE))
    for (x0, y0, x1, y1) in ((6.8, 6.8, 14.2, 14.2), (14.2, 6.8, 6.8, 14.2)):
        ctx.move_to(x0, y0)
        ctx.line_to(x1, y1)
    ctx.stroke()
    return binarise(to_rgba(s), footprint(size, size, circle), CORAL_DARK)


def key_cap(width, height, label, face=((255, 255, 255), (222, 234, 246)), side=(150, 172, 198),
            rim=(92, 116, 148), text=TEXT, label_size=11):
    """A keyboard key seen from the front and above: its face over its side."""
    s, ctx = surface(width, height)
    rounded_rect(ctx, 0.5, 0.5, width - 1.0, height - 1.0, 5)
    ctx.set_source_rgba(*rgb(rim))
    ctx.fill()
    rounded_rect(ctx, 1.5, 1.5, width - 3.0, height - 3.0, 4)
    ctx.set_source_rgba(*rgb(side))
    ctx.fill()
    face_h = height - 7.0
    rounded_rect(ctx, 2.5, 1.5, width - 5.0, face_h, 3.5)
    ctx.set_source(vertical_gradient(1.5, 1.5 + face_h, [(0, face[0]), (1, face[1])]))
    ctx.fill()
    size = fit_text(label, "bold", label_size, width - 8)
    draw_text_centered(ctx, label, "bold", size, width / 2.0, 1.5 + face_h / 2.0 + 0.5, text)
    return to_rgba(s)


def slider_thumb(width, height, hover):
    s, ctx = surface(width, height)
    fill = ((255, 246, 206), SUN) if hover else ((214, 238, 252), (110, 184, 238))
    rim = SUN_DEEP if hover else BLUE_DARK
    rounded_rect(ctx, 0.5, 0.5, width - 1.0, height - 1.0, min(width, height) / 2.5)
    ctx.set_source_rgba(*rgb(rim))
    ctx.fill()
    rounded_rect(ctx, 1.5, 1.5, width - 3.0, height - 3.0, min(width, height) / 2.5 - 1)
    ctx.set_source(vertical_gradient(1.5, height - 1.5, [(0, fill[0]), (1, fill[1])]))
    ctx.fill()
    # Grip lines across the thumb's long side.
    ctx.set_line_width(1.0)
    ctx.set_source_rgba(*rgb(rim, 0.6))
    if width > height:
        for x in (width / 2.0 - 3, width / 2.0, width / 2.0 + 3):
            ctx.move_to(math.floor(x) + 0.5, 3)
            ctx.line_to(math.floor(x) + 0.5, height - 3)
    else:
        for y in (height / 2.0 - 3, height / 2.0, height / 2.0 + 3):
            ctx.move_to(3, math.floor(y) + 0.5)
            ctx.line_to(width - 3, math.floor(y) + 0.5)
    ctx.stroke()
    return to_rgba(s)


def profile(colours):
    """A 1-pixel-deep strip of colours, as an RGBA row."""
    return np.array([list(c) + [255] for c in colours], dtype=np.uint8)


SLIDER_PROFILE = [BLUE_DARK, (150, 206, 246), (176, 220, 250), (190, 228, 252), (196, 231, 252),
                  (196, 231, 252), (190, 228, 252), (180, 222, 250), (168, 214, 248), (156, 206, 244),
                  (144, 198, 240), (132, 190, 236), (120, 182, 232), (108, 172, 226), (84, 150, 210),
                  BLUE_DARK]
TRACK_PROFILE = [(186, 210, 230), (214, 232, 245), (226, 240, 250), (232, 244, 252), (236, 246, 253),
                 (238, 247, 253), (238, 247, 253), (238, 247, 253), (238, 247, 253), (238, 247, 253),
                 (238, 247, 253), (236, 246, 253), (232, 244, 252), (226, 240, 250), (214, 232, 245),
                 (186, 210, 230)]


def scroll_slider():
    row = profile(SLIDER_PROFILE)
    return np.stack([row, row])


def scroll_slider_horizontal():
    return np.transpose(scroll_slider(), (1, 0, 2)).copy()


def scroll_background():
    row = profile(TRACK_PROFILE)
    return np.stack([row] * 16)


def scroll_button(up):
    s, ctx = surface(16, 16)
    ctx.set_source_rgba(*rgb(TRACK_PROFILE[5]))
    ctx.paint()
    rounded_rect(ctx, 0.5, 0.5, 15, 15, 4)
    ctx.set_source_rgba(*rgb(BLUE_DARK))
    ctx.fill()
    rounded_rect(ctx, 1.5, 1.5, 13, 13, 3)
    ctx.set_source(vertical_gradient(1.5, 14.5, [(0, (196, 232, 253)), (1, (104, 174, 232))]))
    ctx.fill()
    ctx.set_source_rgba(*rgb(WHITE))
    if up:
        ctx.move_to(8, 4.5)
        ctx.line_to(12.5, 10.5)
        ctx.line_to(3.5, 10.5)
    else:
        ctx.move_to(8, 11.5)
        ctx.line_to(12.5, 5.5)
        ctx.line_to(3.5, 5.5)
    ctx.close_path()
    ctx.fill_preserve()
    ctx.set_line_width(1.0)
    ctx.set_source_rgba(*rgb(BLUE_DARK, 0.8))
    ctx.stroke()
    return to_rgba(s)


def check_box(checked, disabled, radio):
    s, ctx = surface(16, 16)
    rim = (150, 160, 172) if disabled else BLUE_DARK
    fill = ((236, 238, 241), (214, 218, 224)) if disabled else ((255, 255, 255), (214, 236, 252))
    mark = (140, 148, 158) if disabled else (42, 160, 72)
    shape = (lambda c: c.arc(8, 8, 7.3, 0, 2 * math.pi)) if radio else \
        (lambda c: rounded_rect(c, 0.7, 0.7, 14.6, 14.6, 3.5))
    shape(ctx)
    ctx.set_source(vertical_gradient(1, 15, [(0, fill[0]), (1, fill[1])]))
    ctx.fill_preserve()
    ctx.set_line_width(1.4)
    ctx.set_source_rgba(*rgb(rim))
    ctx.stroke()
    if checked and radio:
        ctx.arc(8, 8, 3.6, 0, 2 * math.pi)
        ctx.set_source_rgba(*rgb(mark))
        ctx.fill()
    elif checked:
        ctx.set_line_width(2.4)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.move_to(3.8, 8.2)
        ctx.line_to(6.8, 11.2)
        ctx.line_to(12.2, 4.6)
        ctx.set_source_rgba(*rgb(mark))
        ctx.stroke()
    return to_rgba(s)


FRAME = BLUE_DARK


def edit_corner(corner):
    """A quarter of a rounded frame: white inside, a 1-pixel line, clear outside."""
    s, ctx = surface(8, 8)
    cx = 8.0 if "L" in corner else 0.0
    cy = 8.0 if "T" in corner else 0.0
    ctx.arc(cx, cy, 7.5, 0, 2 * math.pi)
    ctx.set_source_rgba(*rgb(WHITE))
    ctx.fill()
    ctx.arc(cx, cy, 7.0, 0, 2 * math.pi)
    ctx.set_line_width(1.0)
    ctx.set_source_rgba(*rgb(FRAME))
    ctx.stroke()
    return to_rgba(s)


def edit_border(side):
    line = list(FRAME) + [255]
    fill = list(WHITE) + [255]
    strip = [line] + [fill] * 7
    if side in ("R", "B"):
        strip = strip[::-1]
    strip = np.array(strip, dtype=np.uint8)
    return strip.reshape(1, 8, 4) if side in ("L", "R") else strip.reshape(8, 1, 4)


def solid(width, height, colour):
    out = np.zeros((height, width, 4), dtype=np.uint8)
    out[..., :3] = colour
    out[..., 3] = 255
    return out


def make_skins(background):
    """All 57 skins by name; `background` makes "DefaultBackGround". Returns
    {name: (rgba, opaque)}."""
    out = {"DefaultBackGround": (background(), True)}
    sizes = {n: (w, h) for n, w, h in skin_table()}
    for base, caption in CAPTIONS.items():
        w, h = sizes[base]
        for suffix in ("", "Nuv", "Klick"):
            out[base + suffix] = (draw_button(w, h, caption, suffix), False)
    out["ExitButton"] = (exit_button(), False)
    out["EscButton"] = (key_cap(37, 25, "Esc"), False)
    out["F1Button"] = (key_cap(37, 25, "F1"), False)
    out["F12Button"] = (key_cap(37, 25, "F12"), False)
    out["SliderSliderVertical"] = (slider_thumb(19, 10, False), False)
    out["SliderSliderVerticalHover"] = (slider_thumb(19, 10, True), False)
    out["SliderSliderHorizontal"] = (slider_thumb(11, 20, False), False)
    out["SliderSliderHorizontalHover"] = (slider_thumb(11, 20, True), False)
    out["ScrollSlider"] = (scroll_slider(), True)
    out["ScrollSliderHorizontal"] = (scroll_slider_horizontal(), True)
    out["ScrollBackground"] = (scroll_background(), True)
    out["ScrollButtonUp"] = (scroll_button(True), True)
    out["ScrollButtonDown"] = (scroll_button(False), True)
    for name, checked, disabled, radio in (
            ("CheckBoxUnchecked", False, False, False), ("CheckBoxChecked", True, False, False),
            ("RadioButtonUnchecked", False, False, True), ("RadioButtonChecked", True, False, True),
            ("CheckBoxDisUnchecked", False, True, False), ("CheckBoxDisChecked", True, True, False),
            ("RadioButtonDisUnchecked", False, True, True), ("RadioButtonDisChecked", True, True, True)):
        out[name] = (check_box(checked, disabled, radio), False)
    out["EditBarBackGround"] = (solid(1, 1, WHITE), True)
    for corner in ("LT", "RT", "LB", "RB"):
        out["EditBarCorner" + corner] = (edit_corner(corner), False)
    for side in ("L", "R", "T", "B"):
        out["EditBarBorder" + side] = (edit_border(side), True)
    out["EditBarKaretka"] = (solid(1, 19, (0, 0, 0)), True)
    out["SelectionMask"] = (solid(1, 1, (178, 218, 248)), True)
    return out


def write_skins(background):
    images = make_skins(background)
    for name, w, h in skin_table():
        rgba, opaque = images[name]
        if rgba.shape[:2] != (h, w):
            raise SystemExit("%s: made %dx%d, the skin table says %dx%d"
                             % (name, rgba.shape[1], rgba.shape[0], w, h))
        save(name, rgba, opaque)
    missing = set(images) - {n for n, _, _ in skin_table()}
    if missing:
        raise SystemExit("skins not in the table: %s" % sorted(missing))
    return images

