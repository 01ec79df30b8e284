// What the exporter knows about each modem between readings. Scrapes are answered from this
// alone, never by talking to a modem: an AT port is slow and shared with other programs, and
// a silent one takes a minute.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/modem_identity.h"

using ExporterClock = std::chrono::steady_clock;

struct ExportedModem {
    ModemIdentity identity;
    std::string device;         // the USB path, or the port path outside USB: found again on rescans
    std::string port;           // the AT port the readings use
    std::string model, firmware, technology, operatorName;   // UTF-8, from the information run
    std::optional<int> attemptsLeft;
    bool up = false;            // the last reading got an answer
    bool present = true;        // found by the last rescan
    std::optional<int> csq, rssiDbm, registration;
    std::string sim;            // +CPIN's answer; empty when unknown
    // The radio facts of the last reading (a radio family's, or +CESQ's): the technology
    // ("LTE", empty when unknown), the metrics in dBm or dB, band and PCI.
    std::string rat;
    std::optional<double> rssi, rsrp, rsrq, sinr;
    std::optional<long long> band, pci;
    // What the readings found to ask for them ("^HCSQ", "+CESQ", "none"), handed to the next
    // reading so that it does not probe again; empty until found out.
    std::string radioFamily;
    ExporterClock::time_point infoAt{};
    std::optional<ExporterClock::time_point> lastGood;   // the last reading that answered
    ExporterClock::time_point lastSeen{};                 // found or answered
    uint64_t readingsFailed = 0;
    uint64_t portsBusy = 0;
};

struct ExporterSnapshot {
    std::vector<ExportedModem> modems;   // in identity order
    double roundSeconds = 0;             // the last reading round, all modems
    uint64_t rounds = 0;
    uint64_t readingStartFailures = 0;   // reading processes that could not start
    ExporterClock::time_point now{};
    std::string version;
};

// The technology as the last reading named it, else as the information run gave it.
inline const std::string& TechnologyOf(const ExportedModem& modem) {
    return modem.rat.empty() ? modem.technology : modem.rat;
}

// The Prometheus text exposition (format 0.0.4) of a snapshot: one HELP and TYPE per family.
std::string MetricsText(const ExporterSnapshot& snapshot);

// A short HTML page: what is served and the modems known, every modem text escaped.
std::string StatusPage(const ExporterSnapshot& snapshot);
