#include "fleet/all_modems.h"

#include "common/cp1251.h"
#include "fleet/child_processes.h"
#include "info/info_table.h"

namespace {

void Settle(ModemReading* modem, const ChildRun& run, uint32_t deadlineMs) {
    modem->started = run.exit.Started();
    std::string why;
    if (!ReadInfoMessage(run.out, &modem->message, &why)) {
        // No message: the process did not start, was ended at the deadline, or died. Only a
        // plain "no port answered" exit counts as no modem.
        const bool timedOut = run.exit.kind == ChildExit::Kind::TimedOut;
        modem->isModem = timedOut || !run.exit.ExitedWith(kReadingFailedExit);
        modem->timedOut = timedOut;
        modem->error = timedOut ? "no result within the " + std::to_string(deadlineMs / 1000) + " s deadline"
                                : ChildFailureText(run, why);
    } else {
        modem->port = modem->message.port;
        modem->busy = modem->message.busy;
        modem->error = !modem->message.error.empty() ? modem->message.error : modem->message.lost;
        modem->isModem = !modem->port.empty() || modem->busy;
    }
    const std::string& path = modem->port.empty() ? modem->ports.ports.front().path : modem->port;
    for (const auto& port : modem->ports.ports) {
        if (port.path == path) modem->comNumber = port.comNumber;
    }
    modem->identified = IdentifyDevice(path, &modem->device);
    const int com = ComNamesAreTheSystems() ? modem->comNumber : 0;
    modem->identity = IdentityOfPort(RowOf(modem->message, InfoRow::Imei), modem->device, modem->identified, com, path);
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
    std::vector<ModemIdentity> identities;
    for (size_t i = 0; i < modems.size(); ++i) {
        readings[i].ports = modems[i];
        Settle(&readings[i], runs[i], deadlineMs);
        identities.push_back(readings[i].identity);
    }
    TellApartSharedImeis(&identities);
    for (size_t i = 0; i < modems.size(); ++i) readings[i].identity = identities[i];
    return readings;
}

const std::string& RowOf(const InfoMessage& message, InfoRow row) {
    static const std::string none;
    const size_t index = static_cast<size_t>(RowIndex(row));
    return index < message.rows.size() ? message.rows[index] : none;
}

std::string ModemEntry(const ModemReading& modem) {
    std::string model;
    Utf8ToCp1251(modem.message.model, &model);
    const std::string& path = modem.port.empty() ? modem.ports.ports.front().path : modem.port;
    const std::string where = modem.comNumber != 0 ? "COM" + std::to_string(modem.comNumber) : path;
    return model.empty() ? "(" + where + ")" : model + " (" + where + ")";
}
