#!/usr/bin/python3
"""Makes the five praise clips into assets/video/ (or the folder given).

    make_videos.py [OUT_DIR] [--frames DIR]

Every frame is drawn with pycairo (scenes.py) and piped to ffmpeg, which
encodes Ogg Theora: 320 x 240, 4:2:0, 12 frames per second, video only.
Each clip's randomness comes from its own fixed seed, and ffmpeg runs
single-threaded in bit-exact mode, so a run always writes the same files.
With --frames, every frame is also saved as a PNG into DIR for inspection.
"""

import os
import random
import shutil
import subprocess
import sys

import cairo

import scenes

FRAME_W, FRAME_H = 320, 240
FPS = 12
QUALITY = 6

# (file name, scene maker, seconds, seed)
CLIPS = (
    ("bravo_video.ogv", scenes.bravo, 3.0, 101),
    ("gotovo_video.ogv", scenes.gotovo, 2.5, 102),
    ("molodec_video.ogv", scenes.molodec, 3.0, 103),
    ("otlichno_video.ogv", scenes.otlichno, 3.5, 104),
    ("ura_video.ogv", scenes.ura, 3.5, 105),
)


def render(draw, index):
    surface = cairo.ImageSurface(cairo.FORMAT_RGB24, FRAME_W, FRAME_H)
    ctx = cairo.Context(surface)
    # Scenes draw at the 320 x 200 the program shows; stretch to the frame.
    ctx.scale(FRAME_W / 320, FRAME_H / 200)
    draw(ctx, index / FPS)
    surface.flush()
    return surface


def encode(path, draw, seconds, frames_dir):
    frames = int(round(seconds * FPS))
    command = [
        "ffmpeg", "-v", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "bgr0", "-s", f"{FRAME_W}x{FRAME_H}",
        "-framerate", str(FPS), "-i", "-",
        "-an", "-c:v", "libtheora", "-q:v", str(QUALITY), "-g", str(FPS),
        "-pix_fmt", "yuv420p", "-sws_flags", "bicubic+accurate_rnd+full_chroma_int",
        "-threads", "1", "-fflags", "+bitexact", "-flags:v", "+bitexact",
        "-map_metadata", "-1", "-f", "ogg", path,
    ]
    encoder = subprocess.Popen(command, stdin=subprocess.PIPE)
    for index in range(frames):
        surface = render(draw, index)
        # Cairo's RGB24 rows are 32-bit pixels, blue first on little-endian
        # machines: ffmpeg's bgr0. A 320-pixel row has no padding.
        assert surface.get_stride() == FRAME_W * 4
        encoder.stdin.write(bytes(surface.get_data()))
        if frames_dir:
            name = os.path.splitext(os.path.basename(path))[0]
            surface.write_to_png(os.path.join(frames_dir, f"{name}_{index:03d}.png"))
    encoder.stdin.close()
    if encoder.wait() != 0:
        raise SystemExit(f"ffmpeg failed on {path}")
    return frames


def main(argv):
    args = argv[1:]
    frames_dir = None
    if "--frames" in args:
        at = args.index("--frames")
        frames_dir = args[at + 1]
        del args[at:at + 2]
        os.makedirs(frames_dir, exist_ok=True)
    here = os.path.dirname(os.path.abspath(__file__))
    out = args[0] if args else os.path.join(here, "..", "..", "assets", "video")
    os.makedirs(out, exist_ok=True)
    if shutil.which("ffmpeg") is None:
        raise SystemExit("missing tool: ffmpeg (see tools/README.md)")
    if sys.byteorder != "little":
        raise SystemExit("cairo's pixel order is taken as little-endian")
    for name, maker, seconds, seed in CLIPS:
        path = os.path.join(out, name)
        frames = encode(path, maker(random.Random(seed)), seconds, frames_dir)
        print(f"  {name:20s} {frames} frames, {seconds:.1f} s, {os.path.getsize(path)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
