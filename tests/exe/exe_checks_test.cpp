// The checks of the built program against a program image made here: one that is right in
// every part, then copies with one part wrong, each of which must be named.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/exe/exe_checks.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Add32(Bytes& b, uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (bigEndian ? 24 - 8 * i : 8 * i)));
}
void Add16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

// Signature, header, one empty data chunk and, unless cut short, the end chunk. Checksums are
// left zero: the checks do not read them.
Bytes Png(uint32_t width, uint32_t height, int bitDepth, int colourType, bool whole = true) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto chunk = [&](const char* type, const Bytes& data) {
        Add32(b, uint32_t(data.size()), true);
        b.insert(b.end(), type, type + 4);
        b.insert(b.end(), data.begin(), data.end());
        Add32(b, 0, true);
    };
    Bytes header;
    Add32(header, width, true);
    Add32(header, height, true);
    header.insert(header.end(), {uint8_t(bitDepth), uint8_t(colourType), 0, 0, 0});
    chunk("IHDR", header);
    chunk("IDAT", {});
    if (whole) chunk("IEND", {});
    return b;
}

// A bitmap header and `pixelBytes` bytes of rows.
Bytes Dib(int32_t width, int32_t height, int bitCount, uint32_t compression, size_t pixelBytes) {
    Bytes b;
    Add32(b, 40, false);
    Add32(b, uint32_t(width), false);
    Add32(b, uint32_t(height), false);
    Add16(b, 1);
    Add16(b, uint32_t(bitCount));
    Add32(b, compression, false);
    b.resize(40 + pixelBytes, 0);
    return b;
}

// A 64x64 32-bit icon picture: colour rows and the one-bit mask.
Bytes IconPicture(int size = 64, int bitCount = 32) {
    return Dib(size, 2 * size, bitCount, 0, size_t(size * size * bitCount / 8 + size * 8));
}

