// The executable reader against small programs built here byte by byte: whole ones of both
// widths, every cut-short copy, and copies with one damaged field.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/exe/pe_reader.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xffff);
    Put16(b, at + 2, v >> 16);
}

struct TinyPe {
    Bytes bytes;
    size_t optionalHeader;   // file offsets of the parts the tests damage
    size_t resourceRoot;
    size_t firstDataEntry;
};

constexpr uint32_t kSectionRva = 0x1000;
constexpr size_t kSectionOffset = 0x200;

// Headers and one section holding, in order: the resource tree (all directories, then the data
// entries), the resource data, the import descriptors and the DLL names. The file ends with
// the last name's terminating zero, so any shorter copy lacks something the reader needs.
TinyPe BuildPe(bool wide, uint16_t machine, uint16_t subsystem,
               const std::vector<std::string>& dlls, const std::vector<PeResource>& resources) {
    std::map<uint32_t, std::vector<const PeResource*>> byType;
    for (const PeResource& r : resources) byType[r.type].push_back(&r);

    // Sizes first, relative to the section start (the resource root).
    size_t at = 16 + 8 * byType.size();
    std::map<uint32_t, size_t> typeDirectory;
    for (const auto& t : byType) {
        typeDirectory[t.first] = at;
        at += 16 + 8 * t.second.size();
    }
    const size_t languageDirectories = at;
    at += 24 * resources.size();
    const size_t dataEntries = at;
    at += 16 * resources.size();
    std::vector<size_t> dataAt;
    for (const auto& t : byType) {
        for (const PeResource* r : t.second) {
            dataAt.push_back(at);
            at += (r->data.size() + 3) / 4 * 4;
        }
    }
    const size_t imports = at;
    at += 20 * (dlls.size() + 1);
    std::vector<size_t> nameAt;
    for (const std::string& dll : dlls) {
        nameAt.push_back(at);
        at += dll.size() + 1;
    }
    const size_t sectionSize = at;

    TinyPe pe;
    Bytes& b = pe.bytes;
    b.assign(kSectionOffset + sectionSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3c, 0x40);
    std::memcpy(&b[0x40], "PE\0\0", 4);
    const size_t optionalSize = (wide ? 112 : 96) + 16 * 8;
    Put16(b, 0x44, machine);
    Put16(b, 0x46, 1);
    Put16(b, 0x54, uint32_t(optionalSize));
    pe.optionalHeader = 0x58;
    Put16(b, 0x58, wide ? 0x20b : 0x10b);
    Put16(b, 0x58 + 68, subsystem);
    const size_t directories = 0x58 + (wide ? 112 : 96);
    Put32(b, directories - 4, 16);
    if (!dlls.empty()) Put32(b, directories + 8, kSectionRva + uint32_t(imports));
    if (!resources.empty()) {
        Put32(b, directories + 16, kSectionRva);
        Put32(b, directories + 20, uint32_t(imports));
    }
    const size_t section = 0x58 + optionalSize;
    std::memcpy(&b[section], ".rsrc", 5);
    Put32(b, section + 8, uint32_t(sectionSize));
    Put32(b, section + 12, kSectionRva);
    Put32(b, section + 16, uint32_t(sectionSize));
    Put32(b, section + 20, kSectionOffset);

    const size_t root = kSectionOffset;
    pe.resourceRoot = root;
    pe.firstDataEntry = root + dataEntries;
    Put16(b, root + 14, uint32_t(byType.size()));
    size_t typeIndex = 0, index = 0;
    for (const auto& t : byType) {
        Put32(b, root + 16 + 8 * typeIndex, t.first);
        Put32(b, root + 16 + 8 * typeIndex + 4, 0x80000000u | uint32_t(typeDirectory[t.first]));
        ++typeIndex;
        const size_t directory = root + typeDirectory[t.first];
        Put16(b, directory + 14, uint32_t(t.second.size()));
        for (size_t i = 0; i < t.second.size(); ++i, ++index) {
            const size_t language = languageDirectories + 24 * index;
            Put32(b, directory + 16 + 8 * i, t.second[i]->id);
            Put32(b, directory + 16 + 8 * i + 4, 0x80000000u | uint32_t(language));
            Put16(b, root + language + 14, 1);
            Put32(b, root + language + 16, 0x409);
            Put32(b, root + language + 20, uint32_t(dataEntries + 16 * index));
            Put32(b, root + dataEntries + 16 * index, kSectionRva + uint32_t(dataAt[index]));
            Put32(b, root + dataEntries + 16 * index + 4, uint32_t(t.second[i]->data.size()));
            std::copy(t.second[i]->data.begin(), t.second[i]->data.end(),
                      b.begin() + long(root + dataAt[index]));
        }
    }
    for (size_t i = 0; i < dlls.size(); ++i) {
        Put32(b, root + imports + 20 * i + 12, kSectionRva + uint32_t(nameAt[i]));
        Put32(b, root + imports + 20 * i + 16, kSectionRva);   // a first thunk, never read
        std::memcpy(&b[root + nameAt[i]], dlls[i].c_str(), dlls[i].size() + 1);
    }
    return pe;
}

const std::vector<std::string> kDlls = {"KERNEL32.dll", "USER32.dll", "gdiplus.dll"};
const std::vector<PeResource> kResources = {
    {kResourceRawData, 200, {1, 2, 3, 4, 5}},
    {kResourceManifest, 1, {'<', 'a', '/', '>'}},
    {kResourceRawData, 300, {6}},
    {kResourceBitmap, 250, {7, 8, 9}},
};

