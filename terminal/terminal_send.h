// One send of the terminal: the prompt line, one transaction on the selected port, the raw
// reply. Window-free: the transcript is whatever sink the caller passes, so the window, the
// command-line tool and the tests share the same steps.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kTerminalEntrySize = 256;     // the selected entry, at most 255 characters
constexpr size_t kTerminalCommandSize = 256;   // the command as read, at most 255 characters

// The prompt that opens every echo line, trailing blank included.
extern const char* const kTerminalPrompt;

// What one send did, so callers that care (the command-line tool, tests) can act on it.
enum class SendOutcome {
    NoSelection,   // nothing appended, no port touched
    OpenFailed,    // only the echo line was appended
    Silent,        // the port answered nothing within the time limit: only the echo
    Replied,       // the echo, the raw reply and a line feed
    StillSending,  // (SendOptions::dropEarlierInput only) the modem never fell quiet: not sent
};

// What the command-line tool asks beyond the window's send. The defaults are the window's.
struct SendOptions {
    // Drop what the modem sent before the command (see PortSession::DropPendingInput), for at
    // most this long; 0 keeps it, as the window does.
    uint32_t dropEarlierInputMs = 0;
};

// Facts about one send beyond its outcome.
struct SendReport {
    uint32_t replyBytes = 0;      // kReplyCapacity when the reply filled the buffer
    uint32_t droppedBytes = 0;    // dropped before the command was written
    bool portFailed = false;      // the device went away during the send
};

// Receives the transcript one piece at a time, in order, on the caller's thread. `bytes` holds
// exactly `length` bytes, and bytes[length] is always a NUL, so a piece without inner NULs can
// be used as a C string directly. A piece may be empty (the command of an empty send). The
// reply piece is the modem's bytes as received and may contain NUL bytes: a sink that shows
// text must deal with them (see CopyDisplayText).
using TranscriptAppend = void (*)(const char* bytes, uint32_t length, void* context);

// One send on the port named by a port entry. `entry` is the selected entry's text, or nullptr
// when nothing is selected; `command` is the typed text (only its first 255 characters are
// read, and of those the first 254 are sent, which is all a command line can hold). Appends
// "cmd> ", the command and "\n" before it opens the port, then, if the modem answered, the
// raw reply and "\n". The port is opened, configured, drained, used for one transaction with
// the reader thread (kTerminalTimeLimitMs) and closed within this call.
SendOutcome SendTerminalCommand(const char* entry, const char* command, TranscriptAppend append,
                                void* context);

// The same send on a device path (what the command-line tool holds for a PORT argument).
// nullptr or an empty path fails to open after the echo, like the empty entry. `report`, when
// given, receives the facts above.
SendOutcome SendTerminalCommandAtPath(const char* path, const char* command,
                                      TranscriptAppend append, void* context,
                                      const SendOptions& options = SendOptions(),
                                      SendReport* report = nullptr);

// A reply byte of 0 cannot reach a text pane: every text call ends at it, and the rest of the
// reply would be lost. This stands in for it in displayed text (Windows-1251 middle dot).
constexpr char kNulStandIn = '\xB7';

// Copies `length` transcript bytes into `text` with every NUL replaced by kNulStandIn, at most
// textSize - 1 bytes, always NUL-terminated when textSize > 0. Returns the bytes copied.
size_t CopyDisplayText(const char* bytes, uint32_t length, char* text, size_t textSize);
