// A pseudo-terminal that plays one serial port: the simulator keeps the master and one slave
// descriptor; clients open the slave by its path.
#pragma once

#include <string>

struct PtyPort {
    int master = -1;       // non-blocking; the modem's side of the line
    int slave = -1;        // held open so the port outlives its clients (see OpenPtyPort)
    std::string slavePath; // /dev/pts/N
};

// Opens a raw pty. Returns false with the OS's reason in `error`.
bool OpenPtyPort(PtyPort* port, std::string* error);
void ClosePtyPort(PtyPort* port);
