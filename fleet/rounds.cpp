#include "fleet/rounds.h"

#include <chrono>
#include <cstdlib>
#include <system_error>

#include "common/result_codes.h"
#include "fleet/all_modems.h"
#include "fleet/reading_protocol.h"
#include "info/info_table.h"

namespace {

// The main figures of a reading just settled, at the wall clock's time (the history is shown
// with the times a person reads).
SignalPoint HistoryPoint(const ExportedModem& modem) {
    SignalPoint point;
    point.unixMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch()).count();
    if (modem.rssiDbm) point.csqRssiDbm = static_cast<float>(*modem.rssiDbm);
    const auto figure = [&](MetricKind kind, float* into) {
        if (modem.radio.Get(kind).known) *into = static_cast<float>(modem.radio.Get(kind).value);
    };
    figure(MetricKind::Rssi, &point.rssi);
    figure(MetricKind::Rsrp, &point.rsrp);
    figure(MetricKind::Rsrq, &point.rsrq);
    figure(MetricKind::Sinr, &point.sinr);
    return point;
}

// A row's value for the labels, "" when the modem gave none: the row itself keeps the
// ERROR it shows in the window and in `info`.
std::string Label(const InfoMessage& message, InfoRow row) {
    const std::string& value = RowOf(message, row);
    return IsModemValue(value) ? value : "";
}

std::optional<int> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::atoi(text.c_str());
}

std::string DeviceKey(const ModemPorts& ports) {
    return ports.usbPath.empty() ? ports.ports.front().path : "usb:" + ports.usbPath;
}

}  // namespace

void ExporterRounds::Stop() {
    stop_.store(true);
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_all();
}

ExporterSnapshot ExporterRounds::Snapshot() const {
    ExporterSnapshot snapshot;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : modems_) snapshot.modems.push_back(entry.second);
    for (const auto& entry : devices_) snapshot.modemsFound += entry.second.found && entry.second.named ? 1 : 0;
    snapshot.sharedImeis = sharedImeis_;
    snapshot.roundSeconds = roundSeconds_;
    snapshot.rounds = rounds_;
    snapshot.readingStartFailures = readingStartFailures_;
    snapshot.usbDevices = usbDevices_;
    snapshot.now = ExporterClock::now();
    snapshot.version = settings_.version;
    return snapshot;
}

// The reading thread only decides and books: each reading runs on a thread of its own that
// waits for its process, so a reading that takes its whole deadline holds up no other device.
void ExporterRounds::Run() {
    const auto interval = std::chrono::seconds(settings_.intervalSeconds);
    const auto rescan = std::chrono::seconds(settings_.rescanSeconds);
    auto nextTick = Clock::now();
    auto nextRescan = nextTick;
    while (!stop_.load()) {
        auto now = Clock::now();
        if (now >= nextRescan) {
            Discover(now);
            // Both schedules keep to the clock from the start: a slot the thread missed is skipped.
            while (nextRescan <= now) nextRescan += rescan;
        }
        size_t completed = 0;
        std::vector<std::string> notices;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            now = Clock::now();
            if (now >= nextTick) {
                OpenRound(now);
                while (nextTick <= now) nextTick += interval;
            }
            std::vector<Finished> finished;
            finished.swap(finished_);
            for (auto& reading : finished) Settle(&reading, now);
            StartDue(now);
            completed = CompleteRounds(now);
            Forget(now);
            notices.swap(notices_);
        }
        for (const auto& text : notices) {
            if (settings_.notice) settings_.notice(text);
        }
        for (size_t i = 0; i < completed && !stop_.load(); ++i) {
            if (settings_.afterRound) settings_.afterRound();
        }
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_until(lock, NextWake(nextTick, nextRescan),
                         [this] { return stop_.load() || !finished_.empty(); });
    }
    // Stop is set: each reading thread ends its process (SIGTERM, so its lock goes) and returns.
    for (auto& worker : workers_) worker.second.join();
    workers_.clear();
}

ExporterRounds::Clock::time_point ExporterRounds::NextWake(Clock::time_point nextTick,
                                                           Clock::time_point nextRescan) const {
    auto wake = nextTick < nextRescan ? nextTick : nextRescan;
    for (const auto& entry : devices_) {
        const Device& device = entry.second;
        if (device.found && !device.reading && device.nextInfo < wake) wake = device.nextInfo;
    }
    return wake;
}