TinyPe GoodProgram() { return BuildPe(false, kMachineI386, kSubsystemGui, kDlls, kResources); }

TEST(PeReader, ReadsBothWidthsWholly) {
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "PE32+" : "PE32");
        const uint16_t machine = wide ? kMachineAmd64 : kMachineI386;
        const TinyPe pe = BuildPe(wide, machine, kSubsystemConsole, kDlls, kResources);
        PeImage image;
        std::string error;
        ASSERT_TRUE(ParsePe(pe.bytes.data(), pe.bytes.size(), image, error)) << error;
        EXPECT_EQ(image.machine, machine);
        EXPECT_EQ(image.subsystem, kSubsystemConsole);
        EXPECT_EQ(image.imports, kDlls);
        ASSERT_EQ(image.resources.size(), kResources.size());
        for (const PeResource& expected : kResources) {
            const PeResource* found = FindPeResource(image, expected.type, expected.id);
            ASSERT_NE(found, nullptr) << expected.type << "/" << expected.id;
            EXPECT_EQ(found->data, expected.data);
        }
        EXPECT_EQ(FindPeResource(image, kResourceRawData, 201), nullptr);
    }
}

TEST(PeReader, ProgramWithoutImportsOrResources) {
    const TinyPe pe = BuildPe(false, kMachineI386, kSubsystemGui, {}, {});
    PeImage image;
    std::string error;
    ASSERT_TRUE(ParsePe(pe.bytes.data(), pe.bytes.size(), image, error)) << error;
    EXPECT_TRUE(image.imports.empty());
    EXPECT_TRUE(image.resources.empty());
}

TEST(PeReader, RejectsEveryCutShortCopy) {
    const TinyPe pe = GoodProgram();
    for (size_t size = 0; size < pe.bytes.size(); ++size) {
        // A copy of its own, so a read past the cut is a read past the allocation.
        const Bytes cut(pe.bytes.begin(), pe.bytes.begin() + long(size));
        PeImage image;
        std::string error;
        EXPECT_FALSE(ParsePe(cut.data(), cut.size(), image, error)) << "cut at " << size;
        EXPECT_FALSE(error.empty());
    }
}

struct Damage {
    const char* name;
    std::function<void(TinyPe&)> apply;
    const char* error;
};

class PeReaderDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(PeReaderDamage, IsRejectedWithAReason) {
    TinyPe pe = GoodProgram();
    GetParam().apply(pe);
    PeImage image;
    std::string error;
    EXPECT_FALSE(ParsePe(pe.bytes.data(), pe.bytes.size(), image, error));
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, PeReaderDamage,
    ::testing::Values(
        Damage{"NotMz", [](TinyPe& pe) { pe.bytes[0] = 'X'; }, "no MZ header"},
        Damage{"PeOffsetPastEnd", [](TinyPe& pe) { Put32(pe.bytes, 0x3c, 0xfffffff0u); },
               "no PE signature"},
        Damage{"PeSignature", [](TinyPe& pe) { pe.bytes[0x41] = 'X'; }, "no PE signature"},
        Damage{"OptionalHeaderKind", [](TinyPe& pe) { Put16(pe.bytes, pe.optionalHeader, 0x107); },
               "unknown optional header"},
        Damage{"OptionalHeaderTooSmall", [](TinyPe& pe) { Put16(pe.bytes, 0x54, 60); },
               "optional header too small"},
        Damage{"TooManySections", [](TinyPe& pe) { Put16(pe.bytes, 0x46, 60000); },
               "section table cut short"},
        Damage{"ImportsOutsideEverySection",
               [](TinyPe& pe) { Put32(pe.bytes, pe.optionalHeader + 96 + 8, 0x90000); },
               "import table runs outside"},
        Damage{"DllNameWithoutEnd", [](TinyPe& pe) { pe.bytes.back() = 'x'; },
               "DLL name without an end"},
        Damage{"TypeDirectoryOutside",
               [](TinyPe& pe) { Put32(pe.bytes, pe.resourceRoot + 20, 0x80fffff0u); },
               "resource directory damaged"},
        // The type level pointing back at the root: the walk must end, not go round.
        Damage{"DirectoryLoop",
               [](TinyPe& pe) { Put32(pe.bytes, pe.resourceRoot + 20, 0x80000000u); },
               "resource directory damaged"},
        Damage{"TypeEntryIsData",
               [](TinyPe& pe) { Put32(pe.bytes, pe.resourceRoot + 20, 0x10); },
               "resource directory damaged"},
        Damage{"DataLargerThanFile",
               [](TinyPe& pe) { Put32(pe.bytes, pe.firstDataEntry + 4, 0xfffffff0u); },
               "resource data outside the file"},
        Damage{"DataAddressWraps",
               [](TinyPe& pe) { Put32(pe.bytes, pe.firstDataEntry, 0xffffffffu); },
               "resource data outside the file"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PeReader, MissingFileGivesTheSystemReason) {
    PeImage image;
    std::string error;
    EXPECT_FALSE(ReadPeFile("/nonexistent/Vesmarin.exe", image, error));
    EXPECT_NE(error.find("/nonexistent/Vesmarin.exe"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

}  // namespace
