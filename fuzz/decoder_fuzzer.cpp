// The decoders of the information run over arbitrary values. The selector byte picks the
// decoder (low three bits, modulo 6) and the route: bit 3 clear hands the rest of the input to
// the decoder as the value in AnswerBuffer, as ExtractAnswer leaves it; bit 3 set puts the rest
// into ReplyBuffer as a raw reply and goes through DecodeAnswer with the decoder's prefix, as
// the run does. Selector bytes '0'..'5' and '8'..'=' keep seed files readable.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_checks.h"
#include "info/answer_decode.h"
#include "info/config_decoders.h"
#include "info/info_table.h"
#include "info/status_decoders.h"
#include "link/answer.h"
#include "link/transact.h"

namespace {

struct DecoderCase {
    void (*decode)(const char* value);
    const char* prefix;
    InfoRow firstRow;   // the rows the decoder may write
    InfoRow lastRow;
};

const DecoderCase kDecoders[] = {
    {DecodeSystemInfo, "^SYSINFO", InfoRow::ServiceStatus, InfoRow::SimLockState},
    {DecodeFunctionality, "+CFUN", InfoRow::Functionality, InfoRow::Functionality},
    {DecodeSignal, "+CSQ", InfoRow::Signal, InfoRow::Signal},
    {DecodeOperator, "+COPS", InfoRow::SelectionMode, InfoRow::Operator},
    {DecodeSystemConfig, "^SYSCFG", InfoRow::NetworkTechnology, InfoRow::RoamingSupport},
    {DecodeCardLock, "^CARDLOCK", InfoRow::LockStatus, InfoRow::AttemptsLeft},
};
constexpr size_t kDecoderCount = sizeof kDecoders / sizeof kDecoders[0];

bool MayWrite(const DecoderCase& decoder, int tableIndex) {
    return tableIndex >= RowIndex(decoder.firstRow) && tableIndex <= RowIndex(decoder.lastRow);
}

void CopyBounded(char* buffer, size_t capacity, const uint8_t* data, size_t size) {
    std::memset(buffer, 0, capacity);
    std::memcpy(buffer, data, size < capacity ? size : capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const DecoderCase& decoder = kDecoders[(data[0] & 7) % kDecoderCount];
    const bool throughReply = (data[0] & 8) != 0;
    ++data;
    --size;

    static CheckedRows rows;
    rows.Reset();
    if (throughReply) {
        CopyBounded(ReplyBuffer, kReplyCapacity, data, size);
        const bool decoded = DecodeAnswer(decoder.prefix, decoder.decode);
        FuzzCheck(decoded || rows.TotalWrites() == 0, "rows were written for a reply without an answer");
        FuzzCheck(ReplyBuffer[kReplyBufferSize - 1] == '\0', "the last byte of ReplyBuffer was written");
    } else {
        // AnswerBuffer as an extraction leaves it: at most kAnswerCapacity characters.
        CopyBounded(AnswerBuffer, kAnswerCapacity, data, size);
        AnswerBuffer[kAnswerCapacity] = '\0';
        AnswerBuffer[kAnswerBufferSize - 1] = '\0';
        decoder.decode(AnswerBuffer);
    }
    FuzzCheck(AnswerBuffer[kAnswerBufferSize - 1] == '\0', "the last byte of AnswerBuffer was written");

    for (int index = 0; index < kInfoRowCount; ++index) {
        if (rows.Writes(index) == 0) continue;
        FuzzCheck(MayWrite(decoder, index), "a decoder wrote a row that is not its own");
        FuzzCheck(rows.Writes(index) == 1, "a decoder wrote one row twice");
    }
    return 0;
}