void ExporterRounds::Discover(Clock::time_point now) {
    const std::vector<ModemPorts> found = FindModemPorts(settings_.choice);
    bool surveyed = false;
    std::vector<UsbDevice> usb = ListUsbModemDevices(&surveyed);
    std::lock_guard<std::mutex> lock(mutex_);
    usbDevices_ = std::move(usb);
    std::set<std::string> present;
    for (const auto& ports : found) {
        const std::string key = DeviceKey(ports);
        present.insert(key);
        auto known = devices_.find(key);
        if (known == devices_.end()) {
            Device device;
            device.ports = ports;
            device.nextInfo = now;
            devices_.emplace(key, device);
        } else {
            known->second.ports = ports;
            known->second.found = true;
        }
    }
    // A device no longer found: its series is down from now on, until --forget-after ends it.
    for (auto entry = devices_.begin(); entry != devices_.end();) {
        Device& device = entry->second;
        if (present.count(entry->first) != 0) {
            ++entry;
            continue;
        }
        Unfeed(&device);
        device.named = false;
        device.found = false;
        entry = device.reading ? std::next(entry) : devices_.erase(entry);
    }
    Rename();
}

void ExporterRounds::OpenRound(Clock::time_point now) {
    Round round;
    round.start = now;
    rounds_open_[++round_] = round;
    // A device still due in an earlier round that is open stays that round's: it reads once
    // it is free, and the rounds after it do not wait for it.
    for (auto& entry : devices_) {
        Device& device = entry.second;
        if (device.dueRound == 0 || rounds_open_.count(device.dueRound) == 0) device.dueRound = round_;
    }
}

bool ExporterRounds::Answering(const Device& device) const {
    const auto series = modems_.find(device.id);
    return device.named && series != modems_.end() && series->second.up;
}

// What is due and free starts now: a device's information run first (a rescan, or a device
// not named yet), then its signal reading for the newest round, right after that run when
// both fall due together.
void ExporterRounds::StartDue(Clock::time_point now) {
    for (auto& entry : devices_) {
        Device& device = entry.second;
        if (!device.found || device.reading) continue;
        const bool signalDue = device.dueRound != 0 && device.named && !device.id.empty();
        // A signal reading due when an information run ends goes before the next run: a run
        // that takes longer than --rescan (a loaded machine) finds the next one due as it
        // ends, and the signal would otherwise never be read.
        const bool signalFirst = device.afterInfo && signalDue;
        device.afterInfo = false;
        if (now >= device.nextInfo && !signalFirst) {
            device.nextInfo = now + std::chrono::seconds(settings_.rescanSeconds);
            if (settings_.rereadKnown || !Answering(device)) {
                StartInfo(entry.first, &device);
                continue;
            }
        }
        if (signalDue) StartSignal(entry.first, &device);
    }
}

void ExporterRounds::StartInfo(const std::string& key, Device* device) {
    const uint64_t worker = ++workerCount_;
    const ModemPorts ports = device->ports;
    const uint32_t deadlineMs = static_cast<uint32_t>(settings_.timeoutSeconds) * 1000u;
    try {
        workers_.emplace(worker, std::thread([this, key, worker, ports, deadlineMs] {
            Finished finished;
            finished.device = key;
            finished.worker = worker;
            finished.info = true;
            finished.infoReading = std::make_shared<const ModemReading>(ReadModemsInfo({ports}, deadlineMs, &stop_)[0]);
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.push_back(std::move(finished));
            wake_.notify_all();
        }));
        device->reading = true;
    } catch (const std::system_error&) {
        // No thread to wait for it: the device is tried again at its next rescan.
    }
}

void ExporterRounds::StartSignal(const std::string& key, Device* device) {
    const auto series = modems_.find(device->id);
    if (series == modems_.end()) return;
    ChildRun run;
    run.arguments = {"read-modem", "signal", series->second.port};
    if (!series->second.radioFamily.IsUntried()) {
        run.arguments.push_back("--radio-family");
        run.arguments.push_back(RadioFamilyText(series->second.radioFamily));
    }
    const uint64_t worker = ++workerCount_;
    // A reading that comes after its round was closed belongs to none.
    const auto open = rounds_open_.find(device->dueRound);
    const uint64_t round = open != rounds_open_.end() ? device->dueRound : 0;
    const int deadline = settings_.intervalSeconds < 10 ? 10 : settings_.intervalSeconds;
    try {
        workers_.emplace(worker, std::thread([this, key, worker, round, run, deadline]() mutable {
            std::vector<ChildRun> runs{run};
            RunChildren(&runs, static_cast<uint32_t>(deadline) * 1000u, &stop_);
            Finished finished;
            finished.device = key;
            finished.worker = worker;
            finished.round = round;
            finished.signalRun = std::move(runs[0]);
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.push_back(std::move(finished));
            wake_.notify_all();
        }));
        device->reading = true;
        device->dueRound = 0;
        if (open != rounds_open_.end()) {
            ++open->second.running;
            ++open->second.readings;
        }
    } catch (const std::system_error&) {
        // No thread to wait for it: the device stays due and is tried again at the next wake.
    }
}

