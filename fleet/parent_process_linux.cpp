// The child's half of ending with its parent. PR_SET_PDEATHSIG fires when the thread that
// started this process ends, not the whole parent: RunChildren waits for its children in the
// thread that started them, so that thread outlives them unless the parent itself is gone.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "fleet/child_processes.h"

void FollowParentProcess() {
    const char* given = std::getenv(kParentPidVariable);
    if (given == nullptr || *given == '\0') return;
    char* end = nullptr;
    errno = 0;
    const long parent = std::strtol(given, &end, 10);
    if (errno != 0 || *end != '\0' || parent <= 0) return;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // Set after exec, so it is not cleared by it; but the parent may have ended before it was
    // set, and then no signal comes: this process is already someone else's child.
    if (getppid() != static_cast<pid_t>(parent)) raise(SIGTERM);
}
