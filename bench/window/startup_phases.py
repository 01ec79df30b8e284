#!/usr/bin/env python3
"""Sum up timestamped start-ups of the window program, phase by phase.

    startup_phases.py TRACE...

Each TRACE holds one start-up: lines "MILLISECONDS PHASE", the milliseconds counted from the
moment the program was started (vesmarin-startup-trace.exe writes them; the benchmark adds
the moment the face was seen painted). Prints, per phase in the order they ended, when it
ended and how long it took since the mark before it: the medians over all starts, and the
means over the fastest third of them (by their last mark). On a machine busy with other
work the medians carry its interruptions; the fastest starts show the program's own costs.
"""
import math
import statistics
import sys


def read_trace(path):
    marks = []
    with open(path, encoding="utf-8", errors="replace") as trace:
        for line in trace:
            stamp, _, phase = line.strip().partition(" ")
            try:
                marks.append((phase, float(stamp)))
            except ValueError:
                continue
    return sorted(marks, key=lambda mark: mark[1])


def phase_times(starts):
    """Per phase, in order of first appearance: its end and its own length in each start."""
    order, ends, lengths = [], {}, {}
    for marks in starts:
        previous = 0.0
        for phase, stamp in marks:
            if phase not in ends:
                order.append(phase)
                ends[phase], lengths[phase] = [], []
            ends[phase].append(stamp)
            lengths[phase].append(stamp - previous)
            previous = stamp
    return order, ends, lengths


def main():
    if len(sys.argv) < 2:
        print("usage: startup_phases.py TRACE...", file=sys.stderr)
        return 2
    starts = [marks for marks in map(read_trace, sys.argv[1:]) if marks]
    if not starts:
        print("startup_phases: no marks in the traces", file=sys.stderr)
        return 1
    fastest = sorted(starts, key=lambda marks: marks[-1][1])[:math.ceil(len(starts) / 3)]
    order, ends, lengths = phase_times(starts)
    _, fast_ends, fast_lengths = phase_times(fastest)
    width = max([len("phase")] + [len(phase) for phase in order])
    print("  %-*s  %17s  %21s" % (width, "", "median of %d" % len(starts),
                                   "mean of fastest %d" % len(fastest)))
    print("  %-*s  %8s %8s  %10s %10s" % (width, "phase", "ends", "takes", "ends", "takes"))
    for phase in order:
        fast = ("%10.1f %10.1f" % (statistics.mean(fast_ends[phase]),
                                   statistics.mean(fast_lengths[phase]))
                if phase in fast_ends else "%10s %10s" % ("-", "-"))
        print("  %-*s  %8.1f %8.1f  %s" % (width, phase, statistics.median(ends[phase]),
                                          statistics.median(lengths[phase]), fast))
    return 0


if __name__ == "__main__":
    sys.exit(main())
