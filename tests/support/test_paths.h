// Device paths of simulated modems, as the program forms them.
#pragma once

#include <string>

// "\\.\COM<n>".
std::string ComPath(int portNumber);
