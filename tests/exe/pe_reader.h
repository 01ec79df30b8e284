// Reads what the tests need from a Windows executable file: its machine, its subsystem, the DLLs
// it imports and its resources. Built natively, so a Windows program can be checked on a machine
// that cannot run it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t kMachineI386 = 0x14c;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kSubsystemGui = 2;
constexpr uint16_t kSubsystemConsole = 3;

constexpr uint32_t kResourceIcon = 3;
constexpr uint32_t kResourceBitmap = 2;
constexpr uint32_t kResourceRawData = 10;
constexpr uint32_t kResourceIconGroup = 14;
constexpr uint32_t kResourceManifest = 24;

struct PeResource {
    uint32_t type;
    uint32_t id;
    std::vector<unsigned char> data;
};

struct PeImage {
    uint16_t machine = 0;
    uint16_t subsystem = 0;
    std::vector<std::string> imports;    // DLL names as the file spells them
    std::vector<PeResource> resources;   // numbered ones only, one per language
};

// Fills `image` from the bytes of an executable. Every offset is checked against the file, so
// a damaged or hostile file gives false and a reason in `error`, never a read out of bounds.
bool ParsePe(const unsigned char* bytes, size_t size, PeImage& image, std::string& error);

// ParsePe on a file's contents; a file that cannot be read gives false with the system's reason.
bool ReadPeFile(const std::string& path, PeImage& image, std::string& error);

// The first resource with that type and number, or nullptr.
const PeResource* FindPeResource(const PeImage& image, uint32_t type, uint32_t id);
