#include "tools/modemsim/modem_engine.h"

#include <algorithm>
#include <utility>

namespace {

// Past these, reading stops until answers catch up, so a client that only writes cannot grow
// the simulator without bound; the pty then holds the client's writes back.
constexpr size_t kMaxQueuedLines = 100000;
constexpr size_t kMaxQueuedBytes = 16 * 1024 * 1024;

}  // namespace

ModemEngine::ModemEngine(Profile profile) : profile_(std::move(profile)), echo_(profile_.echo) {
    okReply_.chunks.resize(1);
    okReply_.chunks[0].bytes = "\r\nOK\r\n";
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

// A cycle's turn is the modem's state, like its echo: it goes on from one client to the next.
const Reply& ModemEngine::ReplyFor(const std::string& command) {
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
        outgoingData_ = echoText_.data();
        outgoingSize_ = echoText_.size();
    }
    if (line.text == "ATE0" && echo_ == EchoMode::On) echo_ = EchoMode::Off;
    if (line.text == "ATE1" && echo_ == EchoMode::Off) echo_ = EchoMode::On;
    reply_ = &ReplyFor(line.text);
    nextChunk_ = 0;
    resumeAt_ = std::max(line.end, lastReplyEnd_) + profile_.latencyMs;
}

void ModemEngine::Advance(Millis now) {
    while (!unplugged_) {
        if (reply_ == nullptr) {
            if (lines_.empty()) return;
            TakeCommand();
            if (unplugged_) return;
        }
        // A step starts only once everything before it is on the port, so a pause is a real
        // gap on the line and the reply's end is when its last byte left.
        if (OutgoingSize() > 0 || now < resumeAt_) return;
        if (nextChunk_ == reply_->chunks.size()) {
            lastReplyEnd_ = now;
            reply_ = nullptr;
            continue;
        }
        const ReplyChunk& chunk = reply_->chunks[nextChunk_++];
        if (chunk.isPause) {
            resumeAt_ = now + chunk.pauseMs;
        } else {
            outgoingData_ = chunk.bytes.data();
            outgoingSize_ = chunk.bytes.size();
            resumeAt_ = now;
        }
    }
}

void ModemEngine::Sent(size_t count) {
    count = std::min(count, outgoingSize_);
    outgoingData_ += count;
    outgoingSize_ -= count;
}

Millis ModemEngine::NextDeadline() const {
    if (unplugged_ || OutgoingSize() > 0) return -1;
    if (reply_ != nullptr) return resumeAt_;
    return lines_.empty() ? -1 : 0;
}

bool ModemEngine::InputBacklogFull() const {
    return lines_.size() >= kMaxQueuedLines || queuedBytes_ >= kMaxQueuedBytes;
}
