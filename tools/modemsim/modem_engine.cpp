#include "tools/modemsim/modem_engine.h"

#include <algorithm>
#include <utility>

namespace {

// Past these, reading stops until answers catch up, so a client that only writes cannot grow
// the simulator without bound; the pty then holds the client's writes back.
constexpr size_t kMaxQueuedLines = 100000;
constexpr size_t kMaxQueuedBytes = 16 * 1024 * 1024;

// A first reply step up to this size goes out in one write with the echo; a larger one (a
// flood) follows it at once instead of being copied.
constexpr size_t kMaxJoinedStepBytes = 64 * 1024;

}  // namespace

ModemEngine::ModemEngine(Profile profile) : profile_(std::move(profile)), echo_(profile_.echo) {
    okReply_.chunks.resize(1);
    okReply_.chunks[0].bytes = "\r\nOK\r\n";
    for (const Setting& setting : profile_.settings) values_.push_back(setting.values.front());
    nextPeriodic_.assign(profile_.reports.size(), -1);
}

void ModemEngine::Receive(const char* data, size_t size, Millis now) {
    if (unplugged_) return;
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\r') {
            queuedBytes_ += partial_.size() + 1;
            lines_.push_back(CommandLine{std::move(partial_), now});
            partial_.clear();
        } else if (partial_.empty() && (c == '\n' || c == '\0')) {
            // Line feeds and NULs between commands are line noise a modem ignores, such as
            // the LF of a client that ends its lines with CR LF.
        } else if (partial_.size() < kMaxCommandLineBytes) {
            partial_.push_back(c);
        }
    }
}

bool ModemEngine::ConditionsHold(const std::vector<SettingCondition>& conditions) const {
    for (const SettingCondition& condition : conditions)
        if (values_[condition.setting] != condition.value) return false;
    return true;
}

// A cycle's turn is the modem's state, like its echo: it goes on from one client to the next.
// So are the settings, which a matching set command changes as it is taken.
const Reply& ModemEngine::ReplyFor(const std::string& command) {
    std::vector<std::string> captured;
    for (auto rule = profile_.statefulRules.rbegin(); rule != profile_.statefulRules.rend(); ++rule) {
        if (!ConditionsHold(rule->conditions)) continue;
        if (!MatchCommand(rule->command, profile_.settings, command, &captured)) continue;
        for (size_t i = 0; i < captured.size(); ++i) {
            const size_t setting = rule->command.placeholders[i];
            if (values_[setting] == captured[i]) continue;
            notes_.push_back("setting " + profile_.settings[setting].name + ": " + values_[setting] + " -> " +
                             captured[i]);
            values_[setting] = captured[i];
        }
        return rule->reply;
    }
    const auto cycle = profile_.cycles.find(command);
    if (cycle != profile_.cycles.end()) {
        size_t& turn = cycleTurns_[command];
        const Reply& reply = cycle->second[turn];
        turn = (turn + 1) % cycle->second.size();
        return reply;
    }
    const auto rule = profile_.rules.find(command);
    if (rule != profile_.rules.end()) return rule->second;
    if (command == "ATE0" || command == "ATE1") return okReply_;
    return profile_.defaultReply;
}

// Called only when nothing waits to go out: a reply's last step must have left before the
// next command is taken.
void ModemEngine::TakeCommand() {
    CommandLine line = std::move(lines_.front());
    lines_.pop_front();
    queuedBytes_ -= line.text.size() + 1;
    ++commandsTaken_;
    if (profile_.unplugCommands.count(line.text) != 0) {
        // Pulled out: whatever was still to come is lost with the device.
        unplugged_ = true;
        lines_.clear();
        queuedBytes_ = 0;
        partial_.clear();
        return;
    }
    // V.250: the echo is the command as received, with its carriage return.
    if (echo_ != EchoMode::Off) {
        echoText_ = line.text;
        echoText_ += '\r';
        if (profile_.echoTiming == EchoTiming::Early) {
            outgoingData_ = echoText_.data();
            outgoingSize_ = echoText_.size();
        } else {
            echoPending_ = true;
        }
    }
    if (line.text == "ATE0" && echo_ == EchoMode::On) echo_ = EchoMode::Off;
    if (line.text == "ATE1" && echo_ == EchoMode::Off) echo_ = EchoMode::On;
    reply_ = &ReplyFor(line.text);
    command_ = std::move(line.text);
    nextChunk_ = 0;
    replyStarted_ = false;
    resumeAt_ = std::max(line.end, lastReplyEnd_) + profile_.latencyMs;
}

void ModemEngine::QueueStep(const ReplyChunk& chunk) {
    if (chunk.setting != kNoSetting) {
        stepText_ = values_[static_cast<size_t>(chunk.setting)];
        outgoingData_ = stepText_.data();
        outgoingSize_ = stepText_.size();
    } else {
        outgoingData_ = chunk.bytes.data();
        outgoingSize_ = chunk.bytes.size();
    }
}

// The echo waited for the reply: it goes out in one write with the reply's first step, so
// no gap opens between them however late the simulator is scheduled.
void ModemEngine::StartReply(Millis now) {
    replyStarted_ = true;
    resumeAt_ = now;
    if (!echoPending_) return;
    echoPending_ = false;
    stepText_ = echoText_;
    if (nextChunk_ < reply_->chunks.size()) {
        const ReplyChunk& first = reply_->chunks[nextChunk_];
        if (first.setting != kNoSetting) {
            stepText_ += values_[static_cast<size_t>(first.setting)];
            ++nextChunk_;
        } else if (!first.isPause && first.bytes.size() <= kMaxJoinedStepBytes) {
            stepText_ += first.bytes;
            ++nextChunk_;
        }
    }
    outgoingData_ = stepText_.data();
    outgoingSize_ = stepText_.size();
}

