#!/usr/bin/env python3
"""Reads what the end-to-end scripts captured: raw 16-bit stereo frames recorded from the
sound server's sink or ALSA's file plugin, and vpg's settings file. The one reader of captures
for the Linux and the Wine scripts.

    analyze.py signal RAW --rate R [--start S] [--end S]
        measures the part from S to E seconds of the capture (default: all of it) and prints
        one "name value" line per measure:
          left_hz       sine frequency from its rising zero crossings (interpolated)
          left_dbfs     sine peak against full scale (32767)
          right_hz      pulse rate from the pulses' rising edges
          right_period  the usual spacing of the pulses in samples
          right_odd     how many spacings differ from it, and the first few (time:samples)
          right_width   pulse width in samples: min and max over the segment
          right_dbfs    pulse height against full scale (the median of the pulses' tops)
          right_base    the largest magnitude between pulses (0 for a clean baseline)
          left_zero     1 when the sine channel is silent throughout
    analyze.py flash RAW --rate R [--start S] [--end S]
        the flash timing of the segment:
          flash_hz      the flash rate from a least-squares line through the rising edges of
                        the longest run of flashes without a gap (a moment of silence in the
                        capture breaks the line into runs)
          flash_count   how many flashes that run holds
          flash_spread  the sine's phase at those flashes, max minus min in degrees (from the
                        interpolated rising zero crossings around each flash)
    analyze.py sound RAW --rate R
        "first S" and "last S": the times of the first and last non-zero frame, and "length S"
        between them (nothing printed when the capture is silent)
    analyze.py silent-after RAW --rate R --start S
        exit 0 when every frame from S seconds on is zero
    analyze.py tone RAW --rate R [--start S] [--end S]
        one line of medians, so that a moment of silence where the sound system ran short of
        data does not move the result:
          frames=N left_hz=F left_peak=P right_pulses_hz=F right_peak=P pulses=N breaks=N
        left_hz from the median spacing of the sine's interpolated rising zero crossings,
        right_pulses_hz from that of the pulses' rising edges through half their height, the
        peaks as magnitudes, breaks the sine periods more than 5 % off the median; exit 1 when
        either channel is silent over the segment
    analyze.py setting FILE NAME
        the value NAME of a settings file (.reg text): a text unquoted, a dword in decimal;
        exit 1 when it is missing
"""
import argparse
import array
import math
import re
import statistics
import sys

FULL_SCALE = 32767.0


