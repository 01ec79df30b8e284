// The exporter's readings, on its own schedule: the information run when a modem is first seen
// and at each rescan (for the labels), the signal of every modem each interval, each reading
// in a process of its own. Every device keeps its own schedule: a port that stalls an
// information run for its whole deadline delays that device's readings and nothing else, and a
// device is never read by two processes at once. Nothing is ever set on a modem; a port
// another program holds is skipped for that round and counted, never taken over.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fleet/child_processes.h"
#include "fleet/modem_state.h"
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
    // Called on the reading thread with what a person should know once (UTF-8, one line
    // without its end): modems found that share an IMEI.
    std::function<void(const std::string&)> notice;
};

struct ModemReading;

class ExporterRounds {
public:
    explicit ExporterRounds(const ExporterSettings& settings) : settings_(settings) {}

    // Reads until Stop; returns then with every reading process ended (and its locks gone).
    void Run();
    void Stop();

    ExporterSnapshot Snapshot() const;

private:
    using Clock = ExporterClock;

    // One device found (a USB device, or a port outside USB) and its own schedule.
    struct Device {
        ModemPorts ports;
        bool found = true;          // by the last rescan; one gone while read waits for its reading
        bool reading = false;       // a reading process of its own runs
        uint64_t dueRound = 0;      // the round its next signal reading belongs to; 0 none
        bool tried = false;         // an information run of it has ended
        bool afterInfo = false;     // that run has just ended: the signal due goes first
        bool named = false;         // an information run named it
        ModemIdentity identity;     // as that run named it, before shared IMEIs are told apart
        std::string id;             // the series it feeds; empty while it feeds none
        Clock::time_point nextInfo{};
    };
    // A reading process that ended, as its thread hands it back.
    struct Finished {
        std::string device;
        uint64_t worker = 0;
        bool info = false;
        uint64_t round = 0;         // the round a signal reading belongs to
        std::shared_ptr<const ModemReading> infoReading;   // shared: the header stays free of JSON
        ChildRun signalRun;
    };
    // A round: the signal reading of every modem due in it, each at the device's first chance.
    struct Round {
        Clock::time_point start{};
        size_t running = 0;
        size_t readings = 0;        // started for it
    };

    void Discover(Clock::time_point now);
    void OpenRound(Clock::time_point now);
    void StartDue(Clock::time_point now);
    void StartInfo(const std::string& key, Device* device);
    void StartSignal(const std::string& key, Device* device);
    void Settle(Finished* finished, Clock::time_point now);
    void SettleInfo(Device* device, const ModemReading& reading, Clock::time_point now);
    void SettleSignal(Device* device, const ChildRun& run, Clock::time_point now);
    void Rename();
    void Feed(Device* device, const std::string& key, const ModemIdentity& identity);
    void Unfeed(Device* device);
    size_t CompleteRounds(Clock::time_point now);
    void Forget(Clock::time_point now);
    Clock::time_point NextWake(Clock::time_point nextTick, Clock::time_point nextRescan) const;
    bool Answering(const Device& device) const;

    const ExporterSettings settings_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> stop_{false};
    std::map<std::string, Device> devices_;         // by USB path, else port path
    std::map<std::string, ExportedModem> modems_;   // by identity, also those no device feeds
    std::map<uint64_t, Round> rounds_open_;
    uint64_t round_ = 0;                            // the newest round
    std::vector<Finished> finished_;
    std::map<uint64_t, std::thread> workers_;       // the reading thread's alone
    uint64_t workerCount_ = 0;
    std::set<std::string> imeisTold_;
    std::vector<std::string> notices_;
    size_t sharedImeis_ = 0;
    double roundSeconds_ = 0;
    uint64_t rounds_ = 0;
    // The exporter's own failure (out of descriptors or processes), never a modem's: the
    // modem keeps its state and its count of failed readings.
    uint64_t readingStartFailures_ = 0;
    std::vector<UsbDevice> usbDevices_;   // as the last discovery found them
};
