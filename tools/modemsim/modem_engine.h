// One simulated modem's behaviour, apart from any device: command lines in, echo and timed
// replies out. Time is passed in, so the rules can be checked without waiting for real time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "tools/modemsim/profile.h"

using Millis = int64_t;  // a monotonic clock in milliseconds

class ModemEngine {
public:
    explicit ModemEngine(Profile profile);
    // The bytes waiting to go out may point into the profile the engine owns.
    ModemEngine(const ModemEngine&) = delete;
    ModemEngine& operator=(const ModemEngine&) = delete;

    // Bytes that came from the client at `now`.
    void Receive(const char* data, size_t size, Millis now);
    // Moves the modem on to `now`: takes the next command line once the previous reply is
    // finished, and queues the reply steps that are due.
    void Advance(Millis now);

    // Bytes waiting to be written to the port, oldest first: an echo or one step of a reply.
    // A reply step is sent straight from the profile, never copied, so even the largest reply
    // starts as quickly as a short one.
    const char* OutgoingData() const { return outgoingData_; }
    size_t OutgoingSize() const { return outgoingSize_; }
    // The first `count` outgoing bytes reached the port.
    void Sent(size_t count);
    // Whether the outgoing bytes are an unsolicited line rather than a command's output.
    bool SendingReport() const { return outgoingSize_ > 0 && sendingReport_; }

    // Nothing to send and no reply under way.
    bool Idle() const { return reply_ == nullptr && outgoingSize_ == 0; }
    // Counts the command lines taken so far; a change marks the start of a new reply.
    uint64_t CommandsTaken() const { return commandsTaken_; }
    // True once the modem has taken one of the profile's `unplug` commands: it is gone and
    // neither reads nor sends anything more.
    bool Unplugged() const { return unplugged_; }

    // When Advance must be called next; -1 when only new input or a finished write can move
    // the modem on.
    Millis NextDeadline() const;
    // Whether reading should pause because too many received command lines wait for answers.
    bool InputBacklogFull() const;
    bool EchoOn() const { return echo_ != EchoMode::Off; }

    // "NAME=VALUE" per setting, in declaration order, as the modem holds them now.
    std::vector<std::string> SettingValues() const;
    // Events for the transcript since the last call (a setting changed, a report was sent).
    std::vector<std::string> TakeNotes();

private:
    struct CommandLine {
        std::string text;
        Millis end;  // when its carriage return arrived
    };

    struct PendingReport {
        Millis due;
        size_t report;
    };

    const Reply& ReplyFor(const std::string& command);
    void TakeCommand();
    bool ConditionsHold(const std::vector<SettingCondition>& conditions) const;
    // Puts one reply step on the way out; a setting's value is copied, everything else is sent
    // from the profile.
    void QueueStep(const ReplyChunk& chunk);
    void StartReply(Millis now);
    void FinishReply(Millis now);
    // Sends the first report that is due, if any; true when one went out.
    bool SendDueReport(Millis now);
    Millis NextReportDue() const;

    Profile profile_;
    Reply okReply_;
    EchoMode echo_;

    std::string partial_;  // the command line being received
    std::deque<CommandLine> lines_;
    size_t queuedBytes_ = 0;

    const Reply* reply_ = nullptr;  // the reply being sent, or none
    size_t nextChunk_ = 0;
    Millis resumeAt_ = 0;  // the next reply step may not start before this
    Millis lastReplyEnd_ = INT64_MIN / 2;

    std::string echoText_;  // the echo being sent; a reply step is sent from profile_
    const char* outgoingData_ = nullptr;
    size_t outgoingSize_ = 0;

    std::map<std::string, size_t> cycleTurns_;   // the next reply of each cycle

    bool echoPending_ = false;   // the echo waits to go out with the reply's first step
    bool replyStarted_ = false;  // the reply's first step (or the echo with it) has gone out
    std::string command_;        // the command whose reply is under way
    std::string stepText_;       // a setting's value, or the echo with the first step, being sent

    std::vector<std::string> values_;       // each setting's value now
    std::vector<Millis> nextPeriodic_;      // per report: when an `every` report is due next
    bool clockStarted_ = false;
    std::deque<PendingReport> pendingReports_;  // `after` reports, in the order they fall due
    std::string reportText_;
    bool sendingReport_ = false;   // the outgoing bytes are reportText_
    std::vector<std::string> notes_;

    uint64_t commandsTaken_ = 0;
    bool unplugged_ = false;
};

// Longer command lines are cut to this length; the rest of the line is dropped.
constexpr size_t kMaxCommandLineBytes = 1024 * 1024;
// `after` reports waiting to fall due; past this the oldest are dropped, so a client that
// floods a triggering command cannot grow the simulator without bound.
constexpr size_t kMaxPendingReports = 10000;
