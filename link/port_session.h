// One use of a port, from open to close: the open, configured and (as most users want)
// output-drained port, closed when the session goes out of scope, so that no early return can
// leave a port, or on POSIX its lock file, behind.
#pragma once

#include <cstdint>

#include "link/serial_port.h"

class PortSession {
public:
    // The probe writes nothing before its first command, so it skips the drain.
    enum class Drain { AfterConfigure, None };

    // Opens `path`; when that worked, configures the port and, unless told not to, drains its
    // output once. A null or empty path opens nothing.
    explicit PortSession(const char* path, Drain drain = Drain::AfterConfigure);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    bool IsOpen() const { return port_ != nullptr; }
    PortHandle Handle() const { return port_; }
    // True once the device went away during the session (see PortFailed).
    bool Failed() const { return PortFailed(port_); }

    // One transaction on the session's port (see Transact).
    uint32_t Transact(const char* command, bool useReaderThread, uint32_t timeLimitMs);

    // Reads and drops what the modem has sent, or goes on sending, before a command is written:
    // the rest of an earlier reply (say one past the reply buffer) would otherwise be taken for
    // the next command's reply. Returns true once the line has been quiet for three read
    // time-outs in a row (about 150 ms), false when bytes still arrive after `limitMs`. Never
    // called by the window, whose transactions keep a late reply tail on purpose. `dropped`
    // receives the byte count.
    bool DropPendingInput(uint32_t limitMs, uint32_t* dropped);

private:
    PortHandle port_ = nullptr;
};
