#!/usr/bin/python3
# The system interpreter: python3-pefile is installed for it, not for any other Python on PATH.
"""Proves one built Windows program from its file, for machines that cannot run it.

    check_exe.py --exe PATH --machine i386|amd64 [--kind gui|console]

Prints one line per fact, "ok: ..." or "FAIL: ...", and exits 1 when any fact is wrong, 2 when
the file cannot be read as a Windows program at all. The window program (kind gui) must carry
every embedded picture, in the exact formats the drawing code relies on, and its manifest; the
command-line tool only its machine, subsystem and imports.
"""
import argparse
import struct
import sys

import pefile

MACHINES = {"i386": (0x14C, "X86"), "amd64": (0x8664, "amd64")}
SUBSYSTEMS = {"gui": 2, "console": 3}

RT_BITMAP, RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_MANIFEST = 2, 3, 10, 14, 24
KIND_NAMES = {RT_BITMAP: "bitmap", RT_ICON: "icon", RT_RCDATA: "raw data",
              RT_GROUP_ICON: "icon group", RT_MANIFEST: "manifest"}

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "gdiplus.dll",
    "msimg32.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "advapi32.dll", "msvcrt.dll",
    "ws2_32.dll", "uxtheme.dll", "version.dll", "shlwapi.dll", "riched20.dll", "setupapi.dll",
    "cfgmgr32.dll",
}
# The compiler's own runtime: present on the build machine, absent on a user's.
RUNTIME_DLL_STARTS = ("libstdc++", "libgcc_s_", "libwinpthread")

ICON = (100, 64, 32)                 # id, size, bits per pixel
HIGHLIGHT = (250, 300, 76, 24)       # id, width, height, bits per pixel
PNG_PICTURES = [(200, 200, 24), (201, 120, 24), (202, 40, 43), (203, 128, 128), (300, 256, 256)]
MANIFEST_NAME, MANIFEST_VERSION = "Vesmarin", "1.0.0.0"


def name(kind, number):
    return f"{KIND_NAMES[kind]} {number}"


def resources(pe):
    """{(type, id): bytes} of the numbered resources, the first language of each."""
    found = {}
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in root.entries if root else []:
        if kind.id is None or not hasattr(kind, "directory"):
            continue
        for number in kind.directory.entries:
            if number.id is None or not hasattr(number, "directory"):
                continue
            for language in number.directory.entries[:1]:
                entry = language.data.struct
                found[(kind.id, number.id)] = pe.get_data(entry.OffsetToData, entry.Size)
    return found


def read_png(data):
    """(width, height, depth, colour type), walking the chunks to IEND so a cut-off copy is
    caught too; a text saying what is wrong otherwise."""
    if (len(data) < 33 or data[:8] != b"\x89PNG\r\n\x1a\n" or data[8:16] != b"\0\0\0\x0dIHDR"):
        return "is not a PNG"
    header = struct.unpack(">IIBB", data[16:26])
    at = 8
    while at + 12 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        if length > len(data) - at - 12:
            break
        if kind == b"IEND":
            return header
        at += 12 + length
    return "is a PNG cut short (no IEND)"


def read_dib(data):
    """(width, height, bits, compression, bytes before the rows) or None."""
    if len(data) < 40 or struct.unpack_from("<I", data, 0)[0] < 40:
        return None
    size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 0)
    colours = struct.unpack_from("<I", data, 32)[0]
    return width, height, bits, compression, size + 4 * colours


def row_bytes(width, bits):
    """Stored rows are padded to whole 32-bit words."""
    return (width * bits + 31) // 32 * 4


def imported_dlls(pe):
    return [entry.dll.decode("ascii", "replace")
            for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]


