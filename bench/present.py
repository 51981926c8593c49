#!/usr/bin/python3
"""Start-up, memory, threads, CPU, allocations and frame pacing of the real
trainer on an X display of its own (Xvfb), side by side in one run with the
floor program (bench/present/floor.cpp: one sprite over a background,
presented the same way) and, with --opengl, with the trainer on SDL's
accelerated renderer forced by environment (SDL_RENDER_DRIVER).
Run by hand, not by the test command:

    python3 bench/present.py [--build build/release] [--size 1920x1080]
        [--wm] [--display 74] [--seconds 10] [--runs 1] [--opengl]
        [--baseline build/before]

Launch to first visible frame: from the start of the process to the first
time the screen's centre pixel is no longer black (Xvfb -br starts black).
Title screen: sampled two seconds after that frame, before any key (only
the caret blinks). Then the bubbles' size and speed are set on the settings
page (--diameter, --speed: 256 pixels as the floor's sprite, speed 3 = 150
pixels a second, so the picture changes at every refresh), a name is typed, Enter pressed and the instruction
skipped with Esc: the run is sampled while the bubbles fly (the floor's
sprite moves from the first key). Frames presented: damage reports on the
program's window, counted one a present; the present intervals are the
times between them (read every millisecond). CPU: the process's run time
(all its threads) over the sampling time. Allocations: calls of
malloc and its kin, counted by a preloaded library (kvarlop_count_mallocs).
"""

import argparse
import ctypes
import ctypes.util
import os
import shutil
import struct
import signal
import subprocess
import sys
import tempfile
import time

X = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
XDAMAGE = ctypes.CDLL(ctypes.util.find_library("Xdamage") or "libXdamage.so.1")

X.XOpenDisplay.restype = ctypes.c_void_p
X.XOpenDisplay.argtypes = [ctypes.c_char_p]
X.XDefaultRootWindow.restype = ctypes.c_ulong
X.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
X.XGetImage.restype = ctypes.c_void_p
X.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                        ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
X.XGetPixel.restype = ctypes.c_ulong
X.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
X.XDestroyImage.argtypes = [ctypes.c_void_p]
X.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                         ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                         ctypes.POINTER(ctypes.c_uint)]
X.XFree.argtypes = [ctypes.c_void_p]
X.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
X.XPending.argtypes = [ctypes.c_void_p]
X.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
X.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
X.XCloseDisplay.argtypes = [ctypes.c_void_p]
XDAMAGE.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                          ctypes.POINTER(ctypes.c_int)]
XDAMAGE.XDamageCreate.restype = ctypes.c_ulong
XDAMAGE.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
XDAMAGE.XDamageSubtract.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]

Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF
DAMAGE_REPORT_NON_EMPTY = 3
TICKS = os.sysconf("SC_CLK_TCK")


