#!/usr/bin/python3
"""Makes every picture of the program into assets/images/.

    /usr/bin/python3 tools/images/make_images.py

Needs python3-pil, python3-cairo, python3-numpy and fonts-liberation2. The
output depends only on these sources (every random choice has a fixed
seed), so running it again reproduces the committed files.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import bubble  # noqa: E402
import cloud  # noqa: E402
import devices  # noqa: E402
import scenes  # noqa: E402
import skins  # noqa: E402
import symbols  # noqa: E402
from common import IMAGES, save  # noqa: E402


def main():
    written = []
    skins.write_skins(scenes.default_background)
    written += [name for name, _, _ in skins.skin_table()]

    save("102", scenes.exercise_background(), opaque=True)
    save("103", bubble.bubble())
    save("108", bubble.burst_ring_breaking())
    save("109", bubble.burst_droplets())
    save("110", bubble.burst_last_droplets())
    save("oblako_png", cloud.praise_cloud())
    written += ["102", "103", "108", "109", "110", "oblako_png"]

    keyboard, space = devices.keyboard_pictures()
    save("KEYBOARDPIC", keyboard)
    save("KEYSPACE", space, opaque=True)
    save("MOUSE", devices.big_mouse())
    for name in devices.SMALL_STATES:
        save(name, devices.small_mouse(name))
    save("CURSOR", devices.cursor())
    written += ["KEYBOARDPIC", "KEYSPACE", "MOUSE", "CURSOR"] + list(devices.SMALL_STATES)

    for name, (make, opaque) in symbols.SYMBOLS.items():
        save(name, make(), opaque=opaque)
        written.append(name)

    stale = sorted(set(os.path.splitext(f)[0] for f in os.listdir(IMAGES) if f.endswith(".png"))
                   - set(written))
    if stale:
        print("note: pictures in %s not made by this tool: %s" % (IMAGES, ", ".join(stale)))
    print("%d pictures written to %s" % (len(written), IMAGES))


if __name__ == "__main__":
    main()