def check_imports(dlls):
    if not dlls:
        return "imports nothing (an import table that cannot be read?)"
    faults = []
    for dll in dlls:
        lower = dll.lower()
        if lower in SYSTEM_DLLS:
            continue
        if lower.startswith(RUNTIME_DLL_STARTS):
            faults.append(f"imports the compiler runtime {dll} (not linked statically)")
        else:
            faults.append(f"imports {dll}, which is not a system DLL")
    return "; ".join(faults)


def check_icon(found, number, size, bits):
    group = found.get((RT_GROUP_ICON, number))
    if group is None:
        return f"{name(RT_GROUP_ICON, number)} is missing"
    if len(group) < 6 or struct.unpack_from("<HH", group, 0) != (0, 1):
        return f"{name(RT_GROUP_ICON, number)} has no icon group header"
    count = struct.unpack_from("<H", group, 4)[0]
    if count != 1:
        return f"{name(RT_GROUP_ICON, number)} holds {count} pictures, expected 1"
    if len(group) < 6 + 14:
        return f"{name(RT_GROUP_ICON, number)} is cut short"
    # A width or height byte of 0 stands for 256.
    width, height = group[6] or 256, group[7] or 256
    group_bits, in_resource, icon_id = struct.unpack_from("<HIH", group, 12)
    if (width, height, group_bits) != (size, size, bits):
        return (f"{name(RT_GROUP_ICON, number)} lists a {width}x{height} {group_bits}-bit "
                f"picture, expected {size}x{size} {bits}-bit")
    icon = found.get((RT_ICON, icon_id))
    if icon is None:
        return f"{name(RT_ICON, icon_id)}, named by the group, is missing"
    if len(icon) != in_resource:
        return f"{name(RT_ICON, icon_id)} is {len(icon)} bytes, the group says {in_resource}"
    # An icon picture is a PNG or a bitmap whose height counts the colour and mask rows both.
    png = read_png(icon)
    if not isinstance(png, str):
        if png != (size, size, 8, 6):
            return f"{name(RT_ICON, icon_id)} is not a {size}x{size} RGBA PNG"
        return ""
    dib = read_dib(icon)
    if dib is None:
        return f"{name(RT_ICON, icon_id)} has no bitmap header"
    if dib[:3] != (size, 2 * size, bits):
        return (f"{name(RT_ICON, icon_id)} is {dib[0]}x{dib[1] // 2} {dib[2]}-bit, "
                f"expected {size}x{size} {bits}-bit")
    # The colour rows, then a one-bit mask of the same size.
    if len(icon) < dib[4] + (row_bytes(size, bits) + row_bytes(size, 1)) * size:
        return f"{name(RT_ICON, icon_id)} is cut short"
    return ""


def check_bitmap(found, number, width, height, bits):
    data = found.get((RT_BITMAP, number))
    if data is None:
        return f"{name(RT_BITMAP, number)} is missing"
    dib = read_dib(data)
    if dib is None:
        return f"{name(RT_BITMAP, number)} has no bitmap header"
    # Rows may be stored top-down (negative height); both read the same.
    if (dib[0], abs(dib[1]), dib[2], dib[3]) != (width, height, bits, 0):
        return (f"{name(RT_BITMAP, number)} is {dib[0]}x{dib[1]} {dib[2]}-bit, compression "
                f"{dib[3]}; expected {width}x{height} {bits}-bit, uncompressed (0)")
    if len(data) < dib[4] + row_bytes(width, bits) * height:
        return f"{name(RT_BITMAP, number)} is cut short"
    return ""


def check_png(found, number, width, height):
    data = found.get((RT_RCDATA, number))
    if data is None:
        return f"{name(RT_RCDATA, number)} is missing"
    png = read_png(data)
    if isinstance(png, str):
        return f"{name(RT_RCDATA, number)} {png}"
    if png != (width, height, 8, 6):
        return (f"{name(RT_RCDATA, number)} is {png[0]}x{png[1]}, depth {png[2]}, colour type "
                f"{png[3]}; expected {width}x{height}, depth 8, colour type 6 (RGBA)")
    return ""


