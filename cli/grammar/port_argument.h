// The PORT argument of the command-line tool: "COMn", a port entry such as "E173 (COM5)", or
// (not on Windows) a device path.
#pragma once

#include <string>

struct PortArgument {
    std::string devicePath;   // what OpenPort takes
    std::string entry;        // the port entry the window would hold; empty for device paths
    std::string display;      // how messages name the port
};

// `text` is Windows-1251. Returns false with a sentence in `error` for anything else.
bool ParsePortArgument(const std::string& text, PortArgument* out, std::string* error);

// The platform's part: a device path (POSIX) or the refusal (Windows), with `error` naming
// what a PORT may be here.
bool ParseDevicePath(const std::string& text, PortArgument* out, std::string* error);

// What PORT may be on this platform, for the overview of --help (lines ending in "\n").
const char* PortArgumentHelp();
