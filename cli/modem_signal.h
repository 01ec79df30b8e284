// One reading of a modem's signal and state, asking only (no report mode or setting is
// changed). Kept behind this one function so the radio facts can take its place.
#pragma once

#include <optional>
#include <string>

class PortSession;

struct ModemSignal {
    bool answered = false;               // the modem replied to the signal query at all
    std::optional<int> csq;              // +CSQ's first field, as read
    std::optional<int> rssiDbm;          // its level, when it means one (3GPP TS 27.007)
    std::optional<int> registration;     // +CREG's <stat>: 0 not registered .. 5 roaming
    std::string sim;                     // +CPIN's answer ("READY", "SIM PIN"), "ERROR", or empty
};

ModemSignal ReadModemSignal(PortSession& session);