void ExporterRounds::Settle(Finished* finished, Clock::time_point now) {
    auto worker = workers_.find(finished->worker);
    if (worker != workers_.end()) {
        worker->second.join();   // it has handed its reading over and is returning
        workers_.erase(worker);
    }
    if (!finished->info) {
        auto round = rounds_open_.find(finished->round);
        if (round != rounds_open_.end() && round->second.running > 0) --round->second.running;
    }
    auto entry = devices_.find(finished->device);
    if (entry == devices_.end()) return;
    Device& device = entry->second;
    device.reading = false;
    if (!device.found) {
        devices_.erase(entry);
        return;
    }
    if (stop_.load()) return;
    if (finished->info) {
        device.afterInfo = true;
        device.tried = true;
        SettleInfo(&device, *finished->infoReading, now);
    } else {
        SettleSignal(&device, finished->signalRun, now);
    }
}

void ExporterRounds::SettleInfo(Device* device, const ModemReading& reading, Clock::time_point now) {
    auto series = modems_.find(device->id);
    if (!reading.started) {
        ++readingStartFailures_;
        return;
    }
    if (reading.busy) {
        if (series != modems_.end()) ++series->second.portsBusy;
        // Skipped for this round only: another program's session on the port is no reason to
        // wait a whole rescan (or, with a long --rescan, for ever) before naming the modem.
        device->nextInfo = now + std::chrono::seconds(settings_.intervalSeconds);
        return;
    }
    if (!reading.isModem || reading.port.empty() || !reading.error.empty()) {
        if (series != modems_.end()) {
            series->second.up = false;
            ++series->second.readingsFailed;
            series->second.failure = !reading.error.empty() ? reading.error : "no port answered AT";
        }
        return;
    }
    // The information run names the device; another IMEI than before (new firmware, another
    // stick in the socket) is another series, and the old one goes down.
    device->named = true;
    device->identity = reading.identity;
    Rename();
    ExportedModem& modem = modems_[device->id];
    modem.port = reading.port;
    const std::string model = Label(reading.message, InfoRow::Model);
    const std::string firmware = Label(reading.message, InfoRow::FirmwareVersion);
    // Other firmware (or, without an IMEI, another stick in the socket) may answer
    // another radio family: the next reading finds out again.
    if (model != modem.model || firmware != modem.firmware) modem.radioFamily = RadioFamilyId();
    modem.model = model;
    modem.firmware = firmware;
    modem.technology = Label(reading.message, InfoRow::SystemMode);
    modem.operatorName = Label(reading.message, InfoRow::Operator);
    modem.attemptsLeft = WholeNumber(Label(reading.message, InfoRow::AttemptsLeft));
    modem.infoAt = now;
    modem.lastSeen = now;
}

void ExporterRounds::SettleSignal(Device* device, const ChildRun& run, Clock::time_point now) {
    auto series = modems_.find(device->id);
    if (device->id.empty() || series == modems_.end()) return;
    ExportedModem& modem = series->second;
    if (!run.exit.Started()) {
        ++readingStartFailures_;
        return;
    }
    SignalMessage reading;
    std::string why;
    const bool read = ReadSignalMessage(run.out, &reading, &why);
    if (read && reading.busy) {
        ++modem.portsBusy;
        return;
    }
    if (!read || !reading.error.empty()) {
        modem.up = false;
        ++modem.readingsFailed;
        modem.failure = read ? reading.error
                        : run.exit.kind == ChildExit::Kind::TimedOut ? "no result within the reading's deadline"
                                                                      : ChildFailureText(run, why);
        return;
    }
    modem.up = true;
    modem.failure.clear();
    modem.csq = reading.csq;
    modem.rssiDbm = reading.rssiDbm;
    modem.registration = reading.registration;
    modem.sim = reading.sim;
    modem.radio = reading.radio;
    if (!reading.radioFamily.IsUntried()) modem.radioFamily = reading.radioFamily;
    modem.lastGood = now;
    modem.lastSeen = now;
    modem.history = WithPoint(modem.history, HistoryPoint(modem));
}

