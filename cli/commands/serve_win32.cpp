#include <memory>

#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "cli/commands/many_options.h"

namespace {

constexpr CommandHelp kServeHelp = {
    "a Prometheus exporter for every modem (Linux only)",
    "The Prometheus exporter is built for Linux only; this Windows build has no serve.\n",
    "",
};

}  // namespace

// The exporter runs where the service manager and the modems' USB paths are: Linux. The
// command stays in the grammar so that the Windows build says so instead of "unknown".
void DeclareServe(CommandLine* line) {
    line->AddCommand("serve", kServeHelp, [] {
          return UsageError("serve", "the Prometheus exporter is built for Linux only, not for Windows");
      }).AllowExtras();
}
