#!/usr/bin/env python3
"""Writes res/sample.wav, the sound the main window offers at start-up: a soft three-note
chime (C5, E5, G5 with bell-like partials), 2 s of PCM, 22050 Hz, mono, 16-bit.

Made here from arithmetic alone, so every run writes the same bytes.
Run again after changing this script and commit the output.
"""
import array
import math
import os
import sys
import wave

RATE = 22050
DURATION = 2.0


def chime_samples():
    """Gentle attack, exponential decay, fade in and out, peak at -6 dBFS."""
    notes = [(523.25, 0.00, 1.00), (659.26, 0.17, 0.90), (783.99, 0.34, 0.85)]  # Hz, start s, gain
    attack, fade_in, fade_out = 0.012, 0.004, 0.30
    partials = [(1.0, 1.00, 0.60), (2.0, 0.28, 0.30), (3.0, 0.10, 0.18),  # ratio, amplitude,
                (1.003, 0.20, 0.60)]                                        # decay time in s
    n = int(RATE * DURATION)
    out = []
    for i in range(n):
        t = i / float(RATE)
        v = 0.0
        for freq, start, gain in notes:
            tau = t - start
            if tau < 0.0:
                continue
            env = 0.5 - 0.5 * math.cos(math.pi * tau / attack) if tau < attack else 1.0
            for ratio, amp, decay in partials:
                v += gain * env * amp * math.exp(-tau / decay) * \
                    math.sin(2.0 * math.pi * freq * ratio * tau)
        if t < fade_in:
            v *= 0.5 - 0.5 * math.cos(math.pi * t / fade_in)
        remaining = (n - 1 - i) / float(RATE)
        if remaining < fade_out:
            v *= 0.5 - 0.5 * math.cos(math.pi * remaining / fade_out)
        out.append(v)
    peak = max(abs(v) for v in out)
    scale = 10.0 ** (-6.0 / 20.0) * 32767.0 / peak
    return [int(round(v * scale)) for v in out]


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "sample.wav")
    samples = array.array("h", chime_samples())
    if sys.byteorder == "big":
        samples.byteswap()   # WAVE data is little-endian
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.tobytes())


if __name__ == "__main__":
    main()
