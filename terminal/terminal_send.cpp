#include "terminal/terminal_send.h"

#include <cstring>

#include "link/answer.h"
#include "link/discovery.h"
#include "link/port_session.h"
#include "link/transact.h"

const char* const kTerminalPrompt = "cmd> ";

namespace {

// The path PortPathFromEntry makes from an entry without a port name (the empty entry).
constexpr const char* kPathWithoutPort = "\\\\.\\";

constexpr const char* kLineFeed = "\n";

void CopyBounded(char* buffer, size_t bufferSize, const char* text) {
    std::memset(buffer, 0, bufferSize);
    if (text != nullptr) std::strncat(buffer, text, bufferSize - 1);
}

void AppendText(TranscriptAppend append, void* context, const char* text) {
    append(text, static_cast<uint32_t>(std::strlen(text)), context);
}

// The echo is the user's record of what was tried, so it is written before the open and stays
// whatever the port does afterwards.
void AppendEcho(TranscriptAppend append, void* context, const char* command) {
    AppendText(append, context, kTerminalPrompt);
    AppendText(append, context, command);
    AppendText(append, context, kLineFeed);
}

SendOutcome TransactOnPath(const char* path, const char* command, TranscriptAppend append,
                           void* context, const SendOptions& options, SendReport* report) {
    if (path == nullptr || path[0] == '\0' || std::strcmp(path, kPathWithoutPort) == 0) {
        return SendOutcome::OpenFailed;
    }
    PortSession session(path);
    if (!session.IsOpen()) return SendOutcome::OpenFailed;
    if (options.dropEarlierInputMs != 0 &&
        !session.DropPendingInput(options.dropEarlierInputMs, &report->droppedBytes)) {
        return SendOutcome::StillSending;
    }
    const uint32_t count = session.Transact(command, true, kTerminalTimeLimitMs);
    report->replyBytes = count;
    report->portFailed = session.Failed();
    if (count == 0) return SendOutcome::Silent;
    // Exactly what arrived, NULs included; ReplyBuffer[count] is 0 because the buffer's last
    // byte is never written and a read stores at most kReplyCapacity bytes.
    append(ReplyBuffer, count, context);
    AppendText(append, context, kLineFeed);
    return SendOutcome::Replied;
}

}  // namespace

SendOutcome SendTerminalCommand(const char* entry, const char* command, TranscriptAppend append,
                                void* context) {
    if (entry == nullptr) return SendOutcome::NoSelection;
    char entryText[kTerminalEntrySize];
    CopyBounded(entryText, sizeof entryText, entry);
    // The command as the window's field gives it: at most 255 characters.
    char commandText[kTerminalCommandSize];
    CopyBounded(commandText, sizeof commandText, command);

    AppendEcho(append, context, commandText);
    // The path is formed in AnswerBuffer, which is free between extractions; the terminal
    // never extracts.
    PortPathFromEntry(entryText, AnswerBuffer, kAnswerBufferSize);
    SendReport unused;
    return TransactOnPath(AnswerBuffer, commandText, append, context, SendOptions(), &unused);
}

SendOutcome SendTerminalCommandAtPath(const char* path, const char* command,
                                      TranscriptAppend append, void* context,
                                      const SendOptions& options, SendReport* report) {
    char commandText[kTerminalCommandSize];
    CopyBounded(commandText, sizeof commandText, command);
    AppendEcho(append, context, commandText);
    SendReport unused;
    return TransactOnPath(path, commandText, append, context, options, report ? report : &unused);
}

size_t CopyDisplayText(const char* bytes, uint32_t length, char* text, size_t textSize) {
    if (text == nullptr || textSize == 0) return 0;
    size_t copied = 0;
    if (bytes != nullptr) {
        for (; copied < length && copied + 1 < textSize; ++copied) {
            text[copied] = bytes[copied] == '\0' ? kNulStandIn : bytes[copied];
        }
    }
    text[copied] = '\0';
    return copied;
}
