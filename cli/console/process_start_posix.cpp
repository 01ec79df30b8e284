#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "cli/console/process_start.h"

namespace {

// True when `fd` was closed and is now open on /dev/null.
bool ReopenIfClosed(int fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) return false;
    // The lowest free number is taken, so with 0-2 filled in order each lands where it belongs.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
        dup2(opened, fd);
        close(opened);
    }
    return true;
}

}  // namespace

bool PrepareProcess() {
    ReopenIfClosed(STDIN_FILENO);
    const bool stdoutClosed = ReopenIfClosed(STDOUT_FILENO);
    ReopenIfClosed(STDERR_FILENO);
    signal(SIGPIPE, SIG_IGN);
    return stdoutClosed;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}
