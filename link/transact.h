// One AT transaction: write a command line, collect the raw reply into ReplyBuffer.
#pragma once

#include <cstdint>

#include "link/serial_port.h"

constexpr uint32_t kCommandBufferSize = 256;   // command, CR, NUL: at most 254 characters
constexpr uint32_t kReplyBufferSize = 65536;   // the last byte is never written
constexpr uint32_t kReplyCapacity = kReplyBufferSize - 1;
constexpr uint32_t kMaxCommandLength = kCommandBufferSize - 2;

constexpr uint32_t kProbeTimeLimitMs = 1000;
constexpr uint32_t kTerminalTimeLimitMs = 2000;

// The raw reply of the most recent transaction, always NUL-terminated.
extern char ReplyBuffer[kReplyBufferSize];

struct ReaderThread;

// Shared between a transaction and its reader thread; one instance for the process.
struct ReaderStateRecord {
    PortHandle port;
    uint32_t receivedCount;      // written only by the reader's read
    ReaderThread* thread;        // nullptr while no reader exists
    uint32_t threadId;           // kept for diagnostics only
};
extern ReaderStateRecord ReaderState;

// Writes `command` and a carriage return, then collects the reply. Without the reader thread
// only the port's read time-outs end the read; with it, a read not complete within
// `timeLimitMs` gives 0. Returns the bytes received; ReplyBuffer is empty when that is 0.
// A command longer than kMaxCommandLength is cut to that length.
uint32_t Transact(PortHandle port, const char* command, bool useReaderThread,
                  uint32_t timeLimitMs);
