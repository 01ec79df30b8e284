// ExtractAnswer over arbitrary replies and prefixes, checked against a plain model of the
// extraction rules and against the bounds of both buffers.
//
// Input: one flag byte (bit 0 place, bit 1 pad, bits 2-7 the row), one pad-length byte, one
// filler byte, then the prefix up to the first NUL byte and the reply after it; without a NUL
// byte the prefix is empty and everything is the reply. Padding puts filler bytes in front of
// the reply so that it ends at the 65535-byte bound of ReplyBuffer, which short inputs could
// otherwise never reach.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.h"
#include "link/answer.h"
#include "link/transact.h"

namespace {

constexpr size_t kHeaderSize = 3;
constexpr size_t kPaddedLengthBase = kReplyCapacity - 15;   // padded replies: 65520..65551 bytes

// ReplyBuffer as it was handed to the extraction. Static, like the buffer itself: a fresh
// 64 KiB allocation per input would cost more than the extraction.
char ReplySnapshot[kReplyBufferSize];

// The value the extraction must give, computed from the rules directly over the reply text.
std::string_view ModelValue(std::string_view reply, std::string_view prefix, bool* found) {
    size_t pos = 0;
    *found = true;
    if (!prefix.empty()) {
        pos = reply.find(prefix);
        if (pos == std::string_view::npos) {
            *found = false;
            return std::string_view();
        }
    }
    auto at = [&reply](size_t i) { return i < reply.size() ? reply[i] : '\0'; };
    if (at(pos) == ' ') ++pos;
    if (at(pos) == '\r') ++pos;
    if (at(pos) == '\n') ++pos;
    if (!prefix.empty()) pos = std::min(pos + prefix.size() + 1, reply.size());
    if (at(pos) == ' ') ++pos;
    if (at(pos) == '"') ++pos;
    std::string_view value = reply.substr(pos, kAnswerCapacity);
    value = value.substr(0, value.find('\n'));
    value = value.substr(0, value.find('\r'));
    if (!value.empty() && value.back() == '"') value.remove_suffix(1);
    if (value == "OK") value = std::string_view();
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderSize) return 0;
    const bool place = (data[0] & 1) != 0;
    const bool pad = (data[0] & 2) != 0;
    const int tableIndex = (data[0] >> 2) % (kInfoRowCount + 2) - 1;   // -1 .. 29: both ends out of range
    const size_t paddedLength = kPaddedLengthBase + (data[1] & 31);
    const char filler = static_cast<char>(data[2]);
    data += kHeaderSize;
    size -= kHeaderSize;

    const char* text = reinterpret_cast<const char*>(data);
    const auto* nul = static_cast<const char*>(std::memchr(text, 0, size));
    const std::string prefix = nul != nullptr ? std::string(text, static_cast<size_t>(nul - text)) : std::string();
    const char* replyBytes = nul != nullptr ? nul + 1 : text;
    const size_t replySize = size - static_cast<size_t>(replyBytes - text);

    // As Transact leaves it: the first 65535 bytes cleared, then the received bytes, at most
    // 65535 of them.
    std::memset(ReplyBuffer, 0, kReplyCapacity);
    size_t at = 0;
    if (pad && replySize < paddedLength) {
        at = std::min(paddedLength - replySize, static_cast<size_t>(kReplyCapacity));
        std::memset(ReplyBuffer, filler, at);
    }
    std::memcpy(ReplyBuffer + at, replyBytes, std::min(replySize, kReplyCapacity - at));
    FuzzCheck(ReplyBuffer[kReplyCapacity] == '\0', "the last byte of ReplyBuffer is not zero");
    const size_t replyLength = std::strlen(ReplyBuffer);   // a NUL byte in the reply ends its text
    std::memcpy(ReplySnapshot, ReplyBuffer, replyLength + 1);

    static CheckedRows rows;
    rows.Reset();
    const bool found = ExtractAnswer(prefix.c_str(), tableIndex, place);

    FuzzCheck(ReplyBuffer[kReplyCapacity] == '\0', "the last byte of ReplyBuffer was written");
    FuzzCheck(std::memcmp(ReplyBuffer, ReplySnapshot, replyLength + 1) == 0, "the extraction changed ReplyBuffer");
    FuzzCheck(std::memchr(AnswerBuffer, 0, kAnswerCapacity + 1) != nullptr,
              "AnswerBuffer holds no NUL within its capacity");
    FuzzCheck(AnswerBuffer[kAnswerBufferSize - 1] == '\0', "the last byte of AnswerBuffer is not zero");
    const std::string_view value(AnswerBuffer);
    FuzzCheck(value.find('\r') == std::string_view::npos && value.find('\n') == std::string_view::npos,
              "the value holds a line end");
    FuzzCheck(value != "OK", "the value is OK, which is no value");
    FuzzCheck(found || !prefix.empty(), "an empty prefix gave false");
    FuzzCheck(found || value.empty(), "a false result left a value");

    bool modelFound = false;
    const std::string_view modelValue = ModelValue(std::string_view(ReplySnapshot, replyLength), prefix, &modelFound);
    FuzzCheck(found == modelFound, "the result differs from the extraction rules");
    FuzzCheck(value == modelValue, "the value differs from the extraction rules");

    const bool rowExpected = place && !value.empty() && tableIndex >= 0 && tableIndex < kInfoRowCount;
    FuzzCheck(rows.TotalWrites() == (rowExpected ? 1 : 0), "the wrong number of rows was written");
    if (rowExpected) FuzzCheck(rows.Writes(tableIndex) == 1 && rows.Value(tableIndex) == value,
                               "the placed row does not hold the value");
    return 0;
}
