// What the commands that take a PORT share: reading it into the port to open.
#pragma once

#include <string>

struct PortArgument;

// Converts a PORT (UTF-8) to 1251 and parses it; false, with the sentence that refuses it in
// `error`, for anything that is no port. A device path goes to the system as given (UTF-8 or
// any bytes); the port's display name has its control characters written out.
bool PortFromArgument(const std::string& utf8, PortArgument* port, std::string* error);

// The same for a PORT the grammar has already checked; on failure prints the reason.
bool ReadPortArgument(const std::string& utf8, PortArgument* port);
