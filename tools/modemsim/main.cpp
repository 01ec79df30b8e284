// modemsim: plays modems described by profiles on pseudo-terminals.
#include <cstdio>
#include <string>

#include "tools/modemsim/options.h"
#include "tools/modemsim/simulator.h"

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "modemsim: %s\nSee 'modemsim --help'.\n", error.c_str());
        return kExitBadInput;
    }
    if (options.help) {
        std::fputs(kUsageText, stdout);
        return kExitOk;
    }
    return RunSimulator(options);
}
