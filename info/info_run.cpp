#include "info/info_run.h"

#include <cstring>

#include "info/answer_decode.h"
#include "info/config_decoders.h"
#include "info/status_decoders.h"
#include "info/info_table.h"
#include "link/answer.h"
#include "link/discovery.h"
#include "link/port_session.h"
#include "link/transact.h"

namespace {

// Without the reader thread only the port's read time-outs end a transaction; the limit is
// passed for the interface's sake and has no effect.
constexpr uint32_t kRunTimeLimitMs = 1000;
constexpr int kMaxPlacedPrefixes = 5;

// The path PortPathFromEntry makes from an entry without a port name.
constexpr const char* kPathWithoutPort = "\\\\.\\";

struct PlacedPrefix {
    const char* prefix;   // "" takes the first line of the reply
    InfoRow row;
};

// One step of the sequence: a reply's values are either placed in rows as they are or, for a
// decoded query, handed to its decoder.
struct InfoQuery {
    const char* command;
    PlacedPrefix placed[kMaxPlacedPrefixes];
    int placedCount;
    const char* decodedPrefix;
    void (*decode)(const char* value);
};

// The plain 3GPP identity queries come after ATI on purpose: their first line, even an error
// line, replaces what ATI gave, while an empty or OK-only answer keeps it.
const InfoQuery kInfoQueries[kInfoQueryCount] = {
    {"ATE0", {}, 0, nullptr, nullptr},
    {"ATI",
     {{"Manufacturer", InfoRow::Manufacturer},
      {"Model", InfoRow::Model},
      {"Revision", InfoRow::FirmwareVersion},
      {"IMEI", InfoRow::Imei},
      {"+GCAP", InfoRow::CommandSets}},
     5, nullptr, nullptr},
    {"AT^FHVER", {{"^FHVER", InfoRow::Versions}}, 1, nullptr, nullptr},
    {"AT+CGMI", {{"", InfoRow::Manufacturer}}, 1, nullptr, nullptr},
    {"AT+CGMM", {{"", InfoRow::Model}}, 1, nullptr, nullptr},
    {"AT+CGMR", {{"", InfoRow::FirmwareVersion}}, 1, nullptr, nullptr},
    {"AT+CIMI", {{"", InfoRow::Imsi}}, 1, nullptr, nullptr},
    {"AT+CGSN", {{"", InfoRow::Imei}}, 1, nullptr, nullptr},
    {"AT^HWVER", {{"^HWVER", InfoRow::HardwareVersion}}, 1, nullptr, nullptr},
    {"AT^SYSINFO", {}, 0, "^SYSINFO", DecodeSystemInfo},
    {"AT+CPIN?", {{"+CPIN", InfoRow::PinStatus}}, 1, nullptr, nullptr},
    {"AT+CFUN?", {}, 0, "+CFUN", DecodeFunctionality},
    {"AT+CSQ", {}, 0, "+CSQ", DecodeSignal},
    {"AT+COPS?", {}, 0, "+COPS", DecodeOperator},
    {"AT^SYSCFG?", {}, 0, "^SYSCFG", DecodeSystemConfig},
    {"AT^VERSION?",
     {{"^VERSION:BDT", InfoRow::BuildDate}, {"^VERSION:EXTD", InfoRow::DashboardVersion}},
     2, nullptr, nullptr},
    {"AT^CARDLOCK?", {}, 0, "^CARDLOCK", DecodeCardLock},
};

InfoRunProgress ProgressReport = nullptr;
void* ProgressContext = nullptr;
int LostAtStep = 0;   // 1-based; 0 while the last run kept its port

void HandleReply(const InfoQuery& query) {
    for (int i = 0; i < query.placedCount; ++i) {
        ExtractAnswer(query.placed[i].prefix, RowIndex(query.placed[i].row), true);
    }
    if (query.decode != nullptr) DecodeAnswer(query.decodedPrefix, query.decode);
}

void ClearAllRows() {
    for (int index = 0; index < kInfoRowCount; ++index) SetRowValue(index, "");
}

// Opens the device, puts the 17 queries and closes it again; 1 when the open fails.
int RunOnPath(const char* path) {
    PortSession session(path);
    if (!session.IsOpen()) return 1;

    for (int step = 0; step < kInfoQueryCount; ++step) {
        const InfoQuery& query = kInfoQueries[step];
        if (ProgressReport != nullptr) ProgressReport(step + 1, query.command, ProgressContext);
        // ATE0's reply is never looked at; a query without reply bytes writes no row.
        const uint32_t count = session.Transact(query.command, false, kRunTimeLimitMs);
        if (count != 0) HandleReply(query);
        // A vanished modem answers none of the remaining queries; asking them would only
        // leave their rows as empty as stopping does, so the run ends here.
        if (session.Failed()) {
            LostAtStep = step + 1;
            break;
        }
    }
    return 0;
}

}  // namespace

void SetInfoRunProgress(InfoRunProgress progress, void* context) {
    ProgressReport = progress;
    ProgressContext = context;
}

bool InfoRunLostThePort(int* step, const char** command) {
    if (LostAtStep == 0) return false;
    if (step != nullptr) *step = LostAtStep;
    if (command != nullptr) *command = kInfoQueries[LostAtStep - 1].command;
    return true;
}

int ReadModemInfo(const char* entry) {
    LostAtStep = 0;
    ClearAllRows();
    // The path is built in AnswerBuffer, which is free until the first extraction.
    PortPathFromEntry(entry != nullptr ? entry : "", AnswerBuffer, kAnswerBufferSize);
    // The empty entry names no port: it fails like a missing port, without asking the system.
    if (std::strcmp(AnswerBuffer, kPathWithoutPort) == 0) return 1;
    return RunOnPath(AnswerBuffer);
}

int ReadModemInfoAtPath(const char* path) {
    LostAtStep = 0;
    ClearAllRows();
    if (path == nullptr || path[0] == '\0') return 1;
    return RunOnPath(path);
}
