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
#include "radio/radio_families.h"
#include "radio/reply_lines.h"

// Asked between commands: true asks the reading to stop (after setting back what it changed).
// `asks` gets `context`, so each caller brings its own flag (a signal's, a thread's).
struct StopCheck {
    bool (*asks)(void* context) = nullptr;   // nullptr: never stop
    void* context = nullptr;
    bool operator()() const { return asks != nullptr && asks(context); }
};

// What a repeated reading asks once the probe is done.
struct SignalScope {
    bool allFamilyQueries = false;   // the family's other queries too: band, channel, PCI
    bool standard = false;           // on a modem of no family: +CESQ, with +COPS's technology
};

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

    // The signal for repeated readings (watch, the exporter's reading process), changing
    // nothing: the family's first query (the one that carries the metrics and the technology),
    // and what `scope` adds. The first reading of a session probes (see Probe in the .cpp for
    // the rule); a session that remembers an earlier session's answer skips that. Facts stay
    // empty on a modem of none. No command goes out once `stop` says so.
    CellReading ReadFamilySignal(RadioFacts* facts, SignalScope scope, StopCheck stop);

    // Called with each command just before it is written (progress lines, benchmarks).
    using CommandObserver = void (*)(const char* command, void* context);
    void SetCommandObserver(CommandObserver observer, void* context) {
        observer_ = observer;
        observerContext_ = context;
    }

    bool PortLost() const { return PortFailed(port_); }
    // The port's own failure text (empty while it works).
    const char* ErrorText();

    // What the modem answers for its radio facts; untried before the first probe, and again
    // after a probe that met silence.
    RadioFamilyId Family() const { return family_; }
    // What an earlier session on the same modem found (Family() there), so that a session
    // that lives for one reading (one process per reading) skips the probe.
    void RememberFamily(RadioFamilyId family) { family_ = family; }

private:
    struct Restore {
        std::string command;   // empty when nothing is pending
    };

    static void ReaderBody(void* context);
    void ReadReply();
    // A failed Ask ends the reading: the outcome names the command.
    bool Failed(const Reply& reply, const char* command, CellReading* reading) const;
    void ReadRegistration(RadioFacts* facts, StopCheck stop, CellReading* reading);
    // The one rule that finds the family; the reply that decided it goes to `found`.
    void Probe(RadioFacts* found, StopCheck stop, CellReading* reading);
    // The probe unless the family is known, then the family's queries from the first not
    // asked yet (all of them, or only the first). A repeated reading takes the metrics of the
    // first query alone, so every reading gives one command's scale. `standardAsked`: the
    // probe just asked +CESQ (its facts are in `facts`).
    void ReadFamily(RadioFacts* facts, bool allQueries, bool repeated, StopCheck stop, CellReading* reading,
                    bool* standardAsked);
    void ReadOperator(RadioFacts* facts, StopCheck stop, CellReading* reading);
    void ReadAbsence(RadioFacts* facts, StopCheck stop, CellReading* reading);
    // Sets back what is pending; tries a silent modem a few times before giving up.
    void PutBack(CellReading* reading);

    PortHandle port_;
    std::unique_ptr<char[]> reply_;
    uint32_t received_ = 0;
    bool overflowed_ = false;
    RadioFamilyId family_;
    Restore pending_[2];
    char errorText_[256] = {};
    CommandObserver observer_ = nullptr;
    void* observerContext_ = nullptr;
};
