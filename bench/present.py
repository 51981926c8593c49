#!/usr/bin/python3
"""Start-up, memory, threads, CPU and frame rate of the real trainer on an X
display of its own (Xvfb), for the presentation it picks and, side by side,
for SDL's accelerated renderer forced by environment (SDL_RENDER_DRIVER).
Run by hand, not by the test command:

    python3 bench/present.py [--kvarlop build/release/app/kvarlop]
        [--size 1920x1080] [--wm] [--display 74] [--seconds 10] [--runs 1]

Launch to first visible frame: from the start of the process to the first
time the screen's centre pixel is no longer black (Xvfb -br starts black).
Frames presented: damage reports on the trainer's window, counted one a
present. CPU: the process's user + system time (all its threads) over the
sampling time. The still screen is measured once the run of bubbles has
ended and no frame has come for three seconds (the results screen).
"""

import argparse
import ctypes
import ctypes.util
import os
import shutil
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

    def count_for(self, seconds):
        end = time.monotonic() + seconds
        total = 0
        while time.monotonic() < end:
            total += self.drain()
            time.sleep(0.001)
        return total


def sample(pid, frames, seconds):
    cpu0, t0 = cpu_seconds(pid), time.monotonic()
    counted = frames.count_for(seconds)
    elapsed = time.monotonic() - t0
    return 100.0 * (cpu_seconds(pid) - cpu0) / elapsed, counted / elapsed


def measure(args, label, extra_env):
    width, height = (int(v) for v in args.size.split("x"))
    name = f":{args.display}"
    xvfb = subprocess.Popen(["Xvfb", name, "-screen", "0", f"{width}x{height}x24", "-br", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    processes = [xvfb]
    data = tempfile.mkdtemp(prefix="kvarlop-present-")
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
        start = time.monotonic()
        trainer = subprocess.Popen([args.kvarlop], env=env, cwd=os.path.dirname(args.kvarlop),
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
        result["run CPU %"], result["frames/s"] = sample(trainer.pid, frames, args.seconds)
        threads = max(threads, status(trainer.pid, "Threads"))

        # The run ends by itself; its last screen stands still.
        quiet_since = time.monotonic()
        deadline = time.monotonic() + args.still_timeout
        while time.monotonic() - quiet_since < 3.0 and time.monotonic() < deadline:
            if frames.count_for(0.25):
                quiet_since = time.monotonic()
            threads = max(threads, status(trainer.pid, "Threads"))
        if time.monotonic() < deadline:
            result["still CPU %"], _ = sample(trainer.pid, frames, args.seconds)
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
    return result


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--kvarlop", default=os.path.join(here, "..", "build", "release", "app", "kvarlop"))
    parser.add_argument("--size", default="800x600")
    parser.add_argument("--wm", action="store_true", help="run openbox on the display")
    parser.add_argument("--display", type=int, default=74)
    parser.add_argument("--seconds", type=float, default=10.0, help="sampling time of each CPU figure")
    parser.add_argument("--still-timeout", type=float, default=300.0,
                        help="longest wait for the run to end before the still screen")
    parser.add_argument("--runs", type=int, default=1, help="runs of each mode; medians are shown")
    parser.add_argument("--audio", default="dummy", help="SDL_AUDIODRIVER for the trainer")
    args = parser.parse_args()
    args.kvarlop = os.path.abspath(args.kvarlop)
    if not os.access(args.kvarlop, os.X_OK):
        sys.exit(f"no trainer at {args.kvarlop}: build it or name it with --kvarlop")

    modes = [("picked", {}), ("SDL_RENDER_DRIVER=opengl", {"SDL_RENDER_DRIVER": "opengl"})]
    columns = []
    for label, env in modes:
        runs = [measure(args, label, env) for _ in range(args.runs)]
        merged = {"mode": label}
        for key in runs[0]:
            if key == "mode":
                continue
            values = sorted(r[key] for r in runs if key in r)
            if values:
                merged[key] = values[len(values) // 2]
        columns.append(merged)

    load = os.getloadavg()
    print(f"{args.size}{' with openbox' if args.wm else ''}, {os.cpu_count()} CPUs, "
          f"load {load[0]:.1f} {load[1]:.1f} {load[2]:.1f}, median of {args.runs}")
    keys = ["launch ms", "peak RSS MB", "threads", "run CPU %", "still CPU %", "frames/s"]
    print(f"{'':16}" + "".join(f"{c['mode']:>28}" for c in columns))
    for key in keys:
        cells = []
        for c in columns:
            v = c.get(key)
            cells.append(f"{'-' if v is None else (f'{v:.1f}' if isinstance(v, float) else str(v)):>28}")
        print(f"{key:16}" + "".join(cells))


if __name__ == "__main__":
    main()
