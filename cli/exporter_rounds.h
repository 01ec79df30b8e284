// The exporter's readings, on its own schedule: the information run when a modem is first seen
// and at each rescan (for the labels), the signal of every modem each interval, all modems at
// once, each in a process of its own. Nothing is ever set on a modem; a port another program
// holds is skipped for that round and counted, never taken over.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "cli/exporter_state.h"
#include "host/modem_ports.h"

struct ExporterSettings {
    PortChoice choice;
    int intervalSeconds = 15;
    int rescanSeconds = 60;
    int forgetAfterSeconds = 600;
    int timeoutSeconds = 60;   // one modem's information run
    std::string version;
    bool rereadKnown = true;   // false: a rescan reads only devices not answering yet (watch)
    std::function<void()> afterRound;   // called on the reading thread after each round
};

class ExporterRounds {
public:
    explicit ExporterRounds(const ExporterSettings& settings) : settings_(settings) {}

    // Reads until Stop; returns then with every reading process ended (and its locks gone).
    void Run();
    void Stop();

    ExporterSnapshot Snapshot() const;

private:
    void Rescan();
    void SignalRound();
    void Forget();

    const ExporterSettings settings_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> stop_{false};
    std::map<std::string, ExportedModem> modems_;   // by identity
    double roundSeconds_ = 0;
    uint64_t rounds_ = 0;
    // The exporter's own failure (out of descriptors or processes), never a modem's: the
    // modem keeps its state and its count of failed readings.
    uint64_t readingStartFailures_ = 0;
};
