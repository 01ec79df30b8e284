#include "tests/support/test_paths.h"

std::string SourcePath(const std::string& relative) {
#ifdef _WIN32
    // Wine maps the Unix root to drive Z:.
    return std::string("Z:") + VESMARIN_SOURCE_ROOT + "/" + relative;
#else
    return std::string(VESMARIN_SOURCE_ROOT) + "/" + relative;
#endif
}

std::string ComPath(int portNumber) { return "\\\\.\\COM" + std::to_string(portNumber); }
