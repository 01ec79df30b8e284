// The tool's commands. Each takes the arguments after its own name (UTF-8) and returns the
// process exit status.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int RunScan(const Arguments& args);
int RunAt(const Arguments& args);
int RunInfo(const Arguments& args);
int RunTerm(const Arguments& args);
int RunWatch(const Arguments& args);

// Shared by the commands that take a PORT: converts it to 1251 and parses it; on failure
// prints the reason and returns false.
struct PortArgument;
bool ReadPortArgument(const std::string& utf8, PortArgument* port);
bool WantsHelp(const Arguments& args);
