#include "tests/exe/exe_checks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const char* const kSystemDlls[] = {
    "kernel32.dll", "user32.dll",   "gdi32.dll",    "comctl32.dll", "comdlg32.dll",
    "gdiplus.dll",  "msimg32.dll",  "ole32.dll",    "oleaut32.dll", "shell32.dll",
    "advapi32.dll", "msvcrt.dll",   "ws2_32.dll",   "uxtheme.dll",  "version.dll",
    "shlwapi.dll",  "riched20.dll",
};
// The compiler's own runtime: present on the build machine, absent on a user's.
const char* const kRuntimeDllStarts[] = {"libstdc++", "libgcc_s_", "libwinpthread"};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

uint16_t Le16(const Bytes& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
uint32_t Le32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}
uint32_t Be32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 |
           uint32_t(b[at + 3]);
}

std::string Name(uint32_t type, uint32_t id) {
    const char* kind = type == kResourceIconGroup ? "icon group"
                       : type == kResourceIcon     ? "icon"
                       : type == kResourceBitmap   ? "bitmap"
                       : type == kResourceManifest ? "manifest"
                                                   : "raw data";
    return std::string(kind) + " " + std::to_string(id);
}

std::string Size(long width, long height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

struct Png {
    uint32_t width, height;
    int bitDepth, colourType;
};

// Reads the header of a PNG and walks its chunks to IEND, so a cut-off copy is caught too.
std::string ReadPng(const Bytes& data, Png& png) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (data.size() < 33 || !std::equal(kSignature, kSignature + 8, data.begin()) ||
        Be32(data, 8) != 13 || std::string(data.begin() + 12, data.begin() + 16) != "IHDR") {
        return "is not a PNG";
    }
    png = {Be32(data, 16), Be32(data, 20), data[24], data[25]};
    for (size_t at = 8; at + 12 <= data.size();) {
        const uint32_t length = Be32(data, at);
        const std::string type(data.begin() + at + 4, data.begin() + at + 8);
        if (length > data.size() - at - 12) break;
        if (type == "IEND") return "";
        at += 12 + size_t(length);
    }
    return "is a PNG cut short (no IEND)";
}

// |value| without the overflow of std::abs on the most negative value a file can hold.
uint32_t Magnitude(int32_t value) { return value < 0 ? 0u - uint32_t(value) : uint32_t(value); }

struct Dib {
    int32_t width, height;
    uint16_t bitCount;
    uint32_t compression;
    uint64_t headerBytes;   // the header and its colour table; the rows follow
};

// Bytes in one stored row: rows are padded to whole 32-bit words.
uint64_t RowBytes(uint32_t width, uint32_t bitCount) {
    return (uint64_t(width) * bitCount + 31) / 32 * 4;
}

std::string ReadDib(const Bytes& data, Dib& dib) {
    if (data.size() < 40 || Le32(data, 0) < 40) return "has no bitmap header";
    dib.width = int32_t(Le32(data, 4));
    dib.height = int32_t(Le32(data, 8));
    dib.bitCount = Le16(data, 14);
    dib.compression = Le32(data, 16);
    dib.headerBytes = uint64_t(Le32(data, 0)) + uint64_t(Le32(data, 32)) * 4;
    return "";
}

// The value of attribute `name` in the element text `element`, or "" when it is absent.
std::string Attribute(const std::string& element, const std::string& name) {
    for (size_t at = element.find(name); at != std::string::npos;
         at = element.find(name, at + 1)) {
        const size_t equals = at + name.size();
        if (at == 0 || !std::isspace(static_cast<unsigned char>(element[at - 1])) ||
            equals + 1 >= element.size() || element[equals] != '=') {
            continue;
        }
        const char quote = element[equals + 1];
        const size_t end = element.find(quote, equals + 2);
        if ((quote != '"' && quote != '\'') || end == std::string::npos) return "";
        return element.substr(equals + 2, end - equals - 2);
    }
    return "";
}

}  // namespace

