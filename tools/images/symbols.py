"""The text view's whitespace symbols: a dot for a space, a pilcrow for a
line end, an arrow for a tab, and one clear pixel for a line feed shown
without symbols."""

import math

import numpy as np

from common import INK, rgb, surface, to_rgba


def space_dot():
    out = np.zeros((3, 3, 4), dtype=np.uint8)
    out[..., :3] = INK
    out[..., 3] = 255
    return out


def pilcrow():
    """A dark pilcrow, 11 x 21: a filled bowl on the left of two stems."""
    s, ctx = surface(11, 21)
    ctx.set_source_rgba(*rgb(INK))
    # The bowl: a half disc hanging from the top bar, left of the first stem.
    ctx.move_to(6.0, 2.0)
    ctx.line_to(6.0, 11.0)
    ctx.line_to(5.0, 11.0)
    ctx.arc(5.0, 6.5, 4.5, math.pi / 2, 3 * math.pi / 2)
    ctx.close_path()
    ctx.fill()
    ctx.rectangle(5.0, 2.0, 5.0, 2.0)  # top bar
    ctx.rectangle(5.0, 2.0, 2.0, 17.0)  # first stem
    ctx.rectangle(8.0, 2.0, 2.0, 17.0)  # second stem
    ctx.fill()
    return to_rgba(s)


TAB_ART = [
    "......X...",
    "......XX..",
    "XXXXXXXXXX",
    "......XX..",
    "......X...",
]


def tab_arrow():
    out = np.zeros((5, 10, 4), dtype=np.uint8)
    out[..., :3] = INK
    for y, row in enumerate(TAB_ART):
        for x, c in enumerate(row):
            if c == "X":
                out[y, x, 3] = 255
    return out


def empty_line_feed():
    return np.array([[[255, 255, 255, 0]]], dtype=np.uint8)


SYMBOLS = {
    "SYMBOL_SPACE": (space_dot, True),
    "SYMBOL_LINE": (pilcrow, False),
    "SYMBOL_TAB": (tab_arrow, False),
    "SYMBOL_EMPTY": (empty_line_feed, False),
}
