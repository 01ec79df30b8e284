#include "cli/watch/reading.h"

#include "cli/console/wait.h"
#include "info/fields.h"
#include "info/info_table.h"
#include "info/signal_text.h"
#include "info/status_decoders.h"
#include "radio/radio_families.h"
#include "radio/reply_lines.h"

namespace {

// The value of the reply's line that starts with `prefix` (echo and unsolicited lines read
// past), trimmed; empty when there is none.
std::string AnswerValue(std::string_view reply, std::string_view prefix) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, prefix);
    if (lines.empty()) return std::string();
    return std::string(lines.front());
}

bool AsksStop(void*) { return StopRequested(); }

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
    const RadioSession::Reply signal = radio_.Ask(StandardQueries::kCsq);
    if (radio_.PortLost()) return ReadingOutcome::PortFailed;
    const std::string value = AnswerValue(signal.text, "+CSQ");
    if (signal.final == FinalResult::None) {
        reading->gapText = "no reply";
    } else if (value.empty()) {
        reading->gapText = "no signal value in the reply";
    } else {
        ReadSignalAnswer(value.c_str(), reading);
    }
    const bool everyTenth = number % kWatchModeEvery == 0;
    // A modem that left +CSQ unanswered is not kept waiting with more now.
    if (signal.final != FinalResult::None && !StopRequested()) {
        SignalScope scope;
        scope.allFamilyQueries = everyTenth;
        const CellReading radio = radio_.ReadFamilySignal(&reading->radio, scope, StopCheck{&AsksStop, nullptr});
        if (radio.outcome == CellOutcome::PortFailed) return ReadingOutcome::PortFailed;
    }
    reading->hasFamily = radio_.Family().Family() != nullptr;
    if (everyTenth && !StopRequested()) {
        reading->modeAsked = true;
        SetRowValue(InfoRow::SystemMode, "");
        const RadioSession::Reply info = radio_.Ask("AT^SYSINFO");
        if (radio_.PortLost()) return ReadingOutcome::PortFailed;
        const std::string mode = AnswerValue(info.text, "^SYSINFO");
        if (!mode.empty()) DecodeSystemInfo(mode.c_str());
        reading->mode = rows_.Value(InfoRow::SystemMode);
    }
    return ReadingOutcome::Read;
}

WatchClock::time_point WatchSchedule::NextSlotAfter(WatchClock::time_point now) {
    ++slot_;
    while (start_ + slot_ * interval_ <= now) ++slot_;
    return start_ + slot_ * interval_;
}
