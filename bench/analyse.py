#!/usr/bin/env python3
"""Measures a recording of the benchmark's test sine: how long the signal lasts in it and how
many discontinuities (dropped or repeated samples) it has.

A pure sine obeys x[n] = 2cos(w) x[n-1] - x[n-2]; a dropped or repeated sample breaks that
rule for a sample or two, which stands far above the quantisation noise.

The file is read in pieces, so a take of half an hour needs no more memory than one of a minute.

Usage: analyse.py FILE.wav HZ  ->  prints "seconds discontinuities"
"""
import array
import math
import sys
import wave

LOUD = 0.05 * 32768       # where the signal is taken to be present
BREAK = 0.02 * 32768      # a residual this large is a discontinuity
CHUNK_FRAMES = 1 << 20


def left_channel(path):
    """Yields the rate, then arrays of the first channel's samples."""
    with wave.open(path, "rb") as w:
        channels, width = w.getnchannels(), w.getsampwidth()
        if width != 2:
            raise SystemExit("16-bit files only")
        yield w.getframerate()
        while True:
            raw = w.readframes(CHUNK_FRAMES)
            if not raw:
                return
            data = array.array("h", raw)
            if sys.byteorder != "little":
                data.byteswap()
            yield data[0::channels]


def analyse(path, hz):
    pieces = left_channel(path)
    rate = next(pieces)
    c = 2 * math.cos(2 * math.pi * hz / rate)
    first = last = -1
    events = []            # where each discontinuity starts
    quiet = 10
    x1 = x2 = 0
    n = 0
    for piece in pieces:
        for s in piece:
            if s > LOUD or s < -LOUD:
                if first < 0:
                    first = n
                last = n
            if first >= 0 and n >= first + 2:
                r = s - c * x1 + x2
                if r > BREAK or r < -BREAK:
                    if quiet >= 10 and len(events) < 100000:
                        events.append(n)
                    quiet = 0
                else:
                    quiet += 1
            x2, x1 = x1, s
            n += 1
    if first < 0:
        return 0.0, -1
    # The signal's own edges are no discontinuities.
    edge = rate // 50
    inside = [e for e in events if first + edge <= e < last - edge]
    return (last - first + 1) / rate, len(inside)


if __name__ == "__main__":
    seconds, events = analyse(sys.argv[1], float(sys.argv[2]))
    print(f"{seconds:.4f} {events}")
