#include "link/transact.h"

#include <cstdio>
#include <cstring>

char ReplyBuffer[kReplyBufferSize];
ReaderStateRecord ReaderState;

namespace {

char CommandBuffer[kCommandBufferSize];

// The reader reads once: it does not wait for a final result code. A modem that pauses
// longer than the interval time-out has its tail delivered to the next transaction.
void ReaderThreadProc(void*) {
    ReaderState.receivedCount = ReadPort(ReaderState.port, ReplyBuffer, kReplyCapacity);
}

uint32_t CollectWithReader(PortHandle port, uint32_t timeLimitMs) {
    ReaderState.port = port;
    ReaderState.receivedCount = 0;
    ReaderState.thread = StartReader(&ReaderThreadProc, nullptr, &ReaderState.threadId);
    if (ReaderState.thread == nullptr) return 0;

    const bool ended = WaitReader(ReaderState.thread, timeLimitMs);
    // Stopping cancels a read still pending and joins the thread: after this nothing can
    // write into ReplyBuffer or ReaderState behind the caller's back.
    StopReader(ReaderState.thread, port);
    ReaderState.thread = nullptr;
    if (!ended) {
        // An incomplete read counts as no reply, even if some bytes had arrived.
        std::memset(ReplyBuffer, 0, kReplyCapacity);
        return 0;
    }
    return ReaderState.receivedCount;
}

}  // namespace

uint32_t Transact(PortHandle port, const char* command, bool useReaderThread,
                  uint32_t timeLimitMs) {
    std::memset(CommandBuffer, 0, sizeof CommandBuffer);
    std::memset(ReplyBuffer, 0, kReplyCapacity);
    std::snprintf(CommandBuffer, sizeof CommandBuffer, "%.*s\r",
                  static_cast<int>(kMaxCommandLength), command ? command : "");

    // Draining before the write keeps an earlier command's bytes from running into this one;
    // input the modem still holds is deliberately kept (a delayed reply tail shows up here).
    DrainPort(port);
    WritePort(port, CommandBuffer, static_cast<uint32_t>(std::strlen(CommandBuffer)));

    uint32_t count = 0;
    if (useReaderThread) {
        count = CollectWithReader(port, timeLimitMs);
    } else {
        count = ReadPort(port, ReplyBuffer, kReplyCapacity);
    }
    DrainPort(port);
    return count;
}