std::string CheckMachine(const PeImage& image, uint16_t machine) {
    if (image.machine == machine) return "";
    return "machine is " + Hex(image.machine) + ", expected " + Hex(machine);
}

std::string CheckSubsystem(const PeImage& image, uint16_t subsystem) {
    if (image.subsystem == subsystem) return "";
    return "subsystem is " + std::to_string(image.subsystem) + ", expected " +
           std::to_string(subsystem);
}

std::string CheckImports(const PeImage& image) {
    std::string faults;
    for (const std::string& dll : image.imports) {
        const std::string lower = Lower(dll);
        if (std::any_of(std::begin(kSystemDlls), std::end(kSystemDlls),
                        [&](const char* system) { return lower == system; })) {
            continue;
        }
        const bool runtime =
            std::any_of(std::begin(kRuntimeDllStarts), std::end(kRuntimeDllStarts),
                        [&](const char* start) { return lower.rfind(start, 0) == 0; });
        faults += (faults.empty() ? "" : "; ") +
                  (runtime ? "imports the compiler runtime " + dll + " (not linked statically)"
                           : "imports " + dll + ", which is not a system DLL");
    }
    return faults;
}

std::string CheckIcon(const PeImage& image, uint32_t id, int size, int bitCount) {
    const PeResource* group = FindPeResource(image, kResourceIconGroup, id);
    if (!group) return Name(kResourceIconGroup, id) + " is missing";
    const Bytes& g = group->data;
    if (g.size() < 6 || Le16(g, 0) != 0 || Le16(g, 2) != 1) {
        return Name(kResourceIconGroup, id) + " has no icon group header";
    }
    const size_t count = Le16(g, 4);
    if (count != 1) {
        return Name(kResourceIconGroup, id) + " holds " + std::to_string(count) +
               " pictures, expected 1";
    }
    if (g.size() < 6 + 14) return Name(kResourceIconGroup, id) + " is cut short";
    // A width or height byte of 0 stands for 256.
    const int width = g[6] ? g[6] : 256;
    const int height = g[7] ? g[7] : 256;
    const int bits = Le16(g, 12);
    const uint32_t bytesInResource = Le32(g, 14);
    const uint32_t iconId = Le16(g, 18);
    if (width != size || height != size || bits != bitCount) {
        return Name(kResourceIconGroup, id) + " lists a " + Size(width, height) + " " +
               std::to_string(bits) + "-bit picture, expected " + Size(size, size) + " " +
               std::to_string(bitCount) + "-bit";
    }
    const PeResource* icon = FindPeResource(image, kResourceIcon, iconId);
    if (!icon) return Name(kResourceIcon, iconId) + ", named by the group, is missing";
    if (icon->data.size() != bytesInResource) {
        return Name(kResourceIcon, iconId) + " is " + std::to_string(icon->data.size()) +
               " bytes, the group says " + std::to_string(bytesInResource);
    }
    // An icon picture is a PNG or a bitmap whose height counts the colour and mask rows both.
    Png png;
    if (ReadPng(icon->data, png).empty()) {
        if (png.width != uint32_t(size) || png.height != uint32_t(size) || png.bitDepth != 8 ||
            png.colourType != 6) {
            return Name(kResourceIcon, iconId) + " is not a " + Size(size, size) + " RGBA PNG";
        }
        return "";
    }
    Dib dib;
    const std::string fault = ReadDib(icon->data, dib);
    if (!fault.empty()) return Name(kResourceIcon, iconId) + " " + fault;
    if (dib.width != size || dib.height != 2 * size || dib.bitCount != bitCount) {
        return Name(kResourceIcon, iconId) + " is " + Size(dib.width, dib.height / 2) + " " +
               std::to_string(dib.bitCount) + "-bit, expected " + Size(size, size) + " " +
               std::to_string(bitCount) + "-bit";
    }
    // The colour rows, then a one-bit mask of the same size.
    const uint64_t rows = (RowBytes(size, bitCount) + RowBytes(size, 1)) * uint64_t(size);
    if (icon->data.size() < dib.headerBytes + rows) {
        return Name(kResourceIcon, iconId) + " is cut short";
    }
    return "";
}

