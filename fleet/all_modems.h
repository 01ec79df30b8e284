// Reading every modem found at once, each in a process of its own with a deadline (see
// host/child_processes.h for why processes), and naming each by its stable identity.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "fleet/reading_protocol.h"
#include "host/device_identity.h"
#include "host/modem_identity.h"
#include "host/modem_ports.h"
#include "info/info_table.h"

struct ModemReading {
    ModemPorts ports;                 // the device's ports, in interface order
    std::string port;                 // the AT port read (as opened); empty when none answered
    int comNumber = 0;                // the AT port's COMn; 0 when none
    bool isModem = false;             // some port answered AT, was busy, or the read did not end
    bool started = true;              // false: its reading process could not start (no modem's fault)
    bool busy = false;                // its port was in use by another program
    bool timedOut = false;            // ended at the deadline
    std::string error;                // UTF-8, why the read failed; empty on success
    InfoMessage message;              // what the reading process said
    bool identified = false;
    DeviceIdentity device;            // of the AT port (or the first port when none answered)
    ModemIdentity identity;
};

// The information run on every modem of `modems`, all at once, each ended at `deadlineMs`.
// Results in the order of `modems`; a device on which no port answered and none was busy is
// no modem (isModem false). Modems that share an IMEI are told apart (TellApartSharedImeis).
// `stop`, when given and set, ends the reads early (see RunChildren).
std::vector<ModemReading> ReadModemsInfo(const std::vector<ModemPorts>& modems, uint32_t deadlineMs,
                                         const std::atomic<bool>* stop = nullptr);

// How the modem is named to a person: "E173 (COM5)" or "E173 (/dev/ttyUSB2)", 1251.
std::string ModemEntry(const ModemReading& modem);

// A row of the information run as the reading process sent it (UTF-8); empty when not read.
const std::string& RowOf(const InfoMessage& message, InfoRow row);
