#include "tools/modemsim/pty_port.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool Fail(const char* what, std::string* error) {
    *error = std::string(what) + ": " + strerror(errno);
    return false;
}

}  // namespace

bool OpenPtyPort(PtyPort* port, std::string* error) {
    port->master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (port->master < 0) return Fail("posix_openpt", error);
    char name[128];
    if (grantpt(port->master) != 0 || unlockpt(port->master) != 0 ||
        ptsname_r(port->master, name, sizeof name) != 0) {
        Fail("preparing the pty", error);
        ClosePtyPort(port);
        return false;
    }
    port->slavePath = name;
    // While one slave descriptor stays open, a client closing the port does not hang up the
    // master (no EIO, no POLLHUP), and the line keeps its settings between clients, as a
    // serial port does.
    port->slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (port->slave < 0) {
        Fail(name, error);
        ClosePtyPort(port);
        return false;
    }
    termios settings{};
    if (tcgetattr(port->slave, &settings) != 0) {
        Fail("tcgetattr", error);
        ClosePtyPort(port);
        return false;
    }
    // Raw: no line editing, no CR/LF translation and above all no terminal echo, which would
    // turn every reply into input for the modem.
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    if (tcsetattr(port->slave, TCSANOW, &settings) != 0) {
        Fail("tcsetattr", error);
        ClosePtyPort(port);
        return false;
    }
    const int flags = fcntl(port->master, F_GETFL);
    if (flags < 0 || fcntl(port->master, F_SETFL, flags | O_NONBLOCK) != 0) {
        Fail("fcntl", error);
        ClosePtyPort(port);
        return false;
    }
    return true;
}

void ClosePtyPort(PtyPort* port) {
    if (port->slave >= 0) close(port->slave);
    if (port->master >= 0) close(port->master);
    port->slave = -1;
    port->master = -1;
}
