#include "cli/all_modems.h"

#include "cli/report/identity_json.h"
#include "common/cp1251.h"
#include "host/child_processes.h"
#include "info/info_table.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Text(const Json& value) { return value.is_string() ? value.get<std::string>() : ""; }

// The IMEI row of a reading's rows, UTF-8 (digits, when it is one).
std::string ImeiRow(const Json& document) {
    const Json& rows = document.contains("rows") ? document["rows"] : Json();
    const int index = RowIndex(InfoRow::Imei);
    if (!rows.is_array() || static_cast<int>(rows.size()) <= index) return "";
    return Text(rows[index]["value"]);
}

void Settle(ModemReading* modem, const ChildRun& run, uint32_t deadlineMs) {
    modem->started = run.started;
    const Json document = Json::parse(run.out, nullptr, false);
    if (!document.is_object()) {
        modem->isModem = run.timedOut || run.exitCode != 1;
        modem->timedOut = run.timedOut;
        modem->error = run.timedOut ? "no result within the " + std::to_string(deadlineMs / 1000) + " s deadline"
                                    : !run.started ? "the reading process could not start"
                                                   : "the reading process ended without a result";
    } else {
        modem->document = document;
        modem->port = Text(document["port"]);
        modem->busy = document.value("busy", false);
        modem->error = Text(document["error"]);
        if (modem->error.empty()) modem->error = Text(document["lost"]);
        modem->isModem = !modem->port.empty() || modem->busy;
    }
    const std::string& path = modem->port.empty() ? modem->ports.ports.front().path : modem->port;
    for (const auto& port : modem->ports.ports) {
        if (port.path == path) modem->comNumber = port.comNumber;
    }
    modem->identified = IdentifyDevice(path, &modem->device);
    const int com = ComNamesAreTheSystems() ? modem->comNumber : 0;
    modem->identity = IdentityOfPort(ImeiRow(modem->document), modem->device, modem->identified, com, path);
}

}  // namespace

std::vector<ModemReading> ReadModemsInfo(const std::vector<ModemPorts>& modems, uint32_t deadlineMs,
                                         const std::atomic<bool>* stop) {
    std::vector<ChildRun> runs(modems.size());
    for (size_t i = 0; i < modems.size(); ++i) {
        runs[i].arguments = {"read-modem", "info"};
        for (const auto& port : modems[i].ports) runs[i].arguments.push_back(port.path);
    }
    RunChildren(&runs, deadlineMs, stop);
    std::vector<ModemReading> readings(modems.size());
    for (size_t i = 0; i < modems.size(); ++i) {
        readings[i].ports = modems[i];
        Settle(&readings[i], runs[i], deadlineMs);
    }
    return readings;
}

std::string ModemEntry(const ModemReading& modem) {
    std::string model;
    Utf8ToCp1251(Text(modem.document.contains("model") ? modem.document["model"] : Json()), &model);
    const std::string& path = modem.port.empty() ? modem.ports.ports.front().path : modem.port;
    const std::string where = modem.comNumber != 0 ? "COM" + std::to_string(modem.comNumber) : path;
    return model.empty() ? "(" + where + ")" : model + " (" + where + ")";
}
