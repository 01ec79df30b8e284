#include "cli/watch_reading.h"

#include "cli/watch_wait.h"
#include "info/answer_decode.h"
#include "info/fields.h"
#include "info/info_table.h"
#include "info/status_decoders.h"
#include "link/transact.h"

namespace {

// The table rows the two decoders write.
constexpr int kSignalIndex = 17;
constexpr int kSystemModeIndex = 11;

// DecodeAnswer hands its value to a plain function; this one keeps it for the reading.
std::string AnswerValue;
void KeepAnswerValue(const char* value) { AnswerValue = value; }

int64_t UnixMsNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void ReadSignalAnswer(const char* value, const CapturedRows& rows, SignalReading* reading) {
    reading->answered = true;
    FieldReader fields(value);
    FieldView first{value, 0};
    fields.Next(&first);
    reading->level = SignalLevelFromCsq(first.text, first.length);
    // The words come from the row itself, so the two never disagree; its text is shown, never
    // read back for numbers.
    SetRowValue(kSignalIndex, "");
    DecodeSignal(value);
    reading->text = rows.Value(kSignalIndex);
}

ReadingOutcome SignalReader::Take(uint64_t number, SignalReading* reading) {
    *reading = SignalReading{};
    reading->unixMs = UnixMsNow();
    const uint32_t received = Transact(port_, "AT+CSQ", true, kTerminalTimeLimitMs);
    if (PortFailed(port_)) return ReadingOutcome::PortFailed;
    if (received != 0 && DecodeAnswer("+CSQ", KeepAnswerValue)) {
        ReadSignalAnswer(AnswerValue.c_str(), rows_, reading);
    } else {
        reading->gapText = received == 0 ? "no reply" : "no signal value in the reply";
    }
    if (number % kWatchModeEvery == 0 && !StopRequested()) {
        reading->modeAsked = true;
        SetRowValue(kSystemModeIndex, "");
        if (Transact(port_, "AT^SYSINFO", true, kTerminalTimeLimitMs) != 0)
            DecodeAnswer("^SYSINFO", DecodeSystemInfo);
        if (PortFailed(port_)) return ReadingOutcome::PortFailed;
        reading->mode = rows_.Value(kSystemModeIndex);
    }
    return ReadingOutcome::Read;
}

WatchClock::time_point WatchSchedule::NextSlotAfter(WatchClock::time_point now) {
    ++slot_;
    while (start_ + slot_ * interval_ <= now) ++slot_;
    return start_ + slot_ * interval_;
}