struct GroupEntry {
    int width, height, bitCount;
    size_t bytes;
    uint16_t id;
};
Bytes IconGroup(const std::vector<GroupEntry>& entries) {
    Bytes b;
    Add16(b, 0);
    Add16(b, 1);
    Add16(b, uint32_t(entries.size()));
    for (const GroupEntry& e : entries) {
        b.insert(b.end(), {uint8_t(e.width), uint8_t(e.height), 0, 0});
        Add16(b, 1);
        Add16(b, uint32_t(e.bitCount));
        Add32(b, uint32_t(e.bytes), false);
        Add16(b, e.id);
    }
    return b;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string Manifest(const std::string& identity, const std::string& rest = "") {
    return "<?xml version=\"1.0\"?>\n<assembly manifestVersion=\"1.0\">\n  <assemblyIdentity " +
           identity + "/>\n" + rest + "</assembly>\n";
}
const std::string kIdentity =
    "name=\"Vesmarin\" version=\"1.0.0.0\" processorArchitecture=\"X86\" type=\"win32\"";

void Replace(PeImage& image, uint32_t type, uint32_t id, Bytes data) {
    for (PeResource& r : image.resources) {
        if (r.type == type && r.id == id) r.data = std::move(data);
    }
}
void Remove(PeImage& image, uint32_t type, uint32_t id) {
    image.resources.erase(std::remove_if(image.resources.begin(), image.resources.end(),
                                         [&](const PeResource& r) {
                                             return r.type == type && r.id == id;
                                         }),
                          image.resources.end());
}

PeImage GoodProgram() {
    PeImage image;
    image.machine = kMachineI386;
    image.subsystem = kSubsystemGui;
    image.imports = {"KERNEL32.dll", "USER32.dll", "GDI32.dll", "gdiplus.dll", "msvcrt.dll",
                     "MSIMG32.dll", "COMCTL32.dll", "ole32.dll", "SHELL32.dll"};
    const Bytes icon = IconPicture();
    image.resources = {
        {kResourceIconGroup, 100, IconGroup({{64, 64, 32, icon.size(), 1}})},
        {kResourceIcon, 1, icon},
        {kResourceBitmap, 250, Dib(300, 76, 24, 0, 300 * 3 * 76)},
        {kResourceRawData, 200, Png(200, 24, 8, 6)},
        {kResourceRawData, 201, Png(120, 24, 8, 6)},
        {kResourceRawData, 202, Png(40, 43, 8, 6)},
        {kResourceRawData, 203, Png(128, 128, 8, 6)},
        {kResourceRawData, 300, Png(256, 256, 8, 6)},
        {kResourceManifest, 1, Text(Manifest(kIdentity))},
    };
    return image;
}

// Everything the program's file is checked for, joined: empty when all is well.
std::string AllFaults(const PeImage& image) {
    std::string all;
    for (const std::string& fault :
         {CheckMachine(image, kMachineI386), CheckSubsystem(image, kSubsystemGui),
          CheckImports(image), CheckIcon(image, 100, 64, 32), CheckBitmap(image, 250, 300, 76, 24),
          CheckPngPicture(image, 200, 200, 24), CheckPngPicture(image, 201, 120, 24),
          CheckPngPicture(image, 202, 40, 43), CheckPngPicture(image, 203, 128, 128),
          CheckPngPicture(image, 300, 256, 256),
          CheckManifest(image, "Vesmarin", "1.0.0.0", "X86")}) {
        if (!fault.empty()) all += fault + "\n";
    }
    return all;
}

TEST(ExeChecks, ARightProgramPassesEveryCheck) { EXPECT_EQ(AllFaults(GoodProgram()), ""); }

struct Case {
    const char* name;
    std::function<void(PeImage&)> change;
    const char* fault;   // empty: the change is one the program accepts
};

class ExeChecksCase : public ::testing::TestWithParam<Case> {};

TEST_P(ExeChecksCase, NamesTheFault) {
    PeImage image = GoodProgram();
    GetParam().change(image);
    const std::string faults = AllFaults(image);
    if (GetParam().fault[0] == '\0') {
        EXPECT_EQ(faults, "");
    } else {
        EXPECT_NE(faults.find(GetParam().fault), std::string::npos) << faults;
    }
}

using I = PeImage;
INSTANTIATE_TEST_SUITE_P(
    Programs, ExeChecksCase,
    ::testing::Values(
        // Machine and subsystem.
        Case{"SixtyFourBit", [](I& i) { i.machine = kMachineAmd64; },
             "machine is 0x8664, expected 0x14c"},
        Case{"Console", [](I& i) { i.subsystem = kSubsystemConsole; },
             "subsystem is 3, expected 2"},
        // Imports.
        Case{"ImportCaseIgnored", [](I& i) { i.imports.push_back("Kernel32.DLL"); }, ""},
        Case{"LibStdCpp", [](I& i) { i.imports.push_back("libstdc++-6.dll"); },
             "compiler runtime libstdc++-6.dll"},
        Case{"LibGcc", [](I& i) { i.imports.push_back("libgcc_s_dw2-1.dll"); },
             "compiler runtime libgcc_s_dw2-1.dll"},
        Case{"WinPthread", [](I& i) { i.imports.push_back("libwinpthread-1.dll"); },
             "compiler runtime libwinpthread-1.dll"},
        Case{"ForeignDll", [](I& i) { i.imports.push_back("zlib1.dll"); },
             "imports zlib1.dll, which is not a system DLL"},
        // Pictures.
        Case{"ReadPictureTooSmall",
             [](I& i) { Replace(i, kResourceRawData, 200, Png(24, 24, 8, 6)); },
             "raw data 200 is 24x24"},
        Case{"PictureWithoutAlpha",
             [](I& i) { Replace(i, kResourceRawData, 201, Png(120, 24, 8, 2)); },
             "colour type 2"},
        Case{"PictureSixteenBit",
             [](I& i) { Replace(i, kResourceRawData, 202, Png(40, 43, 16, 6)); },
             "depth 16"},
        Case{"PictureCutShort",
             [](I& i) { Replace(i, kResourceRawData, 203, Png(128, 128, 8, 6, false)); },
             "raw data 203 is a PNG cut short"},
        Case{"PictureNotPng",
             [](I& i) { Replace(i, kResourceRawData, 300, Text("GIF89a, 256x256")); },
             "raw data 300 is not a PNG"},
        Case{"WaitPictureMissing", [](I& i) { Remove(i, kResourceRawData, 300); },
             "raw data 300 is missing"},
        // Highlight bitmap.
        Case{"HighlightThirtyTwoBit",
             [](I& i) { Replace(i, kResourceBitmap, 250, Dib(300, 76, 32, 0, 300 * 4 * 76)); },
             "bitmap 250 is 300x76 32-bit"},
        Case{"HighlightBitFields",
             [](I& i) { Replace(i, kResourceBitmap, 250, Dib(300, 76, 24, 3, 300 * 3 * 76)); },
             "compression 3"},
        Case{"HighlightOneRowShort",
             [](I& i) { Replace(i, kResourceBitmap, 250, Dib(300, 75, 24, 0, 300 * 3 * 75)); },
             "bitmap 250 is 300x75"},
        Case{"HighlightRowsMissing",
             [](I& i) { Replace(i, kResourceBitmap, 250, Dib(300, 76, 24, 0, 300 * 3 * 75)); },
             "bitmap 250 is cut short"},
        Case{"HighlightTopDown",
             [](I& i) { Replace(i, kResourceBitmap, 250, Dib(300, -76, 24, 0, 300 * 3 * 76)); },
             ""},
        // Icon.
        Case{"IconTwoPictures",
             [](I& i) {
                 const Bytes icon = IconPicture();
                 Replace(i, kResourceIconGroup, 100,
                         IconGroup({{64, 64, 32, icon.size(), 1}, {32, 32, 32, icon.size(), 1}}));
             },
             "icon group 100 holds 2 pictures"},
        Case{"IconSmaller",
             [](I& i) {
                 const Bytes icon = IconPicture(48);
                 Replace(i, kResourceIconGroup, 100, IconGroup({{48, 48, 32, icon.size(), 1}}));
                 Replace(i, kResourceIcon, 1, icon);
             },
             "lists a 48x48 32-bit picture"},
        Case{"IconWithoutAlpha",
             [](I& i) {
                 const Bytes icon = IconPicture(64, 24);
                 Replace(i, kResourceIconGroup, 100, IconGroup({{64, 64, 24, icon.size(), 1}}));
                 Replace(i, kResourceIcon, 1, icon);
             },
             "lists a 64x64 24-bit picture"},
        Case{"IconPictureDisagreesWithGroup",
             [](I& i) {
                 const Bytes icon = IconPicture(32);
                 Replace(i, kResourceIconGroup, 100, IconGroup({{64, 64, 32, icon.size(), 1}}));
                 Replace(i, kResourceIcon, 1, icon);
             },
             "icon 1 is 32x32 32-bit"},
        Case{"IconPictureMissing", [](I& i) { Remove(i, kResourceIcon, 1); },
             "icon 1, named by the group, is missing"},
        Case{"IconSizeDisagreesWithGroup",
             [](I& i) {
                 Bytes icon = IconPicture();
                 icon.push_back(0);
                 Replace(i, kResourceIcon, 1, icon);
             },
             "the group says"},
        Case{"IconAsPng",
             [](I& i) {
                 const Bytes icon = Png(64, 64, 8, 6);
                 Replace(i, kResourceIconGroup, 100, IconGroup({{64, 64, 32, icon.size(), 1}}));
                 Replace(i, kResourceIcon, 1, icon);
             },
             ""},
        Case{"IconGroupMissing", [](I& i) { Remove(i, kResourceIconGroup, 100); },
             "icon group 100 is missing"},
        // Manifest.
        Case{"ManifestWithCommonControlsSix",
             [](I& i) {
                 Replace(i, kResourceManifest, 1,
                         Text(Manifest(kIdentity,
                                       "<dependency><dependentAssembly><assemblyIdentity "
                                       "type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
                                       "version=\"6.0.0.0\"/></dependentAssembly></dependency>")));
             },
             "manifest asks for the common controls library"},
        Case{"ManifestDpiAware",
             [](I& i) {
                 Replace(i, kResourceManifest, 1,
                         Text(Manifest(kIdentity, "<application><windowsSettings><dpiAware>true"
                                                  "</dpiAware></windowsSettings></application>")));
             },
             "manifest declares DPI awareness"},
        Case{"ManifestForAmd64",
             [](I& i) {
                 Replace(i, kResourceManifest, 1,
                         Text(Manifest("name=\"Vesmarin\" version=\"1.0.0.0\" "
                                       "processorArchitecture=\"amd64\" type=\"win32\"")));
             },
             "manifest processorArchitecture is \"amd64\", expected \"X86\""},
        Case{"ManifestArchitectureCaseIgnored",
             [](I& i) {
                 Replace(i, kResourceManifest, 1,
                         Text(Manifest("type='win32' processorArchitecture='x86' "
                                       "version='1.0.0.0' name='Vesmarin'")));
             },
             ""},
        Case{"ManifestOtherVersion",
             [](I& i) {
                 Replace(i, kResourceManifest, 1,
                         Text(Manifest("name=\"Vesmarin\" version=\"1.2.0.0\" "
                                       "processorArchitecture=\"X86\" type=\"win32\"")));
             },
             "manifest version is \"1.2.0.0\""},
        // "name" must be the attribute itself, not the tail of another one.
        Case{"ManifestNameOnlyInsideAnotherAttribute",
             [](I& i) {
                 Replace(i, kResourceManifest, 1,
                         Text(Manifest("xname=\"Vesmarin\" version=\"1.0.0.0\" "
                                       "processorArchitecture=\"X86\" type=\"win32\"")));
             },
             "manifest name is \"\""},
        Case{"ManifestWithoutIdentity",
             [](I& i) { Replace(i, kResourceManifest, 1, Text("<assembly></assembly>")); },
             "manifest has no assembly identity"},
        Case{"ManifestMissing", [](I& i) { Remove(i, kResourceManifest, 1); },
             "manifest 1 is missing"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
