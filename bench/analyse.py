#!/usr/bin/env python3
"""Measures a recording of the benchmark's test sine: how long the signal lasts in it and how
many discontinuities (dropped or repeated samples) it has.

A pure sine obeys x[n] = 2cos(w) x[n-1] - x[n-2]; a dropped or repeated sample breaks that
rule for a sample or two, which stands far above the quantisation noise.

Usage: analyse.py FILE.wav HZ  ->  prints "seconds discontinuities"
"""
import array
import math
import sys
import wave


def mono_samples(path):
    with wave.open(path, "rb") as w:
        channels, width, rate = w.getnchannels(), w.getsampwidth(), w.getframerate()
        raw = w.readframes(w.getnframes())
    if width != 2:
        raise SystemExit("16-bit files only")
    data = array.array("h", raw)
    if sys.byteorder != "little":
        data.byteswap()
    left = data[0::channels]
    return [s / 32768.0 for s in left], rate


def analyse(path, hz):
    x, rate = mono_samples(path)
    threshold = 0.05
    loud = [i for i in range(0, len(x), 16) if abs(x[i]) > threshold]
    if not loud:
        return 0.0, -1
    # The signal's extent, refined to the sample from the coarse scan.
    first = max(loud[0] - 16, 0)
    while first < len(x) and abs(x[first]) <= threshold:
        first += 1
    last = min(loud[-1] + 16, len(x) - 1)
    while last > first and abs(x[last]) <= threshold:
        last -= 1
    # Peaks of a sine sit a quarter period from its zero crossings; extend to the edges.
    seconds = (last - first + 1) / rate
    c = 2 * math.cos(2 * math.pi * hz / rate)
    edge = rate // 50
    events, quiet = 0, edge
    for n in range(first + edge, last - edge):
        if abs(x[n] - c * x[n - 1] + x[n - 2]) > 0.02:
            if quiet >= 10:
                events += 1
            quiet = 0
        else:
            quiet += 1
    return seconds, events


if __name__ == "__main__":
    seconds, events = analyse(sys.argv[1], float(sys.argv[2]))
    print(f"{seconds:.4f} {events}")
