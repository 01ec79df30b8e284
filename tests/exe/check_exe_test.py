#!/usr/bin/python3
"""The checks of a built program, against a program made here: one right in every part, then
copies with one part wrong, each of which must be named."""
import struct
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import check_exe as ce  # noqa: E402


def png(width, height, depth=8, colour=6, whole=True):
    """Signature, header, one empty data chunk and, unless cut short, the end chunk."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + b"\0\0\0\0"
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth,
                                                             colour, 0, 0, 0))
    data += chunk(b"IDAT", b"")
    return data + (chunk(b"IEND", b"") if whole else b"")


def dib(width, height, bits, compression, pixel_bytes):
    return struct.pack("<IiiHHI", 40, width, height, 1, bits, compression) + bytes(
        24 + pixel_bytes)


def icon_picture(size=64, bits=32):
    return dib(size, 2 * size, bits, 0, size * size * bits // 8 + size * 8)


def icon_group(*entries):
    data = struct.pack("<HHH", 0, 1, len(entries))
    for width, height, bits, size, number in entries:
        data += struct.pack("<BBBBHHIH", width, height, 0, 0, 1, bits, size, number)
    return data


def manifest(identity, rest=""):
    return (f'<?xml version="1.0"?>\n<assembly manifestVersion="1.0">\n  <assemblyIdentity '
            f'{identity}/>\n{rest}</assembly>\n').encode()


IDENTITY = 'name="Vesmarin" version="1.0.0.0" processorArchitecture="X86" type="win32"'
ICON_BYTES = len(icon_picture())


def good_program():
    return {
        "machine": 0x14C, "subsystem": 2,
        "dlls": ["KERNEL32.dll", "USER32.dll", "GDI32.dll", "gdiplus.dll", "msvcrt.dll",
                 "MSIMG32.dll", "COMCTL32.dll", "ole32.dll", "SHELL32.dll"],
        "found": {
            (ce.RT_GROUP_ICON, 100): icon_group((64, 64, 32, ICON_BYTES, 1)),
            (ce.RT_ICON, 1): icon_picture(),
            (ce.RT_BITMAP, 250): dib(300, 76, 24, 0, 300 * 3 * 76),
            (ce.RT_RCDATA, 200): png(200, 24), (ce.RT_RCDATA, 201): png(120, 24),
            (ce.RT_RCDATA, 202): png(40, 43), (ce.RT_RCDATA, 203): png(128, 128),
            (ce.RT_RCDATA, 300): png(256, 256),
            (ce.RT_MANIFEST, 1): manifest(IDENTITY),
        },
    }


def faults(program):
    return "\n".join(f for _, f in ce.facts(program["machine"], program["subsystem"],
                                            program["dlls"], program["found"], "i386", "gui") if f)


def put(key, data):
    def change(p):
        p["found"][key] = data
    return change


def remove(key):
    return lambda p: p["found"].pop(key)


def add_dll(dll):
    return lambda p: p["dlls"].append(dll)


def two_pictures(p):
    p["found"][(ce.RT_GROUP_ICON, 100)] = icon_group((64, 64, 32, ICON_BYTES, 1),
                                                     (32, 32, 32, ICON_BYTES, 1))


def icon(picture, group_size, group_bits):
    def change(p):
        p["found"][(ce.RT_GROUP_ICON, 100)] = icon_group(
            (group_size, group_size, group_bits, len(picture), 1))
        p["found"][(ce.RT_ICON, 1)] = picture
    return change


CONTROLS = ('<dependency><dependentAssembly><assemblyIdentity type="win32" '
            'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"/></dependentAssembly>'
            '</dependency>')
# (name, change, fault named; empty: a change the program accepts)
CASES = [
    ("SixtyFourBit", lambda p: p.update(machine=0x8664), "machine is 0x8664, expected 0x14c"),
    ("Console", lambda p: p.update(subsystem=3), "subsystem is 3, expected 2"),
    ("NoImports", lambda p: p.update(dlls=[]), "imports nothing"),
    ("ImportCaseIgnored", add_dll("Kernel32.DLL"), ""),
    ("LibStdCpp", add_dll("libstdc++-6.dll"), "compiler runtime libstdc++-6.dll"),
    ("LibGcc", add_dll("libgcc_s_dw2-1.dll"), "compiler runtime libgcc_s_dw2-1.dll"),
    ("WinPthread", add_dll("libwinpthread-1.dll"), "compiler runtime libwinpthread-1.dll"),
    ("ForeignDll", add_dll("zlib1.dll"), "imports zlib1.dll, which is not a system DLL"),
    ("ReadPictureTooSmall", put((ce.RT_RCDATA, 200), png(24, 24)), "raw data 200 is 24x24"),
    ("PictureWithoutAlpha", put((ce.RT_RCDATA, 201), png(120, 24, colour=2)), "colour type 2"),
    ("PictureSixteenBit", put((ce.RT_RCDATA, 202), png(40, 43, depth=16)), "depth 16"),
    ("PictureCutShort", put((ce.RT_RCDATA, 203), png(128, 128, whole=False)),
     "raw data 203 is a PNG cut short"),
    ("PictureNotPng", put((ce.RT_RCDATA, 300), b"GIF89a, 256x256"), "raw data 300 is not a PNG"),
    ("WaitPictureMissing", remove((ce.RT_RCDATA, 300)), "raw data 300 is missing"),
    ("HighlightThirtyTwoBit", put((ce.RT_BITMAP, 250), dib(300, 76, 32, 0, 300 * 4 * 76)),
     "bitmap 250 is 300x76 32-bit"),
    ("HighlightBitFields", put((ce.RT_BITMAP, 250), dib(300, 76, 24, 3, 300 * 3 * 76)),
     "compression 3"),
    ("HighlightOneRowShort", put((ce.RT_BITMAP, 250), dib(300, 75, 24, 0, 300 * 3 * 75)),
     "bitmap 250 is 300x75"),
    ("HighlightRowsMissing", put((ce.RT_BITMAP, 250), dib(300, 76, 24, 0, 300 * 3 * 75)),
     "bitmap 250 is cut short"),
    ("HighlightTopDown", put((ce.RT_BITMAP, 250), dib(300, -76, 24, 0, 300 * 3 * 76)), ""),
    ("IconTwoPictures", two_pictures, "icon group 100 holds 2 pictures"),
    ("IconSmaller", icon(icon_picture(48), 48, 32), "lists a 48x48 32-bit picture"),
    ("IconWithoutAlpha", icon(icon_picture(64, 24), 64, 24), "lists a 64x64 24-bit picture"),
    ("IconPictureDisagreesWithGroup", icon(icon_picture(32), 64, 32), "icon 1 is 32x32 32-bit"),
    ("IconPictureMissing", remove((ce.RT_ICON, 1)), "icon 1, named by the group, is missing"),
    ("IconSizeDisagreesWithGroup", put((ce.RT_ICON, 1), icon_picture() + b"\0"),
     "the group says"),
    ("IconAsPng", icon(png(64, 64), 64, 32), ""),
    ("IconGroupMissing", remove((ce.RT_GROUP_ICON, 100)), "icon group 100 is missing"),
    ("ManifestWithCommonControlsSix", put((ce.RT_MANIFEST, 1), manifest(IDENTITY, CONTROLS)),
     "manifest asks for the common controls library"),
    ("ManifestDpiAware", put((ce.RT_MANIFEST, 1), manifest(
        IDENTITY, "<application><windowsSettings><dpiAware>true</dpiAware></windowsSettings>"
                  "</application>")), "manifest declares DPI awareness"),
    ("ManifestForAmd64", put((ce.RT_MANIFEST, 1), manifest(
        'name="Vesmarin" version="1.0.0.0" processorArchitecture="amd64" type="win32"')),
     'manifest processorArchitecture is "amd64", expected "X86"'),
    ("ManifestArchitectureCaseIgnored", put((ce.RT_MANIFEST, 1), manifest(
        "type='win32' processorArchitecture='x86' version='1.0.0.0' name='Vesmarin'")), ""),
    ("ManifestOtherVersion", put((ce.RT_MANIFEST, 1), manifest(
        'name="Vesmarin" version="1.2.0.0" processorArchitecture="X86" type="win32"')),
     'manifest version is "1.2.0.0"'),
    # "name" must be the attribute itself, not the tail of another one.
    ("ManifestNameOnlyInsideAnotherAttribute", put((ce.RT_MANIFEST, 1), manifest(
        'xname="Vesmarin" version="1.0.0.0" processorArchitecture="X86" type="win32"')),
     'manifest name is ""'),
    ("ManifestWithoutIdentity", put((ce.RT_MANIFEST, 1), b"<assembly></assembly>"),
     "manifest has no assembly identity"),
    ("ManifestMissing", remove((ce.RT_MANIFEST, 1)), "manifest 1 is missing"),
]


class ExeChecks(unittest.TestCase):
    def test_a_right_program_passes_every_check(self):
        self.assertEqual(faults(good_program()), "")

    def test_each_wrong_part_is_named(self):
        for name, change, fault in CASES:
            with self.subTest(name):
                program = good_program()
                change(program)
                seen = faults(program)
                if fault:
                    self.assertIn(fault, seen)
                else:
                    self.assertEqual(seen, "")


if __name__ == "__main__":
    unittest.main()
