#!/usr/bin/env python3
"""Start a program and measure, from outside, how long it takes until a screen pixel shows
the colour of its finished face.

    paint_probe.py --x X --y Y --colour RRGGBB [--tolerance N] [--limit S]
                   [--origin-env NAME] [--output FILE] [--linger S] -- COMMAND ARGS...

Prints the milliseconds from just before the program starts until the pixel (X, Y) of the
X display's root window is within N steps (sum over red, green and blue) of the colour, then
kills the program (--linger S seconds later). --origin-env NAME hands the program the moment
it is started, in microseconds since 1970 by the system clock, in the environment variable
NAME, so that times the program takes itself share the measurement's start; --output FILE
keeps what the program writes to its standard output (dropped otherwise). Exit status 0
measured, 1 the colour never came (or the program ended first), 2 misuse. The pixel is read through libX11 every few milliseconds: an ImageMagick
call per read would take a hundred times longer than the differences being measured.
"""
import argparse
import ctypes
import os
import signal
import subprocess
import sys
import time

POLL_SECONDS = 0.003
ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)
Z_PIXMAP = 2


class XImage(ctypes.Structure):
    # Only the leading fields are read; the structure is never allocated from Python.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


class Screen:
    def __init__(self):
        self.xlib = ctypes.CDLL("libX11.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.xlib.XGetImage.restype = ctypes.POINTER(XImage)
        self.xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                        ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                        ctypes.c_ulong, ctypes.c_int]
        self.xlib.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.display = self.xlib.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("cannot open the X display %r" % os.environ.get("DISPLAY"))
        self.root = self.xlib.XDefaultRootWindow(self.display)

    def pixel(self, x, y):
        image = self.xlib.XGetImage(self.display, self.root, x, y, 1, 1, ALL_PLANES, Z_PIXMAP)
        if not image:
            return None
        try:
            im = image.contents
            if im.bits_per_pixel != 32:
                raise RuntimeError("only 24-bit screens are supported")
            value = int.from_bytes(bytes(im.data[0:4]),
                                   "little" if im.byte_order == 0 else "big")
            return ((value & im.red_mask) >> 16, (value & im.green_mask) >> 8,
                    value & im.blue_mask)
        finally:
            self.xlib.XDestroyImage(image)


def parse_colour(text):
    value = int(text, 16)
    return (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--x", type=int, required=True)
    parser.add_argument("--y", type=int, required=True)
    parser.add_argument("--colour", type=parse_colour, required=True)
    parser.add_argument("--tolerance", type=int, default=12)
    parser.add_argument("--limit", type=float, default=120.0)
    parser.add_argument("--origin-env")
    parser.add_argument("--output")
    parser.add_argument("--linger", type=float, default=0.0)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no program to start")

    screen = Screen()
    output = open(args.output, "wb") if args.output else subprocess.DEVNULL
    environment = dict(os.environ)
    started = time.monotonic()
    if args.origin_env:
        environment[args.origin_env] = "%d" % (time.time_ns() // 1000)
    program = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output,
                               stderr=subprocess.DEVNULL, env=environment)
    try:
        while time.monotonic() - started < args.limit:
            seen = screen.pixel(args.x, args.y)
            if seen and sum(abs(a - b) for a, b in zip(seen, args.colour)) <= args.tolerance:
                print("%d" % round((time.monotonic() - started) * 1000), flush=True)
                time.sleep(args.linger)
                return 0
            if program.poll() is not None:
                print("paint_probe: the program ended first", file=sys.stderr)
                return 1
            time.sleep(POLL_SECONDS)
        print("paint_probe: no such colour within %g s (last seen %r)" % (args.limit, seen),
              file=sys.stderr)
        return 1
    finally:
        if program.poll() is None:
            program.send_signal(signal.SIGKILL)
        program.wait()
        if args.output:
            output.close()


if __name__ == "__main__":
    sys.exit(main())
