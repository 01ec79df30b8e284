// What every command does with its arguments before its own work: asks for help, reads a PORT.
#pragma once

#include <string>
#include <vector>

struct PortArgument;

using Arguments = std::vector<std::string>;

bool WantsHelp(const Arguments& args);

// Shared by the commands that take a PORT: converts it to 1251 and parses it; on failure
// prints the reason and returns false. A device path goes to the system as given (UTF-8 or
// any bytes); the port's display name has its control characters written out.
bool ReadPortArgument(const std::string& utf8, PortArgument* port);
