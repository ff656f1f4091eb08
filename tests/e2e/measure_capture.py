#!/usr/bin/env python3
"""Measures what the generator played into a raw capture (16-bit little-endian stereo).

    measure_capture.py FILE RATE [--from SECONDS] [--to SECONDS]

Prints one line: the sine's frequency on the left channel (from the median spacing of its
upward zero crossings), the pulse rate on the right channel (from the median spacing of the
rising edges of its pulses) and the levels of both channels. Medians, so that a moment of
silence where the sound system ran short of data does not move the result. Exit status 1 when
either channel is silent over the span.
"""
import argparse
import array
import sys


def median(times):
    """The median of the spacings between consecutive times."""
    spacings = sorted(b - a for a, b in zip(times, times[1:]))
    return spacings[len(spacings) // 2]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("file")
    ap.add_argument("rate", type=int)
    ap.add_argument("--from", dest="start", type=float, default=0.0)
    ap.add_argument("--to", dest="end", type=float, default=None)
    a = ap.parse_args()

    samples = array.array("h")
    with open(a.file, "rb") as f:
        data = f.read()
    samples.frombytes(data[: len(data) // 4 * 4])
    if sys.byteorder != "little":
        samples.byteswap()
    left, right = samples[0::2], samples[1::2]
    first = int(a.start * a.rate)
    last = len(left) if a.end is None else min(len(left), int(a.end * a.rate))
    left, right = left[first:last], right[first:last]

    # The sine: interpolated upward zero crossings.
    crossings = [i - 1 + -left[i - 1] / (left[i] - left[i - 1])
                 for i in range(1, len(left)) if left[i - 1] < 0 <= left[i]]
    sine = a.rate / median(crossings) if len(crossings) > 2 else 0.0

    # The pulses: rising edges through half the pulse height.
    peak = max((abs(v) for v in right), default=0)
    edges = [i for i in range(1, len(right))
             if peak > 0 and abs(right[i - 1]) < peak / 2 <= abs(right[i])]
    pulses = a.rate / median(edges) if len(edges) > 2 else 0.0

    # Sine periods more than 5 % off the median: where the sound system ran short of data.
    typical = median(crossings) if len(crossings) > 2 else 0.0
    breaks = sum(1 for x, y in zip(crossings, crossings[1:]) if abs((y - x) - typical) > 0.05 * typical)

    left_peak = max((abs(v) for v in left), default=0)
    print(f"frames={len(left)} left_hz={sine:.2f} left_peak={left_peak} "
          f"right_pulses_hz={pulses:.2f} right_peak={peak} pulses={len(edges)} breaks={breaks}")
    return 0 if left_peak > 0 and peak > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
