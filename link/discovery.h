// Finding the ports behind which a modem answers, and the port entries that name them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kFirstPortNumber = 1;
constexpr int kLastPortNumber = 254;
constexpr int kModemSlots = 255;
constexpr size_t kModelTextSize = 256;
constexpr size_t kPortEntrySize = 256;   // an entry has at most 255 characters

struct ModemListRecord {
    int32_t count;
    int32_t portNumbers[kModemSlots];
    char modelTexts[kModemSlots][kModelTextSize];
};
extern ModemListRecord ModemList;

// Tries COM1 to COM254 in order and rebuilds ModemList from those that answer AT+CGMM.
void ProbePorts();

// Called after each port number has been tried, with the number of modems found so far, so a
// front end can show progress. nullptr (the default) reports nothing.
using ProbeProgress = void (*)(int portNumber, int modemsFound, void* context);
void SetProbeProgress(ProbeProgress progress, void* context);

// What the probe saw on one port number: the answer to "why is my modem not found?".
enum class ProbeOutcome {
    NoDevice,     // nothing by that name
    OpenFailed,   // a device that would not open (openError says why)
    Silent,       // opened, but AT+CGMM got no reply within the limit
    NotListed,    // a reply came, but its first byte was 0, so it names no modem
    Listed,       // a modem: ModemList slot `slot`
};
struct PortProbeReport {
    int portNumber;
    ProbeOutcome outcome;
    uint32_t elapsedMs;         // open to close
    uint32_t echoOffCount;      // bytes that ATE0 brought back
    uint32_t modelCount;        // bytes that AT+CGMM brought back
    const char* openError;      // PortErrorText's words for OpenFailed, else ""
    int slot;                   // for Listed, else -1
};
// Called once per port number, after the port is closed and before the progress call.
// Installing one changes nothing about how ports are probed. nullptr (the default) reports
// nothing.
using ProbeReport = void (*)(const PortProbeReport& report, void* context);
void SetProbeReport(ProbeReport report, void* context);

// Formats entry `slot` of ModemList as "%s (COM%d)" into `entry`. A model text too long for
// the entry is shortened at its end, so that the "(COMn)" ending always survives.
void FormatPortEntry(int slot, char* entry, size_t entrySize);

// Makes the device path "\\.\<port name>" from a port entry into `path`. The port name is the
// text from the first "(COM" (at its "C") up to the next ")"; the empty entry gives "\\.\".
void PortPathFromEntry(const char* entry, char* path, size_t pathSize);
