// A per-port transcript of every byte the modem received and sent, readable while the
// simulator runs (one line per read or write, written straight to the file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/modemsim/modem_engine.h"

// Bytes as log text: printable ASCII as is, backslash as \\, CR LF TAB as \r \n \t, every
// other byte as \xHH.
std::string EscapeBytes(const char* data, size_t size);

// What a transcript records of one command's output (echo and reply). A flood beyond it is
// summarised rather than written out, so a transcript cannot grow by gigabytes, least of all
// with bytes that went to a closed port.
constexpr size_t kMaxRecordedReplyBytes = 64 * 1024;

class TranscriptLog {
public:
    TranscriptLog() = default;
    ~TranscriptLog();
    TranscriptLog(const TranscriptLog&) = delete;
    TranscriptLog& operator=(const TranscriptLog&) = delete;

    // Creates (or empties) the file and writes its header lines.
    bool Open(const std::string& path, const std::string& header, std::string* error);
    bool IsOpen() const { return fd_ >= 0; }
    // One line: milliseconds since `start`, "rx" (from the client) or "tx" (to it), the bytes.
    void Record(const char* direction, const char* data, size_t size, Millis elapsed);
    // A "tx" record of the current reply, cut off once kMaxRecordedReplyBytes of it are in the
    // transcript; the transcript says where it was cut and, at the reply's end, how much more
    // was sent.
    void RecordSent(const char* data, size_t size, Millis elapsed);
    // The modem took its next command: what follows belongs to a new reply.
    void StartReply(Millis elapsed);
    // The current reply is over; notes how much of it went unrecorded, if any did.
    void EndReply(Millis elapsed);
    void Note(const std::string& text, Millis elapsed);
    // Ends the current reply's record, then the file.
    void Close(Millis elapsed);
    void Close();

private:
    void WriteLine(const std::string& line);
    int fd_ = -1;
    size_t replyRecorded_ = 0;
    uint64_t replyUnrecorded_ = 0;
};
