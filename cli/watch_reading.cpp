#include "cli/watch_reading.h"

#include "cli/watch_wait.h"
#include "info/answer_decode.h"
#include "info/fields.h"
#include "info/info_table.h"
#include "info/signal_text.h"
#include "info/status_decoders.h"
#include "link/transact.h"

namespace {

// DecodeAnswer hands its value to a plain function; this one keeps it for the reading.
std::string AnswerValue;
void KeepAnswerValue(const char* value) { AnswerValue = value; }

int64_t UnixMsNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void ReadSignalAnswer(const char* value, SignalReading* reading) {
    reading->answered = true;
    FieldReader fields(value);
    FieldView first{value, 0};
    fields.Next(&first);
    reading->level = SignalLevelFromCsq(first.text, first.length);
    // The signal row's own words for the level, so the two never disagree.
    char text[kSignalTextSize];
    SignalLevelText(reading->level, text, sizeof text);
    reading->text = text;
}

ReadingOutcome SignalReader::Take(uint64_t number, SignalReading* reading) {
    *reading = SignalReading{};
    reading->unixMs = UnixMsNow();
    const uint32_t received = Transact(port_, "AT+CSQ", true, kTerminalTimeLimitMs);
    if (PortFailed(port_)) return ReadingOutcome::PortFailed;
    if (received != 0 && DecodeAnswer("+CSQ", KeepAnswerValue)) {
        ReadSignalAnswer(AnswerValue.c_str(), reading);
    } else {
        reading->gapText = received == 0 ? "no reply" : "no signal value in the reply";
    }
    if (number % kWatchModeEvery == 0 && !StopRequested()) {
        reading->modeAsked = true;
        SetRowValue(InfoRow::SystemMode, "");
        if (Transact(port_, "AT^SYSINFO", true, kTerminalTimeLimitMs) != 0)
            DecodeAnswer("^SYSINFO", DecodeSystemInfo);
        if (PortFailed(port_)) return ReadingOutcome::PortFailed;
        reading->mode = rows_.Value(InfoRow::SystemMode);
    }
    return ReadingOutcome::Read;
}

WatchClock::time_point WatchSchedule::NextSlotAfter(WatchClock::time_point now) {
    ++slot_;
    while (start_ + slot_ * interval_ <= now) ++slot_;
    return start_ + slot_ * interval_;
}
