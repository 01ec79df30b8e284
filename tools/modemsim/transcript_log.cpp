#include "tools/modemsim/transcript_log.h"

#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

std::string EscapeBytes(const char* data, size_t size) {
    std::string text;
    text.reserve(size + size / 4);
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        switch (c) {
            case '\r': text += "\\r"; break;
            case '\n': text += "\\n"; break;
            case '\t': text += "\\t"; break;
            case '\\': text += "\\\\"; break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    text.push_back(static_cast<char>(c));
                } else {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    text += hex;
                }
        }
    }
    return text;
}

namespace {

std::string Stamp(Millis elapsed) {
    char text[32];
    std::snprintf(text, sizeof text, "%7lld.%03lld", static_cast<long long>(elapsed / 1000),
                  static_cast<long long>(elapsed % 1000));
    return text;
}

}  // namespace

TranscriptLog::~TranscriptLog() { Close(); }

bool TranscriptLog::Open(const std::string& path, const std::string& header, std::string* error) {
    Close();
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        *error = path + ": " + strerror(errno);
        return false;
    }
    WriteLine(header);
    return true;
}

void TranscriptLog::Record(const char* direction, const char* data, size_t size, Millis elapsed) {
    if (fd_ < 0) return;
    WriteLine(Stamp(elapsed) + " " + direction + " " + EscapeBytes(data, size));
}

void TranscriptLog::RecordSent(const char* data, size_t size, Millis elapsed) {
    if (fd_ < 0) return;
    const size_t room = kMaxRecordedReplyBytes - replyRecorded_;
    if (size <= room) {
        Record("tx", data, size, elapsed);
        replyRecorded_ += size;
        return;
    }
    if (room > 0) {
        Record("tx", data, room, elapsed);
        replyRecorded_ += room;
    }
    if (replyUnrecorded_ == 0) {
        Note("the rest of this reply is sent but not recorded (at most " +
                 std::to_string(kMaxRecordedReplyBytes) + " bytes of a reply are)",
             elapsed);
    }
    replyUnrecorded_ += size - room;
}

void TranscriptLog::StartReply(Millis elapsed) {
    EndReply(elapsed);
    replyRecorded_ = 0;
}

void TranscriptLog::EndReply(Millis elapsed) {
    if (replyUnrecorded_ == 0) return;
    const uint64_t unrecorded = replyUnrecorded_;
    replyUnrecorded_ = 0;
    Note("end of the reply cut above: " + std::to_string(unrecorded) + " more bytes were sent",
         elapsed);
}

void TranscriptLog::Note(const std::string& text, Millis elapsed) {
    if (fd_ < 0) return;
    WriteLine(Stamp(elapsed) + " -- " + text);
}

void TranscriptLog::Close(Millis elapsed) {
    if (fd_ >= 0) EndReply(elapsed);
    Close();
}

void TranscriptLog::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    replyRecorded_ = 0;
    replyUnrecorded_ = 0;
}

// One write per line, straight to the file: a reader never sees half a line held back in a
// buffer.
void TranscriptLog::WriteLine(const std::string& line) {
    const std::string whole = line + "\n";
    size_t done = 0;
    while (done < whole.size()) {
        const ssize_t n = write(fd_, whole.data() + done, whole.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // a full disk must not stop the modem
        done += static_cast<size_t>(n);
    }
}
