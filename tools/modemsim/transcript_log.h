// A per-port transcript of every byte the modem received and sent, readable while the
// simulator runs (one line per read or write, written straight to the file).
#pragma once

#include <cstddef>
#include <string>

#include "tools/modemsim/modem_engine.h"

// Bytes as log text: printable ASCII as is, backslash as \\, CR LF TAB as \r \n \t, every
// other byte as \xHH.
std::string EscapeBytes(const char* data, size_t size);

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
    void Note(const std::string& text, Millis elapsed);
    void Close();

private:
    void WriteLine(const std::string& line);
    int fd_ = -1;
};
