#include "cli/console/terminal_screen.h"

#include <sys/ioctl.h>
#include <unistd.h>

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

void WriteToTerminalNow(const char* bytes, size_t length) {
    while (length > 0) {
        const ssize_t n = write(STDOUT_FILENO, bytes, length);
        if (n <= 0) return;
        bytes += n;
        length -= static_cast<size_t>(n);
    }
}
