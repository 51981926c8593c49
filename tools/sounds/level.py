#!/usr/bin/python3
"""Sets a sound's level so that all the program's sounds are about as loud.

    level.py IN.wav OUT.wav LOUDNESS_DB CEILING_DB

LOUDNESS_DB is the wanted "active" level: the power mean of the 50 ms windows
that are no more than 20 dB below the loudest one, in dBFS. Peaks above
CEILING_DB dBFS are then brought down by a smooth look-ahead limiter (a gain
that never rises above what each sample needs, eased over 5 ms), so nothing
comes near full scale. Reads and writes 16- or 32-bit PCM WAV; writes 32-bit.
"""

import sys
import wave

import numpy as np

WINDOW_S = 0.050
GATE_DB = 20.0
EASE_S = 0.005


def read_wav(path):
    with wave.open(path, "rb") as src:
        width = src.getsampwidth()
        channels = src.getnchannels()
        rate = src.getframerate()
        raw = src.readframes(src.getnframes())
    if width == 2:
        data = np.frombuffer(raw, dtype="<i2").astype(np.float64) / 32768.0
    elif width == 4:
        data = np.frombuffer(raw, dtype="<i4").astype(np.float64) / 2147483648.0
    else:
        raise SystemExit(f"{path}: {8 * width}-bit samples are not supported")
    return rate, data.reshape(-1, channels)


def write_wav(path, rate, data):
    ints = np.round(np.clip(data, -1.0, 1.0 - 2**-31) * 2147483648.0).astype("<i4")
    with wave.open(path, "wb") as out:
        out.setnchannels(data.shape[1])
        out.setsampwidth(4)
        out.setframerate(rate)
        out.writeframes(ints.tobytes())


def active_level_db(rate, data):
    """Power mean, in dBFS, of the windows within GATE_DB of the loudest."""
    size = max(1, int(rate * WINDOW_S))
    count = len(data) // size
    if count == 0:
        return -np.inf
    power = np.mean(data[: count * size].reshape(count, size, -1) ** 2, axis=(1, 2))
    if np.max(power) <= 0:
        return -np.inf
    loud = power[power >= np.max(power) * 10 ** (-GATE_DB / 10)]
    return 10 * np.log10(np.mean(loud))


def sliding_min(values, radius):
    out = values.copy()
    for shift in range(1, radius + 1):
        out[shift:] = np.minimum(out[shift:], values[:-shift])
        out[:-shift] = np.minimum(out[:-shift], values[shift:])
    return out


def limit(rate, data, ceiling):
    """Scales samples down where they would pass `ceiling` (linear)."""
    peak = np.max(np.abs(data), axis=1)
    need = np.minimum(1.0, ceiling / np.maximum(peak, 1e-12))
    if np.all(need >= 1.0):
        return data
    radius = max(1, int(rate * EASE_S))
    # Each gain is the smallest need within `radius`; averaging over a window
    # no wider than that keeps every sample at or under its own need.
    floor = sliding_min(need, radius)
    box = np.ones(radius) / radius
    eased = np.convolve(np.pad(floor, (radius, radius), mode="edge"), box, mode="same")
    eased = eased[radius:-radius]
    return data * np.minimum(eased, need)[:, None]


def main(argv):
    if len(argv) != 5:
        sys.stderr.write("usage: level.py IN.wav OUT.wav LOUDNESS_DB CEILING_DB\n")
        return 2
    rate, data = read_wav(argv[1])
    loudness = float(argv[3])
    ceiling = 10 ** (float(argv[4]) / 20)
    level = active_level_db(rate, data)
    if not np.isfinite(level):
        raise SystemExit(f"{argv[1]}: the sound is silent")
    data = data * 10 ** ((loudness - level) / 20)
    data = limit(rate, data, ceiling)
    write_wav(argv[2], rate, data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
