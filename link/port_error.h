// The last port failure's words as a string, for front ends that build messages from it.
#pragma once

#include <string>

// What PortErrorText says about the last failure of OpenPort, or of the read or write that
// made PortFailed true.
std::string LastPortError();
