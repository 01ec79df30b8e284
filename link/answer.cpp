#include "link/answer.h"

#include <cstring>

#include "link/transact.h"

char AnswerBuffer[kAnswerBufferSize];

namespace {

AnswerPlacer installedPlacer = nullptr;

void ClearAnswer() { std::memset(AnswerBuffer, 0, kAnswerBufferSize - 1); }

}  // namespace

void SetAnswerPlacer(AnswerPlacer placer) { installedPlacer = placer; }

bool ExtractAnswer(const char* prefix, int tableIndex, bool place) {
    if (prefix == nullptr) prefix = "";
    // The last byte of ReplyBuffer is never written, so the reply is always a C string.
    const char* reply = ReplyBuffer;
    const size_t replyLength = std::strlen(reply);
    const size_t prefixLength = std::strlen(prefix);

    size_t pos = 0;
    if (prefixLength != 0) {
        const char* found = std::strstr(reply, prefix);
        if (found == nullptr) {
            ClearAnswer();
            return false;
        }
        pos = static_cast<size_t>(found - reply);
    }

    // One blank, one CR, one LF at most, in that order: the usual "\r\n" framing of a reply.
    if (reply[pos] == ' ') ++pos;
    if (reply[pos] == '\r') ++pos;
    if (reply[pos] == '\n') ++pos;

    // The character after the prefix is the separator (":" in "+CSQ: 17,99"); it is skipped
    // untested, whatever it is, but never past the end of the reply.
    if (prefixLength != 0) {
        pos += prefixLength + 1;
        if (pos > replyLength) pos = replyLength;
    }

    if (reply[pos] == ' ') ++pos;
    if (reply[pos] == '"') ++pos;

    ClearAnswer();
    // A value longer than the buffer keeps its beginning; its first line survives whole
    // whenever it fits at all.
    size_t length = replyLength - pos;
    if (length > kAnswerCapacity) length = kAnswerCapacity;
    std::memcpy(AnswerBuffer, reply + pos, length);

    if (char* lf = std::strchr(AnswerBuffer, '\n')) *lf = '\0';
    if (char* cr = std::strchr(AnswerBuffer, '\r')) *cr = '\0';
    length = std::strlen(AnswerBuffer);

    if (length != 0 && AnswerBuffer[length - 1] == '"') AnswerBuffer[--length] = '\0';

    if (length == 0 || std::strcmp(AnswerBuffer, "OK") == 0) {
        ClearAnswer();
        return true;
    }
    if (place && installedPlacer != nullptr) installedPlacer(tableIndex, AnswerBuffer);
    return true;
}
