#include "tests/support/test_paths.h"

std::string ComPath(int portNumber) { return "\\\\.\\COM" + std::to_string(portNumber); }
