#include "tests/exe/pe_reader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kImportDescriptorSize = 20;
constexpr size_t kResourceDirectorySize = 16;
constexpr size_t kResourceEntrySize = 8;
constexpr size_t kResourceDataEntrySize = 16;
constexpr size_t kLongestDllName = 260;
// A real program has a few dozen resources; far more means the directory is looping on itself.
constexpr size_t kMostResources = 10000;
constexpr uint32_t kHighBit = 0x80000000u;

struct Section {
    uint32_t virtualAddress;
    uint32_t rawSize;
    uint32_t rawOffset;
};

class PeParser {
public:
    PeParser(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}

    bool Parse(PeImage& image, std::string& error);

private:
    bool Has(size_t offset, size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    uint16_t U16(size_t offset) const { return uint16_t(bytes_[offset] | bytes_[offset + 1] << 8); }
    uint32_t U32(size_t offset) const {
        return uint32_t(bytes_[offset]) | uint32_t(bytes_[offset + 1]) << 8 |
               uint32_t(bytes_[offset + 2]) << 16 | uint32_t(bytes_[offset + 3]) << 24;
    }
    bool Offset(uint64_t rva, size_t count, size_t& offset) const;
    bool ReadImports(uint32_t rva, PeImage& image, std::string& error) const;
    bool ReadResources(uint32_t rootRva, PeImage& image, std::string& error) const;
    bool ReadDirectory(uint32_t rootRva, uint32_t at, size_t& firstEntry, size_t& count) const;

    const unsigned char* bytes_;
    size_t size_;
    std::vector<Section> sections_;
};

// Where `count` bytes at `rva` lie in the file. They must sit inside one section's stored data,
// which must itself lie inside the file. The address is wide so that sums of a base and an
// offset taken from the file cannot wrap around.
bool PeParser::Offset(uint64_t rva, size_t count, size_t& offset) const {
    for (const Section& s : sections_) {
        if (rva < s.virtualAddress) continue;
        const uint64_t inside = rva - s.virtualAddress;
        if (inside >= s.rawSize || count > s.rawSize - inside) continue;
        offset = size_t(s.rawOffset) + size_t(inside);
        return Has(offset, count);
    }
    return false;
}

bool PeParser::Parse(PeImage& image, std::string& error) {
    image = PeImage();
    if (!Has(0, kDosHeaderSize) || bytes_[0] != 'M' || bytes_[1] != 'Z') {
        error = "no MZ header";
        return false;
    }
    const size_t pe = U32(0x3c);
    if (!Has(pe, 4 + kCoffHeaderSize) || std::memcmp(bytes_ + pe, "PE\0\0", 4) != 0) {
        error = "no PE signature where the MZ header points";
        return false;
    }
    const size_t coff = pe + 4;
    image.machine = U16(coff);
    const size_t sectionCount = U16(coff + 2);
    const size_t optionalSize = U16(coff + 16);
    const size_t optional = coff + kCoffHeaderSize;
    if (!Has(optional, optionalSize) || optionalSize < 2) {
        error = "optional header cut short";
        return false;
    }
    // The 32-bit and 64-bit headers differ in where the data directories start.
    const uint16_t magic = U16(optional);
    size_t directoryCountAt;
    if (magic == 0x10b) {
        directoryCountAt = 92;
    } else if (magic == 0x20b) {
        directoryCountAt = 108;
    } else {
        error = "unknown optional header kind";
        return false;
    }
    if (optionalSize < directoryCountAt + 4) {
        error = "optional header too small";
        return false;
    }
    image.subsystem = U16(optional + 68);
    const size_t directoryCount = U32(optional + directoryCountAt);
    const size_t directories = optional + directoryCountAt + 4;
    auto directoryRva = [&](size_t index) -> uint32_t {
        if (index >= directoryCount || (index + 1) * 8 > optionalSize - (directories - optional)) {
            return 0;
        }
        return U32(directories + index * 8);
    };

    const size_t sectionTable = optional + optionalSize;
    if (!Has(sectionTable, sectionCount * kSectionHeaderSize)) {
        error = "section table cut short";
        return false;
    }
    for (size_t i = 0; i < sectionCount; ++i) {
        const size_t at = sectionTable + i * kSectionHeaderSize;
        sections_.push_back({U32(at + 12), U32(at + 16), U32(at + 20)});
    }

    const uint32_t importRva = directoryRva(1);
    if (importRva != 0 && !ReadImports(importRva, image, error)) return false;
    const uint32_t resourceRva = directoryRva(2);
    if (resourceRva != 0 && !ReadResources(resourceRva, image, error)) return false;
    return true;
}

// The import table is a row of descriptors ending in one whose name is zero.
bool PeParser::ReadImports(uint32_t rva, PeImage& image, std::string& error) const {
    for (uint64_t at = rva;; at += kImportDescriptorSize) {
        size_t descriptor;
        if (!Offset(at, kImportDescriptorSize, descriptor)) {
            error = "import table runs outside the file";
            return false;
        }
        const uint32_t nameRva = U32(descriptor + 12);
        if (nameRva == 0) return true;
        size_t name;
        if (!Offset(nameRva, 1, name)) {
            error = "imported DLL name outside the file";
            return false;
        }
        std::string dll;
        while (name < size_ && bytes_[name] != 0 && dll.size() < kLongestDllName) {
            dll += char(bytes_[name++]);
        }
        if (name >= size_ || bytes_[name] != 0) {
            error = "imported DLL name without an end";
            return false;
        }
        image.imports.push_back(dll);
    }
}

// A resource directory: a 16-byte header whose last two words count the named and the numbered
// entries that follow it. `at` is relative to the root, as every offset inside the tree is.
bool PeParser::ReadDirectory(uint32_t rootRva, uint32_t at, size_t& firstEntry,
                             size_t& count) const {
    size_t header;
    if (!Offset(uint64_t(rootRva) + at, kResourceDirectorySize, header)) return false;
    count = size_t(U16(header + 12)) + U16(header + 14);
    size_t entries;
    if (!Offset(uint64_t(rootRva) + at + kResourceDirectorySize, count * kResourceEntrySize,
                entries)) {
        return false;
    }
    firstEntry = entries;
    return true;
}

// Three levels: type, number, language. Named types and names are skipped (the program uses
// numbers only); every level must point to the next, and the last to a data entry.
bool PeParser::ReadResources(uint32_t rootRva, PeImage& image, std::string& error) const {
    error = "resource directory damaged";
    size_t types, typeCount;
    if (!ReadDirectory(rootRva, 0, types, typeCount)) return false;
    for (size_t t = 0; t < typeCount; ++t) {
        const uint32_t type = U32(types + t * kResourceEntrySize);
        const uint32_t typeTarget = U32(types + t * kResourceEntrySize + 4);
        if (type & kHighBit) continue;
        if (!(typeTarget & kHighBit)) return false;
        size_t ids, idCount;
        if (!ReadDirectory(rootRva, typeTarget & ~kHighBit, ids, idCount)) return false;
        for (size_t i = 0; i < idCount; ++i) {
            const uint32_t id = U32(ids + i * kResourceEntrySize);
            const uint32_t idTarget = U32(ids + i * kResourceEntrySize + 4);
            if (id & kHighBit) continue;
            if (!(idTarget & kHighBit)) return false;
            size_t languages, languageCount;
            if (!ReadDirectory(rootRva, idTarget & ~kHighBit, languages, languageCount)) {
                return false;
            }
            for (size_t l = 0; l < languageCount; ++l) {
                const uint32_t dataEntry = U32(languages + l * kResourceEntrySize + 4);
                size_t entry, data;
                if (dataEntry & kHighBit ||
                    !Offset(uint64_t(rootRva) + dataEntry, kResourceDataEntrySize, entry)) {
                    return false;
                }
                const uint32_t dataRva = U32(entry);
                const uint32_t dataSize = U32(entry + 4);
                if (!Offset(dataRva, dataSize, data)) {
                    error = "resource data outside the file";
                    return false;
                }
                if (image.resources.size() == kMostResources) {
                    error = "too many resources";
                    return false;
                }
                const unsigned char* first = bytes_ + data;
                image.resources.push_back(
                    {type, id, std::vector<unsigned char>(first, first + dataSize)});
            }
        }
    }
    error.clear();
    return true;
}

}  // namespace

bool ParsePe(const unsigned char* bytes, size_t size, PeImage& image, std::string& error) {
    return PeParser(bytes, size).Parse(image, error);
}

bool ReadPeFile(const std::string& path, PeImage& image, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                           std::istreambuf_iterator<char>());
    if (!ParsePe(bytes.data(), bytes.size(), image, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

const PeResource* FindPeResource(const PeImage& image, uint32_t type, uint32_t id) {
    for (const PeResource& r : image.resources) {
        if (r.type == type && r.id == id) return &r;
    }
    return nullptr;
}
