// The simulator's command line.
#pragma once

#include <string>
#include <vector>

struct PortAssignment {
    int number = 0;           // COM number, 1 to 255
    std::string profilePath;
};

struct Options {
    bool help = false;
    std::string portsDirectory;
    std::string logDirectory;  // empty: no transcripts
    std::vector<PortAssignment> ports;
    // After "--": the command to run once the ports are up; empty: serve until a stop signal.
    std::vector<std::string> command;
};

// Returns false with a one-line reason in `error`.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);

extern const char kUsageText[];
