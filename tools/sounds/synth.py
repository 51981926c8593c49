#!/usr/bin/python3
"""Synthesises the non-spoken sounds into 32-bit PCM WAV files.

    synth.py chime OUT.wav   the cheerful closing chime (44,100 Hz stereo)
    synth.py click OUT.wav   a mouse button's press and release (44,000 Hz stereo)

Everything random comes from generators with fixed seeds, so the same
command always writes the same file. Levels are set later by make_sounds.sh.
"""

import sys
import wave

import numpy as np

SEED = 20240607


def write_wav(path, rate, stereo):
    """Writes a float array of shape (frames, 2) in -1..1 as 32-bit PCM."""
    peak = np.max(np.abs(stereo))
    if peak > 0:
        stereo = stereo * (0.5 / peak)
    ints = np.round(stereo * (2**31 - 1)).astype("<i4")
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(4)
        out.setframerate(rate)
        out.writeframes(ints.tobytes())


def bell(t, freq, decay):
    """A bright bell-like note: a few partials, the higher ones dying faster."""
    partials = ((1.0, 1.00, 1.0), (2.0, 0.45, 1.8), (3.0, 0.22, 2.6),
                (4.2, 0.10, 3.5), (5.4, 0.06, 4.5))
    note = np.zeros_like(t)
    for ratio, gain, speed in partials:
        note += gain * np.sin(2 * np.pi * freq * ratio * t) * np.exp(-t * speed / decay)
    attack = np.clip(t / 0.004, 0.0, 1.0)
    return note * attack


def chime():
    """An ascending major arpeggio that ends on a ringing chord, panned
    gently from left to right, with a soft sparkle on top."""
    rate = 44100
    length = 1.9
    n = int(rate * length)
    t = np.arange(n) / rate
    out = np.zeros((n, 2))
    # C6 E6 G6 C7, then a short C-major chord one octave lower underneath.
    notes = ((0.00, 1046.50, -0.45), (0.11, 1318.51, -0.15),
             (0.22, 1567.98, 0.15), (0.33, 2093.00, 0.45))
    for start, freq, pan in notes:
        local = t - start
        mask = local >= 0
        tone = np.zeros(n)
        tone[mask] = bell(local[mask], freq, 0.55)
        out[:, 0] += tone * np.sqrt((1 - pan) / 2)
        out[:, 1] += tone * np.sqrt((1 + pan) / 2)
    for freq in (523.25, 659.25, 783.99):
        local = t - 0.33
        mask = local >= 0
        tone = np.zeros(n)
        tone[mask] = 0.35 * bell(local[mask], freq, 0.8)
        out[:, 0] += tone
        out[:, 1] += tone
    # Sparkle: short, quiet high blips at fixed random places after the arpeggio.
    rng = np.random.default_rng(SEED)
    for _ in range(9):
        start = 0.35 + rng.random() * 0.7
        freq = 3000 + rng.random() * 2500
        pan = rng.random() * 2 - 1
        local = t - start
        mask = local >= 0
        tone = np.zeros(n)
        tone[mask] = 0.08 * np.sin(2 * np.pi * freq * local[mask]) * np.exp(-local[mask] / 0.05)
        out[:, 0] += tone * np.sqrt((1 - pan) / 2)
        out[:, 1] += tone * np.sqrt((1 + pan) / 2)
    # Fade the last 0.4 s to nothing so the tail ends in true silence.
    fade = np.clip((length - t) / 0.4, 0.0, 1.0)
    out *= (fade ** 2)[:, None]
    return rate, out


def tick(t, freq, decay, rng, noise_gain):
    """One plastic tick: a damped resonance with a brief noise burst."""
    body = np.sin(2 * np.pi * freq * t) * np.exp(-t / decay)
    body += 0.5 * np.sin(2 * np.pi * freq * 2.3 * t) * np.exp(-t / (decay * 0.5))
    noise = rng.standard_normal(t.shape) * np.exp(-t / 0.0008) * noise_gain
    return body + noise


def click():
    """A mouse button pressed, then released 1/6 s later (the pressed-mouse
    frame of the demonstration lasts that long); 0.36 s in all."""
    rate = 44000
    n = int(round(rate * 0.36))
    t = np.arange(n) / rate
    rng = np.random.default_rng(SEED + 1)
    mono = np.zeros(n)
    for start, freq, decay, gain in ((0.010, 2900.0, 0.0022, 1.0),
                                     (0.177, 3400.0, 0.0016, 0.6)):
        local = t - start
        mask = local >= 0
        mono[mask] += gain * tick(local[mask], freq, decay, rng, 0.6)
    # Nothing may ring into the last 60 ms.
    mono *= np.clip((0.30 - t) / 0.03, 0.0, 1.0)
    return rate, np.stack([mono, mono], axis=1)


def main(argv):
    makers = {"chime": chime, "click": click}
    if len(argv) != 3 or argv[1] not in makers:
        sys.stderr.write("usage: synth.py chime|click OUT.wav\n")
        return 2
    rate, samples = makers[argv[1]]()
    write_wav(argv[2], rate, samples)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