def attribute(element, wanted):
    """The value of attribute `wanted` in the element text, or "" when it is absent."""
    at = element.find(wanted)
    while at != -1:
        equals = at + len(wanted)
        if (at > 0 and element[at - 1].isspace() and equals + 1 < len(element)
                and element[equals] == "="):
            quote = element[equals + 1]
            end = element.find(quote, equals + 2)
            if quote not in "\"'" or end == -1:
                return ""
            return element[equals + 2:end]
        at = element.find(wanted, at + 1)
    return ""


def check_manifest(found, architecture):
    data = found.get((RT_MANIFEST, 1))
    if data is None:
        return f"{name(RT_MANIFEST, 1)} is missing"
    text = data.decode("utf-8", "replace")
    faults = []
    # Version 6 would give the standard controls the themed look the skin is not drawn for.
    if "microsoft.windows.common-controls" in text.lower():
        faults.append("manifest asks for the common controls library")
    # A DPI-aware program would be drawn unscaled, its fixed pixel layout tiny on large screens.
    if "dpiaware" in text.lower():
        faults.append("manifest declares DPI awareness")
    start = text.find("<assemblyIdentity")
    end = -1 if start == -1 else text.find(">", start)
    if end == -1:
        faults.append("manifest has no assembly identity")
        return "; ".join(faults)
    identity = text[start:end]
    # The loader compares processor names without regard to case.
    for wanted, expected, any_case in (("name", MANIFEST_NAME, False),
                                       ("version", MANIFEST_VERSION, False),
                                       ("processorArchitecture", architecture, True),
                                       ("type", "win32", False)):
        value = attribute(identity, wanted)
        if (value.lower() != expected.lower()) if any_case else (value != expected):
            faults.append(f'manifest {wanted} is "{value}", expected "{expected}"')
    return "; ".join(faults)


def facts(seen_machine, seen_subsystem, dlls, found, machine, kind):
    """[(what, fault)] for every fact checked of a program of that machine and kind; an empty
    fault means the fact holds."""
    expected_machine, architecture = MACHINES[machine]
    checks = [
        ("machine", "" if seen_machine == expected_machine
         else f"machine is {seen_machine:#x}, expected {expected_machine:#x}"),
        ("subsystem", "" if seen_subsystem == SUBSYSTEMS[kind]
         else f"subsystem is {seen_subsystem}, expected {SUBSYSTEMS[kind]}"),
        ("imports only system DLLs", check_imports(dlls)),
    ]
    if kind == "gui":
        checks.append((f"icon {ICON[0]}", check_icon(found, *ICON)))
        checks.append((f"bitmap {HIGHLIGHT[0]}", check_bitmap(found, *HIGHLIGHT)))
        for picture in PNG_PICTURES:
            checks.append((f"PNG {picture[0]}", check_png(found, *picture)))
        checks.append(("manifest", check_manifest(found, architecture)))
    return checks


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--machine", required=True, choices=sorted(MACHINES))
    parser.add_argument("--kind", default="gui", choices=sorted(SUBSYSTEMS))
    options = parser.parse_args()
    try:
        pe = pefile.PE(options.exe, fast_load=True)
        pe.parse_data_directories(directories=[
            pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"],
            pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    except (OSError, pefile.PEFormatError) as error:
        print(f"FAIL: {options.exe} cannot be read as a Windows program: {error}\n"
              "The program must be built before it is checked (make win32 builds the 32-bit one).")
        return 2

    checks = facts(pe.FILE_HEADER.Machine, pe.OPTIONAL_HEADER.Subsystem, imported_dlls(pe),
                   resources(pe), options.machine, options.kind)
    failed = 0
    for what, fault in checks:
        if fault:
            failed += 1
            print(f"FAIL: {what}: {fault}")
        else:
            print(f"ok: {what}")
    print(f"{options.exe}: {len(checks) - failed} of {len(checks)} facts as expected")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