// Each named device's series, worked out afresh whenever what was found or named changes:
// shared IMEIs are told apart while their holders are found, and a device whose name changes
// leaves its old series down (forgotten after --forget-after) and feeds the new one.
void ExporterRounds::Rename() {
    std::vector<std::string> keys;
    std::vector<ModemIdentity> identities;
    for (const auto& entry : devices_) {
        if (!entry.second.found || !entry.second.named) continue;
        keys.push_back(entry.first);
        identities.push_back(entry.second.identity);
    }
    sharedImeis_ = TellApartSharedImeis(&identities);
    // All renamed devices leave their series before any takes its new one: two devices may
    // swap names.
    std::vector<size_t> renamed;
    for (size_t i = 0; i < keys.size(); ++i) {
        Device& device = devices_[keys[i]];
        if (device.id == identities[i].id) {
            if (!device.id.empty()) modems_[device.id].identity = identities[i];
            continue;
        }
        renamed.push_back(i);
    }
    // A device that keeps its IMEI and is only told apart from a twin (or no longer needs to
    // be) takes its series along under the new name: no modem went down. One that gives
    // another IMEI leaves its old series down; its facts and last reading go with it, but the
    // counters of the new series are that series' own.
    std::map<size_t, ExportedModem> carried;
    std::set<size_t> moved;
    for (size_t i : renamed) {
        Device& device = devices_[keys[i]];
        auto series = modems_.find(device.id);
        if (series == modems_.end()) continue;
        carried[i] = series->second;
        if (!identities[i].imei.empty() && series->second.identity.imei == identities[i].imei) {
            moved.insert(i);
            modems_.erase(series);
            device.id.clear();
        } else {
            Unfeed(&device);
        }
    }
    for (size_t i : renamed) {
        Device& device = devices_[keys[i]];
        Feed(&device, keys[i], identities[i]);
        auto from = carried.find(i);
        if (from == carried.end()) continue;
        ExportedModem& modem = modems_[device.id];
        const uint64_t failed = modem.readingsFailed, busy = modem.portsBusy;
        modem = from->second;
        modem.identity = identities[i];
        modem.device = keys[i];
        modem.present = true;
        if (moved.count(i) == 0) {
            modem.readingsFailed = failed;
            modem.portsBusy = busy;
        }
    }
    // Said once per IMEI, with the devices that share it when that is first seen.
    std::map<std::string, std::string> sharers;
    for (const auto& identity : identities) {
        const size_t at = identity.id.find('@');
        if (at == std::string::npos || imeisTold_.count(identity.imei) != 0) continue;
        std::string& where = sharers[identity.imei];
        where += (where.empty() ? "" : ", ") + identity.id.substr(at + 1);
    }
    for (const auto& sharer : sharers) {
        imeisTold_.insert(sharer.first);
        notices_.push_back("IMEI " + sharer.first + " is given by more than one modem (" + sharer.second +
                           "): each is named imei:" + sharer.first + "@<USB or device path> while they share it");
    }
}

// The device feeds the series of `identity` from now on; a series the same stick left in
// another socket is taken up again, with its counters.
void ExporterRounds::Feed(Device* device, const std::string& key, const ModemIdentity& identity) {
    device->id = identity.id;
    ExportedModem& modem = modems_[identity.id];
    modem.identity = identity;
    modem.device = key;
    modem.present = true;
}

// --forget-after counts from here: the modem was found until now.
void ExporterRounds::Unfeed(Device* device) {
    auto series = modems_.find(device->id);
    device->id.clear();
    if (series == modems_.end()) return;
    series->second.up = false;
    series->second.present = false;
    series->second.lastSeen = Clock::now();
}

// A round ends when its readings have, and no modem due in it is still to read: one busy with
// an earlier reading or its information run, or a device in its first information run. A
// stalled one holds up its own round alone, and that for its deadline at most.
size_t ExporterRounds::CompleteRounds(Clock::time_point now) {
    std::set<uint64_t> awaited;
    for (const auto& entry : devices_) {
        const Device& device = entry.second;
        if (device.found && device.dueRound != 0 && (device.named || !device.tried)) awaited.insert(device.dueRound);
    }
    size_t completed = 0;
    bool earlierOpen = false;
    for (auto round = rounds_open_.begin(); round != rounds_open_.end();) {
        if (round->second.running > 0 || awaited.count(round->first) != 0) {
            earlierOpen = true;
            ++round;
            continue;
        }
        // Every modem due in it was still due in an earlier round: it read nothing, and is none.
        if (round->second.readings == 0 && earlierOpen) {
            round = rounds_open_.erase(round);
            continue;
        }
        roundSeconds_ = std::chrono::duration<double>(now - round->second.start).count();
        ++rounds_;
        ++completed;
        round = rounds_open_.erase(round);
    }
    return completed;
}

// Only a series no device found feeds ends: a modem that is found but does not answer shows
// down, however long that lasts.
void ExporterRounds::Forget(Clock::time_point now) {
    for (auto entry = modems_.begin(); entry != modems_.end();) {
        const ExportedModem& modem = entry->second;
        const bool gone = !modem.present && !modem.up &&
                          now - modem.lastSeen > std::chrono::seconds(settings_.forgetAfterSeconds);
        entry = gone ? modems_.erase(entry) : std::next(entry);
    }
}
