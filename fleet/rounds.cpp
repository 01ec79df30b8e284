#include "fleet/rounds.h"

#include <cstdlib>
#include <set>

#include "fleet/all_modems.h"
#include "fleet/child_processes.h"
#include "fleet/reading_protocol.h"
#include "common/result_codes.h"
#include "info/info_table.h"

namespace {

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
    snapshot.roundSeconds = roundSeconds_;
    snapshot.rounds = rounds_;
    snapshot.now = ExporterClock::now();
    snapshot.version = settings_.version;
    return snapshot;
}

void ExporterRounds::Run() {
    auto nextRescan = ExporterClock::now();
    auto next = ExporterClock::now();
    while (!stop_.load()) {
        const auto start = ExporterClock::now();
        if (start >= nextRescan) {
            Rescan();
            nextRescan = start + std::chrono::seconds(settings_.rescanSeconds);
        }
        if (stop_.load()) break;
        SignalRound();
        Forget();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            roundSeconds_ = std::chrono::duration<double>(ExporterClock::now() - start).count();
            ++rounds_;
        }
        if (settings_.afterRound && !stop_.load()) settings_.afterRound();
        // The schedule keeps to the clock from the start: a slow round does not make the
        // readings drift, and a slot it outlasts is skipped.
        const auto interval = std::chrono::seconds(settings_.intervalSeconds);
        while (next <= ExporterClock::now()) next += interval;
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_until(lock, next, [this] { return stop_.load(); });
    }
}

void ExporterRounds::Rescan() {
    const std::vector<ModemPorts> found = FindModemPorts(settings_.choice);
    std::set<std::string> present;
    std::vector<ModemPorts> unread;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::set<std::string> answering;
        for (const auto& entry : modems_) {
            if (entry.second.up) answering.insert(entry.second.device);
        }
        for (const auto& ports : found) {
            present.insert(DeviceKey(ports));
            if (settings_.rereadKnown || answering.count(DeviceKey(ports)) == 0) unread.push_back(ports);
        }
        // A modem no longer found is down from now on, until --forget-after ends its series.
        for (auto& entry : modems_) {
            entry.second.present = present.count(entry.second.device) != 0;
            if (!entry.second.present) entry.second.up = false;
        }
    }
    std::vector<ModemReading> readings =
        ReadModemsInfo(unread, static_cast<uint32_t>(settings_.timeoutSeconds) * 1000u, &stop_);
    const auto now = ExporterClock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& reading : readings) {
        const std::string device = DeviceKey(reading.ports);
        if (reading.busy) {
            for (auto& entry : modems_) {
                if (entry.second.device == device) ++entry.second.portsBusy;
            }
            continue;
        }
        if (!reading.isModem || reading.port.empty() || !reading.error.empty()) {
            for (auto& entry : modems_) {
                if (entry.second.device == device) {
                    entry.second.up = false;
                    ++entry.second.readingsFailed;
                }
            }
            continue;
        }
        ExportedModem& modem = modems_[reading.identity.id];
        // The same stick in another socket is still the same modem: it moves with its IMEI.
        modem.identity = reading.identity;
        modem.device = device;
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
        modem.present = true;
    }
}

void ExporterRounds::SignalRound() {
    std::vector<std::string> ids;
    std::vector<ChildRun> runs;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& entry : modems_) {
            if (!entry.second.present || entry.second.port.empty()) continue;
            ids.push_back(entry.first);
            ChildRun run;
            run.arguments = {"read-modem", "signal", entry.second.port};
            if (!entry.second.radioFamily.IsUntried()) {
                run.arguments.push_back("--radio-family");
                run.arguments.push_back(RadioFamilyText(entry.second.radioFamily));
            }
            runs.push_back(run);
        }
    }
    const int deadline = settings_.intervalSeconds < 10 ? 10 : settings_.intervalSeconds;
    RunChildren(&runs, static_cast<uint32_t>(deadline) * 1000u, &stop_);
    if (stop_.load()) return;
    const auto now = ExporterClock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < ids.size(); ++i) {
        auto found = modems_.find(ids[i]);
        if (found == modems_.end()) continue;
        ExportedModem& modem = found->second;
        SignalMessage reading;
        std::string why;
        const bool read = ReadSignalMessage(runs[i].out, &reading, &why);
        if (read && reading.busy) {
            ++modem.portsBusy;
            continue;
        }
        if (!read || !reading.error.empty()) {
            modem.up = false;
            ++modem.readingsFailed;
            continue;
        }
        modem.up = true;
        modem.csq = reading.csq;
        modem.rssiDbm = reading.rssiDbm;
        modem.registration = reading.registration;
        modem.sim = reading.sim;
        modem.radio = reading.radio;
        if (!reading.radioFamily.IsUntried()) modem.radioFamily = reading.radioFamily;
        modem.lastGood = now;
        modem.lastSeen = now;
    }
}

void ExporterRounds::Forget() {
    const auto now = ExporterClock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto entry = modems_.begin(); entry != modems_.end();) {
        const bool gone = !entry->second.up &&
                          now - entry->second.lastSeen > std::chrono::seconds(settings_.forgetAfterSeconds);
        entry = gone ? modems_.erase(entry) : std::next(entry);
    }
}
