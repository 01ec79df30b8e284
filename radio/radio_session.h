// One modem's radio, read on a port the caller has open. Everything a reading needs (the
// reply buffer, the reader thread, the error text, which family answered) belongs to the
// session, so several sessions can read several modems at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "link/serial_port.h"
#include "radio/radio_facts.h"
#include "radio/reply_lines.h"

// Checked between commands: true asks the reading to stop (after setting back what it changed).
using StopCheck = bool (*)();

enum class CellOutcome {
    Read,         // the facts are what the modem said (some may be unknown)
    PortFailed,   // the device went away or broke; ErrorText() says how
    NoReply,      // a command got no final result code within the time limit
    Stopped,      // the stop check asked to stop
};

struct CellReading {
    CellOutcome outcome = CellOutcome::Read;
    std::string failedCommand;   // the command that got no reply or met the failed port
    // Settings changed for the reading that could not be set back (the port failed or stayed
    // silent): the commands that would have restored them, "; "-separated. Empty when the
    // modem was left as found.
    std::string notRestored;
};

class RadioSession {
public:
    // The reply buffer's size; a longer reply is read to its end and its tail dropped.
    static constexpr uint32_t kReplyCapacity = 16384;
    // Every transaction waits at most this long for its reply: the terminal's limit.
    static constexpr uint32_t kTimeLimitMs = 2000;

    explicit RadioSession(PortHandle port);
    ~RadioSession();
    RadioSession(const RadioSession&) = delete;
    RadioSession& operator=(const RadioSession&) = delete;

    struct Reply {
        uint32_t received = 0;
        // None: no reply ended within the time limit (silence, only the echo, a flood).
        FinalResult final = FinalResult::None;
        std::string_view text;   // valid until the next Ask
    };
    // One command and its reply. No ATE0 is ever sent: the echo stays in the reply.
    Reply Ask(const char* command);

    // The whole reading for `cell`: registration with location, the vendor family, signal,
    // operator, and why nothing can be reported. Only the registration report mode (set to 2)
    // and the +COPS format may be changed, each read first and set back at once, also when
    // the stop check fires or a later command fails.
    CellReading ReadCell(RadioFacts* facts, StopCheck stop);

    // The signal only, changing nothing: the remembered family's first query, else +CESQ
    // and +CSQ. For repeated readings (watch).
    CellReading ReadSignal(RadioFacts* facts);

    // The remembered family's signal for repeated readings, changing nothing: its first query
    // (the one that carries the metrics and the technology), and with `whole` its other
    // queries too (band, channel, PCI; their metrics are left out). Until a family is known each family's first query is
    // tried once, and one that refuses or stays silent is passed over for the session, so a
    // modem without any costs those tries once and nothing after. Facts stay empty when no
    // family answered (Family() says kNoFamily). No command goes out once `stop` says so.
    CellReading ReadFamilySignal(RadioFacts* facts, bool whole, StopCheck stop);

    // Called with each command just before it is written (progress lines, benchmarks).
    using CommandObserver = void (*)(const char* command, void* context);
    void SetCommandObserver(CommandObserver observer, void* context) {
        observer_ = observer;
        observerContext_ = context;
    }

    bool PortLost() const { return PortFailed(port_); }
    // The port's own failure text (empty while it works).
    const char* ErrorText();

    // Which family answered: its index in RadioFamilies(), kNoFamily when none did,
    // kFamilyUntried before the first reading.
    static constexpr int kFamilyUntried = -1;
    static constexpr int kNoFamily = -2;
    int Family() const { return family_; }
    // What an earlier session on the same modem found (Family() there), so that a session
    // that lives for one reading (one process per reading) skips the probes.
    void RememberFamily(int family) { family_ = family; }

private:
    struct Restore {
        std::string command;   // empty when nothing is pending
    };

    static void ReaderBody(void* context);
    void ReadReply();
    bool Stopping(StopCheck stop) const { return stop != nullptr && stop(); }
    // A failed Ask ends the reading: the outcome names the command.
    bool Failed(const Reply& reply, const char* command, CellReading* reading) const;
    void ReadRegistration(RadioFacts* facts, StopCheck stop, CellReading* reading);
    void ReadFamily(RadioFacts* facts, StopCheck stop, CellReading* reading);
    void ReadOperator(RadioFacts* facts, StopCheck stop, CellReading* reading);
    void ReadAbsence(RadioFacts* facts, StopCheck stop, CellReading* reading);
    // Sets back what is pending; tries a silent modem a few times before giving up.
    void PutBack(CellReading* reading);

    PortHandle port_;
    std::unique_ptr<char[]> reply_;
    uint32_t received_ = 0;
    bool overflowed_ = false;
    int family_ = kFamilyUntried;
    Restore pending_[2];
    char errorText_[256] = {};
    CommandObserver observer_ = nullptr;
    void* observerContext_ = nullptr;
};
