// The one line a reading process answers with, and how its parent reads it back. One writer and
// one reader per message, so the keys are typed in one place. The reader trusts nothing: the
// child may have been killed half-way, may print a stray line first, or may be another
// program altogether; whatever arrives, the parent gets a message or a reason, never an
// assertion or an exception on its reading thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "radio/radio_facts.h"
#include "radio/radio_families.h"

// The reading process's exit status when its reading failed (its message says why); 0 when it
// answered. A process that exits so without a message found no modem to speak of.
constexpr int kReadingFailedExit = 1;

// Past this a child's output is no message: an information run's line is a few kilobytes.
constexpr size_t kReadingMessageCap = 256 * 1024;

// What one port did when the reading looked for the modem's AT port.
struct PortAttempt {
    std::string port;
    std::string result;   // "answered", "silent", "busy", "open failed", "absent"
    std::string error;    // UTF-8, the port's failure; empty when none
};

// `read-modem info PORT...`: the probe, then the information run on the first port that
// answered. Texts are UTF-8.
struct InfoMessage {
    std::string port;                 // the AT port read, as opened; empty when none answered
    std::string model;                // the probe's answer to AT+CGMM
    std::vector<std::string> rows;    // every row's value in table order; empty when not run
    std::string buyCodeUrl;           // empty when none is offered
    std::string lost;                 // why the run ended early; empty when it ran to the end
    std::string error;                // why the reading failed; empty on success
    bool busy = false;                // the port was held by another program
    std::vector<PortAttempt> tried;
};

// `read-modem signal PORT`: one reading of the signal, registration, SIM and radio facts.
struct SignalMessage {
    std::string port;
    bool answered = false;               // the modem replied to the signal query at all
    std::optional<int> csq;              // +CSQ's first field, as read
    std::optional<int> rssiDbm;          // its level, when it means one
    std::optional<int> registration;     // the <stat> of the first registration read that says registered
    std::string sim;                     // +CPIN's answer; empty when unknown
    RadioFacts radio;                    // the short form with the NR leg and every carrier
    RadioFamilyId radioFamily{};         // what to hand the next reading of this modem
    std::string error;                   // empty when the reading answered
    bool busy = false;
};

std::string InfoMessageLine(const InfoMessage& message);
std::string SignalMessageLine(const SignalMessage& message);

// The last line of `output` that holds a JSON object, read into `message`; false with the
// reason in `why` (no message, wrong shape, a key of the wrong type, output past the cap).
// Keys a message lacks keep their defaults; unknown keys are ignored.
bool ReadInfoMessage(const std::string& output, InfoMessage* message, std::string* why);
bool ReadSignalMessage(const std::string& output, SignalMessage* message, std::string* why);
