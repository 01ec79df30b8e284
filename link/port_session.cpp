#include "link/port_session.h"

#include <chrono>

#include "link/transact.h"

PortSession::PortSession(const char* path, Drain drain) {
    if (path == nullptr || path[0] == '\0') return;
    port_ = OpenPort(path);
    if (port_ == nullptr) return;
    ConfigurePort(port_);
    if (drain == Drain::AfterConfigure) DrainPort(port_);
}

PortSession::~PortSession() { ClosePort(port_); }

uint32_t PortSession::Transact(const char* command, bool useReaderThread, uint32_t timeLimitMs) {
    return ::Transact(port_, command, useReaderThread, timeLimitMs);
}

bool PortSession::DropPendingInput(uint32_t limitMs, uint32_t* dropped) {
    *dropped = 0;
    if (port_ == nullptr) return true;
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::milliseconds(limitMs);
    char scratch[1024];   // small, so one read cannot run far past the limit
    // A one-byte read that ends empty is kReadTotalPerByteMs + kReadTotalConstantMs of silence.
    // A modem busy with a long reply can pause that long on a loaded machine, so the line
    // counts as quiet only after a few such reads in a row.
    constexpr int kQuietReads = 3;
    int quietReads = 0;
    while (quietReads < kQuietReads) {
        if (ReadPort(port_, scratch, 1) == 0) {
            ++quietReads;
            continue;
        }
        quietReads = 0;
        *dropped += 1 + ReadPort(port_, scratch, sizeof scratch);
        if (PortFailed(port_)) return true;
        if (std::chrono::steady_clock::now() - start >= limit) return false;
    }
    return true;
}
