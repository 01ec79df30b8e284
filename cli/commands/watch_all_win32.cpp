#include "cli/commands/many_options.h"
#include "cli/commands/watch_options.h"

// The live screen over every modem waits for Ctrl-C the POSIX way; the Windows build watches
// one modem at a time.
int RunWatchAll(const WatchOptions&) {
    return UsageError("watch", "--all is not in the Windows build; watch one PORT at a time");
}
