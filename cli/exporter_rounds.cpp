#include "cli/exporter_rounds.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>

#include "cli/all_modems.h"
#include "host/child_processes.h"
#include "info/info_table.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Row(const Json& document, InfoRow row) {
    const Json& rows = document.contains("rows") ? document["rows"] : Json();
    const size_t index = static_cast<size_t>(RowIndex(row));
    if (!rows.is_array() || rows.size() <= index || !rows[index]["value"].is_string()) return "";
    return rows[index]["value"].get<std::string>();
}

std::optional<int> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::atoi(text.c_str());
}

std::optional<int> OptionalInt(const Json& value) {
    return value.is_number_integer() ? std::optional<int>(value.get<int>()) : std::nullopt;
}

std::optional<double> OptionalDouble(const Json& value) {
    return value.is_number() ? std::optional<double>(value.get<double>()) : std::nullopt;
}

std::optional<long long> OptionalLong(const Json& value) {
    return value.is_number_integer() ? std::optional<long long>(value.get<long long>()) : std::nullopt;
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
    snapshot.readingStartFailures = readingStartFailures_;
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
        if (!reading.started) {
            ++readingStartFailures_;
            continue;
        }
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
        const std::string model = Row(reading.document, InfoRow::Model);
        const std::string firmware = Row(reading.document, InfoRow::FirmwareVersion);
        // Other firmware (or, without an IMEI, another stick in the socket) may answer
        // another radio family: the next reading finds out again.
        if (model != modem.model || firmware != modem.firmware) modem.radioFamily.clear();
        modem.model = model;
        modem.firmware = firmware;
        modem.technology = Row(reading.document, InfoRow::SystemMode);
        modem.operatorName = Row(reading.document, InfoRow::Operator);
        modem.attemptsLeft = WholeNumber(Row(reading.document, InfoRow::AttemptsLeft));
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
            if (!entry.second.radioFamily.empty()) {
                run.arguments.push_back("--radio-family");
                run.arguments.push_back(entry.second.radioFamily);
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
        if (!runs[i].started) {
            ++readingStartFailures_;
            continue;
        }
        const Json reading = Json::parse(runs[i].out, nullptr, false);
        if (reading.is_object() && reading.value("busy", false)) {
            ++modem.portsBusy;
            continue;
        }
        if (!reading.is_object() || !reading["error"].is_null()) {
            modem.up = false;
            ++modem.readingsFailed;
            continue;
        }
        modem.up = true;
        modem.csq = OptionalInt(reading["csq"]);
        modem.rssiDbm = OptionalInt(reading["rssi_dbm"]);
        modem.registration = OptionalInt(reading["registration"]);
        modem.sim = reading["sim"].is_string() ? reading["sim"].get<std::string>() : "";
        modem.rat = reading["rat"].is_string() ? reading["rat"].get<std::string>() : "";
        modem.rssi = OptionalDouble(reading["rssi"]);
        modem.rsrp = OptionalDouble(reading["rsrp"]);
        modem.rsrq = OptionalDouble(reading["rsrq"]);
        modem.sinr = OptionalDouble(reading["sinr"]);
        modem.band = OptionalLong(reading["band"]);
        modem.pci = OptionalLong(reading["pci"]);
        if (reading["radio_family"].is_string()) modem.radioFamily = reading["radio_family"].get<std::string>();
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
