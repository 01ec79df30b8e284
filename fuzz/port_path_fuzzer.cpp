// PortPathFromEntry over arbitrary entries and output sizes, and the round trip from a model
// text through FormatPortEntry back to a device path.
//
// Input: a mode byte (bit 0: round trip), a size byte (0 stands for 256, the size every caller
// uses; 1..255 as given), a port byte (round trip: port 1 + byte % 254), then the entry text
// or, for the round trip, the model text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "link/discovery.h"

namespace {

constexpr size_t kHeaderSize = 3;
const std::string kDevicePrefix = "\\\\.\\";

// The path the rules give: the prefix, then the text from the "C" of the last " (COM" (or of a
// "(COM" that starts the entry), at most 255 characters, up to the next ")"; no such "(COM"
// gives no name.
std::string ModelPath(const std::string& entry) {
    size_t found = entry.rfind(" (COM");
    if (found != std::string::npos) {
        ++found;
    } else if (entry.compare(0, 4, "(COM") == 0) {
        found = 0;
    } else {
        return kDevicePrefix;
    }
    std::string name = entry.substr(found + 1, kPortEntrySize - 1);
    return kDevicePrefix + name.substr(0, name.find(')'));
}

// Runs PortPathFromEntry into an allocation of exactly `pathSize` bytes and checks the result
// against the rules, cut to what fits.
std::string CheckedPath(const std::string& entry, size_t pathSize) {
    char* path = new char[pathSize];
    std::memset(path, 'X', pathSize);
    PortPathFromEntry(entry.c_str(), path, pathSize);
    FuzzCheck(std::memchr(path, 0, pathSize) != nullptr, "the path is not terminated within its buffer");
    const std::string result(path);
    delete[] path;
    FuzzCheck(result == ModelPath(entry).substr(0, pathSize - 1), "the path differs from the rules");
    if (pathSize > kDevicePrefix.size())
        FuzzCheck(result.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0, "the path does not start with \\\\.\\");
    return result;
}

void CheckRoundTrip(const std::string& model, int portNumber, size_t entrySize) {
    std::memset(&ModemList, 0, sizeof ModemList);
    ModemList.count = 1;
    ModemList.portNumbers[0] = portNumber;
    std::snprintf(ModemList.modelTexts[0], kModelTextSize, "%s", model.c_str());

    char* entry = new char[entrySize];
    std::memset(entry, 'X', entrySize);
    FormatPortEntry(0, entry, entrySize);
    FuzzCheck(std::memchr(entry, 0, entrySize) != nullptr, "the entry is not terminated within its buffer");
    const std::string entryText(entry);
    delete[] entry;

    const std::string ending = " (COM" + std::to_string(portNumber) + ")";
    if (ending.size() >= entrySize) {
        FuzzCheck(entryText.empty(), "an entry too small for its ending is not empty");
        return;
    }
    FuzzCheck(entryText.size() >= ending.size() &&
                  entryText.compare(entryText.size() - ending.size(), ending.size(), ending) == 0,
              "the entry lost its (COMn) ending");
    const std::string kept = entryText.substr(0, entryText.size() - ending.size());
    FuzzCheck(std::string(ModemList.modelTexts[0]).compare(0, kept.size(), kept) == 0,
              "the entry does not begin with the model text");

    // Whatever the model text says, "(COM" included, the entry leads back to its own port.
    const std::string path = CheckedPath(entryText, kPortEntrySize);
    FuzzCheck(path == kDevicePrefix + "COM" + std::to_string(portNumber), "the entry does not lead back to its port");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderSize) return 0;
    const bool roundTrip = (data[0] & 1) != 0;
    const size_t bufferSize = data[1] == 0 ? kPortEntrySize : data[1];
    const int portNumber = kFirstPortNumber + data[2] % kLastPortNumber;
    // A NUL byte ends the text, as in the combo box's buffer.
    const std::string text(reinterpret_cast<const char*>(data + kHeaderSize),
                           strnlen(reinterpret_cast<const char*>(data + kHeaderSize), size - kHeaderSize));
    if (roundTrip) {
        CheckRoundTrip(text, portNumber, bufferSize);
    } else {
        CheckedPath(text, bufferSize);
    }
    return 0;
}