std::string CheckBitmap(const PeImage& image, uint32_t id, int width, int height, int bitCount) {
    const PeResource* bitmap = FindPeResource(image, kResourceBitmap, id);
    if (!bitmap) return Name(kResourceBitmap, id) + " is missing";
    Dib dib;
    const std::string fault = ReadDib(bitmap->data, dib);
    if (!fault.empty()) return Name(kResourceBitmap, id) + " " + fault;
    // Rows may be stored top-down (negative height); both read the same.
    if (dib.width != width || Magnitude(dib.height) != uint32_t(height) ||
        dib.bitCount != bitCount || dib.compression != 0) {
        return Name(kResourceBitmap, id) + " is " + Size(dib.width, dib.height) + " " +
               std::to_string(dib.bitCount) + "-bit, compression " +
               std::to_string(dib.compression) + "; expected " + Size(width, height) + " " +
               std::to_string(bitCount) + "-bit, uncompressed (0)";
    }
    if (bitmap->data.size() < dib.headerBytes + RowBytes(width, bitCount) * height) {
        return Name(kResourceBitmap, id) + " is cut short";
    }
    return "";
}

std::string CheckPngPicture(const PeImage& image, uint32_t id, int width, int height) {
    const PeResource* picture = FindPeResource(image, kResourceRawData, id);
    if (!picture) return Name(kResourceRawData, id) + " is missing";
    Png png;
    const std::string fault = ReadPng(picture->data, png);
    if (!fault.empty()) return Name(kResourceRawData, id) + " " + fault;
    if (png.width != uint32_t(width) || png.height != uint32_t(height) || png.bitDepth != 8 ||
        png.colourType != 6) {
        return Name(kResourceRawData, id) + " is " + Size(png.width, png.height) + ", depth " +
               std::to_string(png.bitDepth) + ", colour type " + std::to_string(png.colourType) +
               "; expected " + Size(width, height) + ", depth 8, colour type 6 (RGBA)";
    }
    return "";
}

std::string CheckManifest(const PeImage& image, const std::string& name,
                          const std::string& version, const std::string& architecture) {
    const PeResource* manifest = FindPeResource(image, kResourceManifest, 1);
    if (!manifest) return Name(kResourceManifest, 1) + " is missing";
    const std::string text(manifest->data.begin(), manifest->data.end());
    const std::string lower = Lower(text);
    std::string faults;
    auto fault = [&](const std::string& what) { faults += (faults.empty() ? "" : "; ") + what; };
    // Version 6 would give the standard controls the themed look the skin is not drawn for.
    if (lower.find("microsoft.windows.common-controls") != std::string::npos) {
        fault("manifest asks for the common controls library");
    }
    // A DPI-aware program would be drawn unscaled, its fixed pixel layout tiny on large screens.
    if (lower.find("dpiaware") != std::string::npos) fault("manifest declares DPI awareness");

    const size_t start = text.find("<assemblyIdentity");
    const size_t end = start == std::string::npos ? start : text.find('>', start);
    if (end == std::string::npos) {
        fault("manifest has no assembly identity");
        return faults;
    }
    const std::string identity = text.substr(start, end - start);
    const struct {
        const char* attribute;
        std::string expected;
        bool anyCase;   // the loader compares processor names without regard to case
    } expectations[] = {
        {"name", name, false},
        {"version", version, false},
        {"processorArchitecture", architecture, true},
        {"type", "win32", false},
    };
    for (const auto& e : expectations) {
        const std::string value = Attribute(identity, e.attribute);
        if (e.anyCase ? Lower(value) != Lower(e.expected) : value != e.expected) {
            fault(std::string("manifest ") + e.attribute + " is \"" + value + "\", expected \"" +
                  e.expected + "\"");
        }
    }
    return faults;
}