def centre_pixel(display, root, width, height):
    image = X.XGetImage(display, root, width // 2, height // 2, 1, 1, ALL_PLANES, Z_PIXMAP)
    if not image:
        return 0
    pixel = X.XGetPixel(image, 0, 0)
    X.XDestroyImage(image)
    return pixel & 0xFFFFFF


def find_window(display, window, title):
    """The window whose name holds `title`, searched depth first."""
    name = ctypes.c_char_p()
    if X.XFetchName(display, window, ctypes.byref(name)) and name.value:
        found = title in name.value.decode("utf-8", "replace")
        X.XFree(name)
        if found:
            return window
    root, parent = ctypes.c_ulong(), ctypes.c_ulong()
    children = ctypes.POINTER(ctypes.c_ulong)()
    count = ctypes.c_uint()
    if not X.XQueryTree(display, window, ctypes.byref(root), ctypes.byref(parent), ctypes.byref(children),
                        ctypes.byref(count)):
        return 0
    try:
        for i in range(count.value):
            hit = find_window(display, children[i], title)
            if hit:
                return hit
    finally:
        if children:
            X.XFree(children)
    return 0


def cpu_seconds(pid):
    """Run time of the process's threads: to the nanosecond from the
    scheduler's counts of the live threads where the kernel keeps them (a
    still screen spends well under a clock tick a second), else in clock
    ticks."""
    try:
        total = 0
        for task in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                    total += int(f.read().split()[0])
            except FileNotFoundError:
                pass  # the thread has just ended
        if total:
            return total / 1e9
    except OSError:
        pass
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def status(pid, key):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


class Frames:
    """Counts presents to a window through damage reports."""

    def __init__(self, display, window):
        self.display = display
        base, error = ctypes.c_int(), ctypes.c_int()
        if not XDAMAGE.XDamageQueryExtension(display, ctypes.byref(base), ctypes.byref(error)):
            raise RuntimeError("the X server has no DAMAGE extension")
        self.notify = base.value  # XDamageNotify is event 0 of the extension
        self.damage = XDAMAGE.XDamageCreate(display, window, DAMAGE_REPORT_NON_EMPTY)
        self.event = ctypes.create_string_buffer(192)
        X.XSync(display, 0)
        self.drain()

    def drain(self):
        count = 0
        while X.XPending(self.display):
            X.XNextEvent(self.display, self.event)
            if ctypes.c_int.from_buffer(self.event).value == self.notify:
                count += 1
        if count:
            XDAMAGE.XDamageSubtract(self.display, self.damage, 0, 0)
            X.XSync(self.display, 0)
        return count

    def count_for(self, seconds, times=None):
        end = time.monotonic() + seconds
        total = 0
        while time.monotonic() < end:
            got = self.drain()
            if got and times is not None:
                times.append(time.monotonic())
            total += got
            time.sleep(0.001)
        return total


class Mallocs:
    """The allocation counter the preloaded library keeps in a file."""

    def __init__(self):
        fd, self.path = tempfile.mkstemp(prefix="kvarlop-mallocs-")
        os.write(fd, b"\0" * 8)
        os.close(fd)

    def read(self):
        with open(self.path, "rb") as f:
            return struct.unpack("<Q", f.read(8))[0]


def percentile(values, p):
    if not values:
        return None
    values = sorted(values)
    return values[min(len(values) - 1, int(p / 100.0 * len(values)))]


def sample(pid, frames, mallocs, seconds, times=None):
    cpu0, t0, m0 = cpu_seconds(pid), time.monotonic(), mallocs.read()
    counted = frames.count_for(seconds, times)
    elapsed = time.monotonic() - t0
    return (100.0 * (cpu_seconds(pid) - cpu0) / elapsed, counted / elapsed,
            mallocs.read() - m0, elapsed)


def xdotool(env, *args):
    subprocess.run(["xdotool", *args], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def set_bubbles(env, size, diameter, speed):
    """The settings page: first and last diameter and speed, from Options."""
    width, height = size
    # The 800 x 600 picture is scaled to fit the screen and centred.
    if width * 600 <= height * 800:
        shown_w, shown_h = width, (600 * width * 2 + 800) // 1600
    else:
        shown_w, shown_h = (800 * height * 2 + 600) // 1200, height
    left, top = (width - shown_w) // 2, (height - shown_h) // 2

    def click(x, y):
        xdotool(env, "mousemove", "--sync", str(left + x * shown_w // 800), str(top + y * shown_h // 600),
                "click", "1")

    click(665 + 54, 510 + 23)
    time.sleep(1.0)
    for x, y, value in ((310, 135, diameter), (675, 135, diameter), (310, 175, speed), (675, 175, speed)):
        click(x + 55, y + 10)
        xdotool(env, "key", "--repeat", "6", "--delay", "20", "Right")
        xdotool(env, "key", "--repeat", "6", "--delay", "20", "BackSpace")
        xdotool(env, "type", "--delay", "40", str(value))
    click(500 + 54, 500 + 23)
    time.sleep(1.0)


def measure(args, label, program, extra_env):
    width, height = (int(v) for v in args.size.split("x"))
    name = f":{args.display}"
    xvfb = subprocess.Popen(["Xvfb", name, "-screen", "0", f"{width}x{height}x24", "-br", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    processes = [xvfb]
    data = tempfile.mkdtemp(prefix="kvarlop-present-")
    mallocs = Mallocs()
    result = {"mode": label}
    try:
        display = None
        for _ in range(200):
            time.sleep(0.025)
            display = X.XOpenDisplay(name.encode())
            if display:
                break
        if not display:
            raise RuntimeError(f"Xvfb {name} did not start")
        root = X.XDefaultRootWindow(display)
        env = dict(os.environ, DISPLAY=name, XDG_DATA_HOME=data, SDL_AUDIODRIVER=args.audio)
        env.pop("SDL_VIDEODRIVER", None)
        env.pop("SDL_RENDER_DRIVER", None)
        env.update(extra_env)
        if args.wm:
            processes.append(subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                              stderr=subprocess.DEVNULL))
            time.sleep(1.0)
        run_env = dict(env, KVARLOP_MALLOC_COUNT=mallocs.path)
        if os.path.exists(args.counter):
            run_env["LD_PRELOAD"] = args.counter
        start = time.monotonic()
        trainer = subprocess.Popen([program], env=run_env, cwd=os.path.dirname(program),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        processes.append(trainer)
        while centre_pixel(display, root, width, height) == 0:
            if time.monotonic() - start > 20 or trainer.poll() is not None:
                raise RuntimeError("no frame was shown")
            time.sleep(0.0005)
        result["launch ms"] = 1000 * (time.monotonic() - start)

        window = 0
        while not window and time.monotonic() - start < 20:
            window = find_window(display, root, "Кварлоп")
        frames = Frames(display, window)
        threads = status(trainer.pid, "Threads")
        time.sleep(2.0)
        cpu, rate, allocated, elapsed = sample(trainer.pid, frames, mallocs, args.seconds)
        result["title CPU %"], result["title frames/s"] = cpu, rate
        result["title mallocs/s"] = allocated / elapsed
        threads = max(threads, status(trainer.pid, "Threads"))

        # The bubbles set on the settings page (Options), as a teacher would:
        # at the default first speed a bubble moves 50 pixels a second, in
        # whole pixels, so its picture would change less often than the
        # screen refreshes and fewer frames would be drawn than there are
        # refreshes; at speed 2 or more it moves at least once a refresh.
        if label != "floor":
            set_bubbles(env, (width, height), args.diameter, args.speed)
        # A name, Enter, and the instruction skipped (Esc again should one be lost).
        xdotool(env, "mousemove", "--sync", str(width // 2), str(height // 2))
        xdotool(env, "type", "--delay", "40", "bench")
        xdotool(env, "key", "Return")
        for _ in range(3):
            time.sleep(1.0)
            xdotool(env, "key", "Escape")
        frames.count_for(1.0)
        times = []
        cpu, rate, allocated, elapsed = sample(trainer.pid, frames, mallocs, args.seconds, times)
        result["run CPU %"], result["frames/s"] = cpu, rate
        result["mallocs/frame"] = allocated / max(1, rate * elapsed)
        gaps = [1000 * (b - a) for a, b in zip(times, times[1:])]
        for p in (10, 50, 90, 99):
            value = percentile(gaps, p)
            if value is not None:
                result[f"interval p{p} ms"] = value
        threads = max(threads, status(trainer.pid, "Threads"))
        result["peak RSS MB"] = status(trainer.pid, "VmHWM") / 1024.0
        result["threads"] = threads
        X.XCloseDisplay(display)
    finally:
        for p in reversed(processes):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(data, ignore_errors=True)
        os.unlink(mallocs.path)
    return result


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(here, "..", "build", "release"),
                        help="the build tree holding app/kvarlop and bench/")
    parser.add_argument("--size", default="800x600")
    parser.add_argument("--wm", action="store_true", help="run openbox on the display")
    parser.add_argument("--display", type=int, default=74)
    parser.add_argument("--seconds", type=float, default=10.0, help="sampling time of each figure")
    parser.add_argument("--runs", type=int, default=1, help="runs of each mode, interleaved; medians are shown")
    parser.add_argument("--audio", default="dummy", help="SDL_AUDIODRIVER for the trainer")
    parser.add_argument("--speed", type=int, default=3, help="the bubbles' speed on the settings page")
    parser.add_argument("--diameter", type=int, default=256, help="the bubbles' diameter, as the floor's sprite")
    parser.add_argument("--floor-sdl", action="store_true",
                        help="the floor draws and scales the whole frame with SDL's blits")
    parser.add_argument("--opengl", action="store_true", help="the trainer on SDL_RENDER_DRIVER=opengl too")
    parser.add_argument("--baseline", help="another build tree whose trainer is measured beside (an older one)")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    kvarlop = os.path.join(build, "app", "kvarlop")
    floor = os.path.join(build, "bench", "bench_floor")
    args.counter = os.path.join(build, "bench", "libkvarlop_count_mallocs.so")
    for program in (kvarlop, floor):
        if not os.access(program, os.X_OK):
            sys.exit(f"no {program}: build the kvarlop and bench_floor targets")

    modes = [("kvarlop", kvarlop, {}),
             ("floor", floor, {"KVARLOP_FLOOR_SCALE": "sdl"} if args.floor_sdl else {})]
    if args.opengl:
        modes.append(("kvarlop, opengl", kvarlop, {"SDL_RENDER_DRIVER": "opengl"}))
    if args.baseline:
        modes.append(("baseline", os.path.join(os.path.abspath(args.baseline), "app", "kvarlop"), {}))
    runs = {label: [] for label, _, _ in modes}
    loads = []
    for _ in range(args.runs):
        for label, program, env in modes:
            runs[label].append(measure(args, label, program, env))
            loads.append(os.getloadavg()[0])
    columns = []
    for label, _, _ in modes:
        merged = {"mode": label}
        for key in runs[label][0]:
            if key == "mode":
                continue
            values = sorted(r[key] for r in runs[label] if key in r)
            if values:
                merged[key] = values[len(values) // 2]
        columns.append(merged)

    print(f"{args.size}{' with openbox' if args.wm else ''}, {os.cpu_count()} CPUs, "
          f"load (1 min) {min(loads):.1f} to {max(loads):.1f} over the runs, median of {args.runs}")
    keys = ["launch ms", "peak RSS MB", "threads", "title CPU %", "title frames/s", "title mallocs/s",
            "run CPU %", "frames/s", "mallocs/frame", "interval p10 ms", "interval p50 ms",
            "interval p90 ms", "interval p99 ms"]
    print(f"{'':18}" + "".join(f"{c['mode']:>18}" for c in columns))
    for key in keys:
        cells = []
        for c in columns:
            v = c.get(key)
            digits = 2 if key == "title CPU %" else 1
            cells.append(f"{'-' if v is None else (f'{v:.{digits}f}' if isinstance(v, float) else str(v)):>18}")
        print(f"{key:18}" + "".join(cells))


if __name__ == "__main__":
    main()
