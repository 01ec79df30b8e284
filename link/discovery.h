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

// Formats entry `slot` of ModemList as "%s (COM%d)" into `entry`. A model text too long for
// the entry is shortened at its end, so that the "(COMn)" ending always survives.
void FormatPortEntry(int slot, char* entry, size_t entrySize);

// Makes the device path "\\.\<port name>" from a port entry into `path`. The port name is the
// text from the last " (COM" (at its "C") up to the next ")": the model text in front of it is
// the modem's own and may contain "(COM" itself. An entry that begins with "(COM" has no model
// text; the empty entry, or one without a port name, gives "\\.\".
void PortPathFromEntry(const char* entry, char* path, size_t pathSize);
