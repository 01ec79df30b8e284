// What `watch` asks the modem and what one reading found, as numbers: the level of the +CSQ
// field by the one rule shared with the information table, the row's words for it, the system
// mode, and on a modem of a radio family its technology and metrics (RSRP, RSRQ, SINR ...);
// and the schedule the readings keep. Presentation and the live screen build on this.
#pragma once

#include <cstdint>
#include <string>

#include "cli/console/wait.h"
#include "common/signal_level.h"
#include "info/captured_rows.h"
#include "link/serial_port.h"
#include "radio/radio_facts.h"
#include "radio/radio_session.h"

struct SignalReading {
    int64_t unixMs = 0;        // when the reading started, UTC milliseconds since 1970
    bool answered = false;     // the modem sent a +CSQ value
    std::string gapText;       // why not, when !answered ("no reply")
    SignalLevel level{false, 0, 0};   // the value's meaning, when answered
    std::string text;          // the signal row's words for it (Windows-1251), when answered
    bool modeAsked = false;
    std::string mode;          // the system mode row's text (Windows-1251), empty without one
    bool hasFamily = false;    // the modem answers a radio family's queries
    RadioFacts radio;          // what the family said this time: technology, metrics, band, PCI
};

// The mode, and a family's band and cell, are asked on the first reading and on every tenth
// after it; the family's metrics on every reading.
constexpr uint64_t kWatchModeEvery = 10;

// Fills the signal part of `reading` from the value of a +CSQ answer ("18,99"): the level from
// its first field, the words as the signal row writes them.
void ReadSignalAnswer(const char* value, SignalReading* reading);

enum class ReadingOutcome { Read, PortFailed };

// Asks the modem for one reading on an open port, changing nothing on it: queries only, no
// ATE0 (an echo is read past). Once a stop is requested (StopRequested) no further command
// goes out: a stop waits for at most the reply window already running.
class SignalReader {
public:
    explicit SignalReader(PortHandle port) : radio_(port) {}
    // Reading `number` (0 for the first).
    ReadingOutcome Take(uint64_t number, SignalReading* reading);

private:
    RadioSession radio_;
    CapturedRows rows_;
};

// The readings' slots lie on the monotonic clock from the start, so a slow reading never
// shifts the ones after it; slots a reply outlasted are skipped rather than caught up in a
// burst.
class WatchSchedule {
public:
    WatchSchedule(WatchClock::time_point start, uint32_t intervalMs)
        : start_(start), interval_(intervalMs) {}
    // The start of the first slot after `now`.
    WatchClock::time_point NextSlotAfter(WatchClock::time_point now);

private:
    WatchClock::time_point start_;
    std::chrono::milliseconds interval_;
    uint64_t slot_ = 0;
};