void ModemEngine::FinishReply(Millis now) {
    lastReplyEnd_ = now;
    reply_ = nullptr;
    replyStarted_ = false;
    std::vector<std::string> captured;
    for (size_t i = 0; i < profile_.reports.size(); ++i) {
        const UnsolicitedReport& report = profile_.reports[i];
        if (!report.afterCommand || !MatchCommand(report.command, profile_.settings, command_, &captured))
            continue;
        const PendingReport pending{now + report.afterMs, i};
        const auto at = std::upper_bound(pendingReports_.begin(), pendingReports_.end(), pending,
                                         [](const PendingReport& a, const PendingReport& b) { return a.due < b.due; });
        pendingReports_.insert(at, pending);
        if (pendingReports_.size() > kMaxPendingReports) pendingReports_.pop_front();
    }
}

Millis ModemEngine::NextReportDue() const {
    Millis due = pendingReports_.empty() ? -1 : pendingReports_.front().due;
    for (Millis periodic : nextPeriodic_)
        if (periodic >= 0 && (due < 0 || periodic < due)) due = periodic;
    return due;
}

// Reports go out between replies (or before a reply's first byte), never inside one: a
// profile writes a report inside a reply as part of the reply's text.
bool ModemEngine::SendDueReport(Millis now) {
    while (true) {
        size_t index = profile_.reports.size();
        size_t periodic = nextPeriodic_.size();
        Millis due = -1;
        if (!pendingReports_.empty() && pendingReports_.front().due <= now) {
            due = pendingReports_.front().due;
            index = pendingReports_.front().report;
        }
        for (size_t i = 0; i < nextPeriodic_.size(); ++i) {
            if (nextPeriodic_[i] < 0 || nextPeriodic_[i] > now || (due >= 0 && nextPeriodic_[i] >= due)) continue;
            due = nextPeriodic_[i];
            index = i;
            periodic = i;
        }
        if (due < 0) return false;
        const UnsolicitedReport& report = profile_.reports[index];
        if (periodic < nextPeriodic_.size()) {
            // On the schedule from the start; reports a long reply held back are not made up.
            Millis next = nextPeriodic_[periodic] + report.everyMs;
            if (next <= now) next += ((now - next) / report.everyMs + 1) * report.everyMs;
            nextPeriodic_[periodic] = next;
        } else {
            pendingReports_.pop_front();
        }
        if (!ConditionsHold(report.conditions)) continue;
        reportText_.clear();
        for (const ReplyChunk& chunk : report.text.chunks)
            reportText_ += chunk.setting != kNoSetting ? values_[static_cast<size_t>(chunk.setting)] : chunk.bytes;
        outgoingData_ = reportText_.data();
        outgoingSize_ = reportText_.size();
        sendingReport_ = true;
        return true;
    }
}

void ModemEngine::Advance(Millis now) {
    if (!clockStarted_) {
        clockStarted_ = true;
        for (size_t i = 0; i < profile_.reports.size(); ++i)
            if (!profile_.reports[i].afterCommand) nextPeriodic_[i] = now + profile_.reports[i].everyMs;
    }
    while (!unplugged_) {
        if (OutgoingSize() > 0) return;
        if (!replyStarted_ && SendDueReport(now)) continue;
        if (reply_ == nullptr) {
            if (lines_.empty()) return;
            TakeCommand();
            continue;
        }
        // A step starts only once everything before it is on the port, so a pause is a real
        // gap on the line and the reply's end is when its last byte left.
        if (now < resumeAt_) return;
        if (!replyStarted_) {
            StartReply(now);
            continue;
        }
        if (nextChunk_ == reply_->chunks.size()) {
            FinishReply(now);
            continue;
        }
        const ReplyChunk& chunk = reply_->chunks[nextChunk_++];
        if (chunk.isPause) {
            resumeAt_ = now + chunk.pauseMs;
        } else {
            QueueStep(chunk);
            resumeAt_ = now;
        }
    }
}

void ModemEngine::Sent(size_t count) {
    count = std::min(count, outgoingSize_);
    outgoingData_ += count;
    outgoingSize_ -= count;
    if (outgoingSize_ == 0) sendingReport_ = false;
}

Millis ModemEngine::NextDeadline() const {
    if (unplugged_ || OutgoingSize() > 0) return -1;
    Millis deadline = -1;
    if (reply_ != nullptr)
        deadline = resumeAt_;
    else if (!lines_.empty())
        return 0;
    if (!replyStarted_) {
        const Millis report = NextReportDue();
        if (report >= 0 && (deadline < 0 || report < deadline)) deadline = report;
    }
    return deadline;
}

bool ModemEngine::InputBacklogFull() const {
    return lines_.size() >= kMaxQueuedLines || queuedBytes_ >= kMaxQueuedBytes;
}

std::vector<std::string> ModemEngine::SettingValues() const {
    std::vector<std::string> values;
    for (size_t i = 0; i < values_.size(); ++i) values.push_back(profile_.settings[i].name + "=" + values_[i]);
    return values;
}

std::vector<std::string> ModemEngine::TakeNotes() {
    std::vector<std::string> notes;
    notes.swap(notes_);
    return notes;
}
