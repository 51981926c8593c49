"""Shared drawing helpers for the picture generators.

Pictures are drawn with cairo (shapes, gradients, antialiasing), text is
rasterised with Pillow from a TrueType file given by path (so the result
does not depend on which fonts fontconfig would pick), per-pixel effects
use numpy, and files are written by Pillow. Everything random takes an
explicit seed, so running the tools again gives the same files.
"""

import math
import os

import cairo
import numpy as np
from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
IMAGES = os.path.join(ROOT, "assets", "images")

FONT_DIRS = ["/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/liberation"]
FONT_FILES = {
    "regular": "LiberationSans-Regular.ttf",
    "bold": "LiberationSans-Bold.ttf",
}

# The look of the whole program: soft sky colours and one dark blue for text.
TEXT = (7, 33, 52)
INK = (32, 28, 25)
SKY_DEEP = (86, 168, 232)
SKY = (150, 206, 245)
SKY_PALE = (222, 242, 253)
WHITE = (255, 255, 255)
BLUE = (52, 140, 212)
BLUE_DARK = (30, 96, 164)
SUN = (255, 214, 84)
SUN_DEEP = (244, 160, 40)
CORAL = (236, 96, 88)
CORAL_DARK = (176, 54, 52)
GRASS = (122, 200, 92)
GRASS_DARK = (70, 156, 66)


def font(weight, size):
    for folder in FONT_DIRS:
        path = os.path.join(folder, FONT_FILES[weight])
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    raise SystemExit("Liberation Sans not found: install fonts-liberation2")


def rgb(c, alpha=1.0):
    """A cairo colour from 0..255 components."""
    return (c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, alpha)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def surface(width, height):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)
    return s, cairo.Context(s)


def rounded_rect(ctx, x, y, w, h, r):
    r = max(0.0, min(r, w / 2.0, h / 2.0))
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def vertical_gradient(y0, y1, stops):
    g = cairo.LinearGradient(0, y0, 0, y1)
    for offset, colour in stops:
        g.add_color_stop_rgba(offset, *rgb(colour[:3], colour[3] / 255.0 if len(colour) > 3 else 1.0))
    return g


def radial_gradient(cx, cy, r0, fx, fy, r1, stops):
    g = cairo.RadialGradient(fx, fy, r0, cx, cy, r1)
    for offset, colour in stops:
        g.add_color_stop_rgba(offset, *rgb(colour[:3], colour[3] / 255.0 if len(colour) > 3 else 1.0))
    return g


def text_mask(text, weight, size):
    """The text's coverage as a float array (0..1), tightly cropped to its ink,
    and the offset of the ink box from the text origin."""
    f = font(weight, size)
    left, top, right, bottom = f.getbbox(text)
    w, h = max(1, right - left), max(1, bottom - top)
    img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(img).text((-left, -top), text, font=f, fill=255)
    return np.asarray(img, dtype=np.float64) / 255.0, (left, top)


def fit_text(text, weight, size, max_width, min_size=8):
    """The largest size not above `size` at which `text` fits `max_width`."""
    while size > min_size:
        mask, _ = text_mask(text, weight, size)
        if mask.shape[1] <= max_width:
            break
        size -= 1
    return size


def mask_surface(mask):
    """A cairo A8 surface holding a float coverage array."""
    h, w = mask.shape
    stride = cairo.ImageSurface.format_stride_for_width(cairo.FORMAT_A8, w)
    data = np.zeros((h, stride), dtype=np.uint8)
    data[:, :w] = np.clip(np.round(mask * 255.0), 0, 255).astype(np.uint8)
    return cairo.ImageSurface.create_for_data(bytearray(data.tobytes()), cairo.FORMAT_A8, w, h, stride)


def draw_text_centered(ctx, text, weight, size, cx, cy, colour, alpha=1.0):
    """Paints `text` with its ink box centred on (cx, cy), at whole pixels."""
    mask, _ = text_mask(text, weight, size)
    h, w = mask.shape
    x = int(round(cx - w / 2.0))
    y = int(round(cy - h / 2.0))
    ctx.save()
    ctx.set_source_rgba(*rgb(colour, alpha))
    ctx.mask_surface(mask_surface(mask), x, y)
    ctx.restore()


