#!/usr/bin/env python3
"""Sum up timestamped start-ups of the window program, phase by phase.

    startup_phases.py TRACE...

Each TRACE holds one start-up: lines "MILLISECONDS PHASE", the milliseconds counted from the
moment the program was started, in the order the phases ended (vesmarin-startup-trace.exe
writes them; the benchmark adds the moment the face was seen painted). Prints, per phase in
the order of the first trace, the median of its end and of its own length over the traces
that have it.
"""
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
    return marks


def main():
    if len(sys.argv) < 2:
        print(__doc__.split("\n\n")[1].strip(), file=sys.stderr)
        return 2
    traces = [read_trace(path) for path in sys.argv[1:]]
    order, ends, lengths = [], {}, {}
    for marks in traces:
        previous = 0.0
        for phase, stamp in sorted(marks, key=lambda mark: mark[1]):
            if phase not in ends:
                order.append(phase)
                ends[phase], lengths[phase] = [], []
            ends[phase].append(stamp)
            lengths[phase].append(stamp - previous)
            previous = stamp
    width = max([len("phase")] + [len(phase) for phase in order])
    print("  %-*s  %8s  %9s   (medians over %d starts)" % (width, "phase", "ends, ms",
                                                          "takes, ms", len(traces)))
    for phase in order:
        print("  %-*s  %8.1f  %8.1f" % (width, phase, statistics.median(ends[phase]),
                                         statistics.median(lengths[phase])))
    return 0


if __name__ == "__main__":
    sys.exit(main())
