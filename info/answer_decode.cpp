#include "info/answer_decode.h"

#include "link/answer.h"

namespace {

constexpr int kNoRow = -1;

}  // namespace

// An empty value is no answer, by the same rule that keeps it out of a placed row. It matters
// with echo left on: the prefix is then found in the echoed command with nothing after it, and
// decoding that would, for the signal, invent a level of -113 dBm.
bool DecodeAnswer(const char* prefix, void (*decode)(const char* value)) {
    if (!ExtractAnswer(prefix, kNoRow, false) || AnswerBuffer[0] == '\0') return false;
    decode(AnswerBuffer);
    return true;
}