def frames(path, rate, start=None, end=None):
    data = array.array("h")
    with open(path, "rb") as f:
        raw = f.read()
    raw = raw[: len(raw) // 4 * 4]
    data.frombytes(raw)
    if sys.byteorder != "little":
        data.byteswap()
    left, right = data[0::2], data[1::2]
    a = 0 if start is None else max(0, int(start * rate))
    b = len(left) if end is None else min(len(left), int(end * rate))
    return left[a:b], right[a:b]


def db(value):
    return 20 * math.log10(value / FULL_SCALE) if value > 0 else float("-inf")


def zero_crossings(left):
    """Rising zero crossings, each placed between its two samples by linear interpolation."""
    return [i - 1 + -left[i - 1] / (left[i] - left[i - 1])
            for i in range(1, len(left)) if left[i - 1] < 0 <= left[i]]


def sine_frequency(left, rate):
    crossings = zero_crossings(left)
    if len(crossings) < 3:
        return None
    return (len(crossings) - 1) * rate / (crossings[-1] - crossings[0])


def median_spacing(times):
    """The median of the spacings between consecutive times (the upper one of an even count)."""
    spacings = sorted(b - a for a, b in zip(times, times[1:]))
    return spacings[len(spacings) // 2]


def pulses(right):
    """(rising edge positions, run lengths, top values) of the pulses above half the peak."""
    peak = max(right, default=0)
    if peak <= 0:
        return [], [], []
    threshold = peak / 2
    edges, widths, tops = [], [], []
    run = 0
    for i, v in enumerate(right):
        if v > threshold:
            if run == 0:
                edges.append(i)
                tops.append(v)
            run += 1
        elif run:
            widths.append(run)
            run = 0
    return edges, widths, tops


def cmd_signal(args):
    left, right = frames(args.raw, args.rate, args.start, args.end)
    if not left:
        print("empty segment", file=sys.stderr)
        return 1
    hz = sine_frequency(left, args.rate)
    print("left_hz", "none" if hz is None else f"{hz:.3f}")
    print("left_dbfs", f"{db(max(abs(v) for v in left)):.2f}")
    print("left_zero", int(all(v == 0 for v in left)))
    edges, widths, tops = pulses(right)
    # The first and the last pulse may be cut by the segment's ends.
    inner = widths[1:-1] if len(widths) > 2 else widths
    if len(edges) >= 3:
        print("right_hz", f"{(len(edges) - 1) * args.rate / (edges[-1] - edges[0]):.3f}")
        intervals = [b - a for a, b in zip(edges, edges[1:])]
        period = statistics.mode(intervals)
        odd = [(round((args.start or 0) + edges[i] / args.rate, 4), v)
               for i, v in enumerate(intervals) if v != period]
        print("right_period", period)
        # Where the pulse spacing differs from the usual one: (seconds into the capture, samples).
        print("right_odd", len(odd), " ".join(f"{t}:{v}" for t, v in odd[:8]))
        print("right_width", min(inner), max(inner))
        print("right_dbfs", f"{db(statistics.median(tops)):.2f}")
        threshold = max(right) / 2
        print("right_base", max((abs(v) for v in right if v <= threshold), default=0))
    else:
        print("right_hz none")
    return 0


def cmd_flash(args):
    left, right = frames(args.raw, args.rate, args.start, args.end)
    edges, _, _ = pulses(right)
    if len(edges) < 3:
        print("flash_hz none")
        return 0
    typical = statistics.median(b - a for a, b in zip(edges, edges[1:]))
    runs, run = [], [edges[0]]
    for a, b in zip(edges, edges[1:]):
        if b - a > 1.5 * typical:
            runs.append(run)
            run = []
        run.append(b)
    runs.append(run)
    run = max(runs, key=len)
    n = len(run)
    mk, ms = (n - 1) / 2, sum(run) / n
    slope = sum((k - mk) * (t - ms) for k, t in enumerate(run)) / sum((k - mk) ** 2 for k in range(n))
    print("flash_hz", f"{args.rate / slope:.4f}")
    print("flash_count", n)
    crossings = zero_crossings(left)
    phases, j = [], 0
    for t in run:
        while j + 1 < len(crossings) and crossings[j + 1] <= t:
            j += 1
        if j + 1 < len(crossings) and crossings[j] <= t:
            phases.append((t - crossings[j]) / (crossings[j + 1] - crossings[j]) * 360.0)
    if phases:
        # Around the circle: the phases measured from their circular mean.
        mean = math.degrees(math.atan2(sum(math.sin(math.radians(p)) for p in phases),
                                       sum(math.cos(math.radians(p)) for p in phases)))
        off = [(p - mean + 180.0) % 360.0 - 180.0 for p in phases]
        print("flash_spread", f"{max(off) - min(off):.2f}")
    return 0


def cmd_sound(args):
    left, right = frames(args.raw, args.rate)
    loud = [i for i in range(len(left)) if left[i] or right[i]]
    if loud:
        print("first", f"{loud[0] / args.rate:.4f}")
        print("last", f"{loud[-1] / args.rate:.4f}")
        print("length", f"{(loud[-1] - loud[0] + 1) / args.rate:.4f}")
    return 0


def cmd_silent_after(args):
    left, right = frames(args.raw, args.rate, args.start)
    return 0 if not any(left) and not any(right) else 1


def cmd_tone(args):
    left, right = frames(args.raw, args.rate, args.start, args.end)
    crossings = zero_crossings(left)
    typical = median_spacing(crossings) if len(crossings) > 2 else 0.0
    sine = args.rate / typical if typical else 0.0
    # The pulses by magnitude: rising edges through half the largest one.
    peak = max((abs(v) for v in right), default=0)
    edges = [i for i in range(1, len(right))
             if peak > 0 and abs(right[i - 1]) < peak / 2 <= abs(right[i])]
    pulses_hz = args.rate / median_spacing(edges) if len(edges) > 2 else 0.0
    breaks = sum(1 for x, y in zip(crossings, crossings[1:])
                 if abs((y - x) - typical) > 0.05 * typical)
    left_peak = max((abs(v) for v in left), default=0)
    print(f"frames={len(left)} left_hz={sine:.2f} left_peak={left_peak} "
          f"right_pulses_hz={pulses_hz:.2f} right_peak={peak} pulses={len(edges)} breaks={breaks}")
    return 0 if left_peak > 0 and peak > 0 else 1


def cmd_setting(args):
    with open(args.file, encoding="utf-8") as f:
        for line in f:
            m = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line.rstrip("\r\n"))
            if not m or m.group(1) != args.name:
                continue
            value = m.group(2)
            if value.startswith("dword:"):
                n = int(value[6:], 16)
                print(n - (1 << 32) if n >= 1 << 31 else n)
            else:
                print(re.sub(r"\\(.)", r"\1", value[1:-1]))
            return 0
    return 1


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    sub = p.add_subparsers(dest="command", required=True)

    def capture(name, run, segment=True):
        s = sub.add_parser(name)
        s.add_argument("raw")
        s.add_argument("--rate", type=int, required=True)
        if segment:
            s.add_argument("--start", type=float)
            s.add_argument("--end", type=float)
        s.set_defaults(run=run)
        return s

    for name, run in (("signal", cmd_signal), ("flash", cmd_flash), ("tone", cmd_tone)):
        capture(name, run)
    capture("sound", cmd_sound, segment=False)
    capture("silent-after", cmd_silent_after, segment=False).add_argument(
        "--start", type=float, required=True)
    s = sub.add_parser("setting")
    s.add_argument("file")
    s.add_argument("name")
    s.set_defaults(run=cmd_setting)
    args = p.parse_args()
    return args.run(args)


if __name__ == "__main__":
    sys.exit(main())