def to_rgba(s):
    """The surface as straight (not premultiplied) RGBA, uint8 numpy array."""
    s.flush()
    w, h, stride = s.get_width(), s.get_height(), s.get_stride()
    raw = np.frombuffer(s.get_data(), dtype=np.uint8).reshape(h, stride // 4, 4)[:, :w, :]
    bgra = raw.astype(np.float64)
    a = bgra[..., 3]
    out = np.zeros((h, w, 4), dtype=np.float64)
    safe = np.where(a > 0, a, 1.0)
    for i, c in enumerate((2, 1, 0)):
        out[..., i] = np.where(a > 0, bgra[..., c] * 255.0 / safe, 0.0)
    out[..., 3] = a
    return np.clip(np.round(out), 0, 255).astype(np.uint8)


def from_rgba(rgba):
    """A cairo surface holding a straight RGBA uint8 array."""
    h, w, _ = rgba.shape
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    stride = s.get_stride()
    f = rgba.astype(np.float64)
    a = f[..., 3:4] / 255.0
    pre = np.zeros((h, stride // 4, 4), dtype=np.uint8)
    pre[:, :w, 0] = np.round(f[..., 2] * a[..., 0])
    pre[:, :w, 1] = np.round(f[..., 1] * a[..., 0])
    pre[:, :w, 2] = np.round(f[..., 0] * a[..., 0])
    pre[:, :w, 3] = f[..., 3]
    buf = s.get_data()
    buf[:] = pre.tobytes()
    s.mark_dirty()
    return s


def over(dst, src):
    """Straight-alpha float RGBA (0..1) `src` composited over `dst`."""
    sa = src[..., 3:4]
    da = dst[..., 3:4]
    oa = sa + da * (1.0 - sa)
    safe = np.where(oa > 0, oa, 1.0)
    rgb_ = (src[..., :3] * sa + dst[..., :3] * da * (1.0 - sa)) / safe
    return np.concatenate([np.where(oa > 0, rgb_, 0.0), oa], axis=-1)


def bleed(rgba, passes=6):
    """Gives fully transparent pixels the colour of their visible neighbours,
    so that a texture filtered at a picture's edge does not pick up a dark
    fringe from them. Alpha is not changed; a wholly clear picture is kept."""
    visible = rgba[..., 3] > 0
    if not visible.any() or visible.all():
        return rgba
    colour = rgba[..., :3].astype(np.float64)
    known = visible.copy()
    for _ in range(passes):
        total = np.zeros_like(colour)
        count = np.zeros(known.shape)
        h, w = known.shape
        padded_known = np.pad(known, 1)
        padded_colour = np.pad(colour, ((1, 1), (1, 1), (0, 0)))
        for dy, dx in ((-1, 0), (1, 0), (0, -1), (0, 1), (-1, -1), (-1, 1), (1, -1), (1, 1)):
            shifted_known = padded_known[1 + dy:1 + dy + h, 1 + dx:1 + dx + w]
            shifted_colour = padded_colour[1 + dy:1 + dy + h, 1 + dx:1 + dx + w]
            total += shifted_colour * shifted_known[..., None]
            count += shifted_known
        grow = ~known & (count > 0)
        colour[grow] = total[grow] / count[grow][..., None]
        known |= grow
    colour[~known] = colour[visible].mean(axis=0)
    out = rgba.copy()
    out[..., :3] = np.where(visible[..., None], rgba[..., :3], np.round(colour)).astype(np.uint8)
    return out


def save(name, rgba, opaque=False):
    """Writes assets/images/<name>.png: RGB when `opaque`, else RGBA (its
    clear pixels coloured like their neighbours, see bleed)."""
    os.makedirs(IMAGES, exist_ok=True)
    path = os.path.join(IMAGES, name + ".png")
    if opaque:
        if rgba.shape[2] == 4 and rgba[..., 3].min() != 255:
            raise SystemExit("%s: meant to be opaque but has transparent pixels" % name)
        Image.fromarray(np.ascontiguousarray(rgba[..., :3]), "RGB").save(path, optimize=True)
    else:
        Image.fromarray(np.ascontiguousarray(bleed(rgba)), "RGBA").save(path, optimize=True)
    return path


def skin_table():
    """The skin names and sizes, read from assets/skins.h (the one list)."""
    import re
    text = open(os.path.join(ROOT, "assets", "skins.h"), encoding="utf-8").read()
    rows = re.findall(r'\{"(\w+)", (\d+), (\d+)\}', text)
    return [(name, int(w), int(h)) for name, w, h in rows]
