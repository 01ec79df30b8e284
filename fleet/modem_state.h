// What the exporter knows about each modem between readings. Scrapes are answered from this
// alone, never by talking to a modem: an AT port is slow and shared with other programs, and
// a silent one takes a minute.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fleet/signal_history.h"
#include "host/modem_identity.h"
#include "host/usb_modem_devices.h"
#include "radio/radio_facts.h"
#include "radio/radio_families.h"

using ExporterClock = std::chrono::steady_clock;

struct ExportedModem {
    ModemIdentity identity;
    std::string device;         // the USB path, or the port path outside USB: found again on rescans
    std::string port;           // the AT port the readings use
    std::string model, firmware, technology, operatorName;   // UTF-8, from the information run
    std::optional<int> attemptsLeft;
    bool up = false;            // the last reading got an answer
    bool present = true;        // a device found by the last rescan goes by this identity
    std::optional<int> csq, rssiDbm, registration;
    std::string sim;            // +CPIN's answer; empty when unknown
    // The radio facts of the last reading (a radio family's, or +CESQ's), as its short JSON
    // form carries them: technology, RSSI, RSRP, RSRQ, SINR, band and PCI.
    RadioFacts radio;
    // What the readings found to ask for them, handed to the next reading so that it does not
    // probe again; untried until found out.
    RadioFamilyId radioFamily;
    ExporterClock::time_point infoAt{};
    std::optional<ExporterClock::time_point> lastGood;   // the last reading that answered
    // Answered, or found until then: when its device was no longer found or went by another
    // identity. A series no device feeds (not present) ends --forget-after seconds after it.
    ExporterClock::time_point lastSeen{};
    uint64_t readingsFailed = 0;
    std::string failure;        // why the last reading failed (UTF-8); empty once one answers
    uint64_t portsBusy = 0;
    std::shared_ptr<const SignalHistory> history;   // the answered readings; null before the first
};

struct ExporterSnapshot {
    std::vector<ExportedModem> modems;   // in identity order, also those no device goes by now
    size_t modemsFound = 0;              // devices found that an information run named
    size_t sharedImeis = 0;              // of those, the ones whose IMEI another also gives
    double roundSeconds = 0;             // the last reading round, all modems
    uint64_t rounds = 0;
    uint64_t readingStartFailures = 0;   // reading processes that could not start
    // The USB devices that are or may be modems, as the last discovery saw them: a stick
    // fell back into storage mode shows here while it has no port to read.
    std::vector<UsbDevice> usbDevices;
    ExporterClock::time_point now{};
    std::string version;
};

// The technology as the last reading named it, else as the information run gave it.
inline std::string TechnologyOf(const ExportedModem& modem) {
    const char* rat = TechName(modem.radio.tech);
    return rat != nullptr ? rat : modem.technology;
}
