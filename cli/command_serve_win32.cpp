#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/many_options.h"

// The exporter runs where the service manager and the modems' USB paths are: Linux.
int RunServe(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs("usage: vesmarin-cli serve ...\n\nThe Prometheus exporter is built for Linux only; this "
                   "Windows build has no serve.\n", stdout);
        return kExitSuccess;
    }
    return UsageError("serve", "the Prometheus exporter is built for Linux only, not for Windows");
}
