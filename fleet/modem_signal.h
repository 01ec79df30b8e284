// One reading of a modem's signal, state and radio, asking only: no ATE0, no report mode or
// other setting changed (the exporter leaves every modem as it found it). The readings of
// `info --all`, `watch --all` and `serve` each run in a process of their own, so what the
// modem answers to (which radio family) is found out once and handed to the next reading.
#pragma once

#include <optional>
#include <string>

#include "link/serial_port.h"
#include "radio/radio_facts.h"
#include "radio/radio_families.h"

struct ModemSignal {
    bool answered = false;               // the modem replied to the signal query at all
    std::optional<int> csq;              // +CSQ's first field, as read
    std::optional<int> rssiDbm;          // its level, when it means one (3GPP TS 27.007)
    // The <stat> (3GPP TS 27.007: 1 home, 5 roaming, 0/2/3/4 not registered) of the first of
    // +C5GREG, +CEREG, +CGREG, +CREG that says registered; else of the last that answered.
    std::optional<int> registration;
    std::string sim;                     // +CPIN's answer ("READY", "SIM PIN"); empty when none
    RadioFacts radio;                    // technology, RSSI, RSRP, RSRQ, SINR, band, PCI, the
                                         // EN-DC NR leg and the carriers as known
    // For the next reading of this modem: what it answers for the radio facts; untried when
    // this reading ended before it found out.
    RadioFamilyId radioFamily;
    std::string portError;               // the port's failure text once it failed, else empty
};

// `knownFamily`: what an earlier reading of the same modem put in radioFamily; untried has the
// families probed, each one it lacks costing one ERROR.
ModemSignal ReadModemSignal(PortHandle port, RadioFamilyId knownFamily);
