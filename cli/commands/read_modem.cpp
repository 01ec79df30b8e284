// The reading process behind `info --all` and `serve`: one modem, given as its ports in
// interface order, read in a process of its own and answered as one JSON object on stdout.
// Not meant to be typed; the commands that start it read its output.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <nlohmann/json.hpp>

#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "cli/report/info_json.h"
#include "fleet/modem_signal.h"
#include "cli/console/console_output.h"
#include "common/cp1251.h"
#include "info/captured_rows.h"
#include "info/info_run.h"
#include "link/answer.h"
#include "link/port_error.h"
#include "link/port_session.h"
#include "link/serial_port.h"
#include "link/transact.h"
#include "radio/radio_families.h"
#include "radio/radio_json.h"

namespace {

using Json = nlohmann::ordered_json;

// Tries the ports in order, as the scan asks (ATE0, then AT+CGMM): the first that answers is
// the modem's AT port. `tried` tells what each did.
std::string FirstAnsweringPort(const std::vector<std::string>& ports, Json* tried, std::string* model, bool* busy) {
    for (const auto& path : ports) {
        Json attempt;
        attempt["port"] = path;
        PortSession session(path.c_str(), PortSession::Drain::None);
        if (!session.IsOpen()) {
            const std::string error = LastPortError();
            const bool absent = LastOpenFoundNoDevice();
            const bool held = LastOpenFoundBusy();
            attempt["result"] = absent ? "absent" : held ? "busy" : "open failed";
            if (!absent) attempt["error"] = Cp1251ToUtf8(error);
            if (held) *busy = true;
            tried->push_back(attempt);
            continue;
        }
        session.Transact("ATE0", true, kProbeTimeLimitMs);
        if (session.Transact("AT+CGMM", true, kProbeTimeLimitMs) != 0 && ReplyBuffer[0] != '\0') {
            ExtractAnswer("", 0, false);
            *model = AnswerBuffer;
            attempt["result"] = "answered";
            tried->push_back(attempt);
            return path;
        }
        attempt["result"] = "silent";
        tried->push_back(attempt);
    }
    return "";
}

Json ReadInfo(const std::string& path) {
    CapturedRows rows;
    if (ReadModemInfoAtPath(path.c_str()) != 0) {
        Json failed;
        failed["port"] = path;
        const std::string error = LastPortError();
        failed["error"] = Cp1251ToUtf8(error);
        failed["busy"] = LastOpenFoundBusy();
        return failed;
    }
    Json document = InfoJson(path, rows);
    int step = 0;
    const char* command = "";
    document["lost"] = nullptr;
    if (InfoRunLostThePort(&step, &command)) {
        document["lost"] = Cp1251ToUtf8("the modem went away at query " + std::to_string(step) + " of " +
                                        std::to_string(kInfoQueryCount) + " (" + command + "): " + LastPortError());
    }
    document["error"] = nullptr;
    return document;
}

Json ReadSignal(const std::string& path, const std::string& family) {
    Json document;
    document["port"] = path;
    PortSession session(path.c_str());
    if (!session.IsOpen()) {
        const std::string error = LastPortError();
        document["error"] = Cp1251ToUtf8(error);
        document["busy"] = LastOpenFoundBusy();
        return document;
    }
    const ModemSignal signal = ReadModemSignal(session.Handle(), RadioFamilyFromText(family));
    document["answered"] = signal.answered;
    document["csq"] = signal.csq ? Json(*signal.csq) : Json(nullptr);
    document["rssi_dbm"] = signal.rssiDbm ? Json(*signal.rssiDbm) : Json(nullptr);
    document["registration"] = signal.registration ? Json(*signal.registration) : Json(nullptr);
    document["sim"] = signal.sim.empty() ? Json(nullptr) : Json(Cp1251ToUtf8(signal.sim));
    // The radio facts (the technology, and the metrics a radio family or +CESQ gives), and
    // what to hand the next reading of this modem so that it need not probe again.
    AddRadioJson(signal.radio, RadioJsonForm::Short, MetricPrecision::Tenths, &document);
    const char* radioFamily = RadioFamilyText(signal.radioFamily);
    document["radio_family"] = *radioFamily != '\0' ? Json(radioFamily) : Json(nullptr);
    document["error"] = !signal.portError.empty() ? Json(Cp1251ToUtf8(signal.portError))
                        : signal.answered         ? Json(nullptr)
                                                  : Json("no reply");
    return document;
}

// read-modem info PORT...: probe the ports in order, run the information run on the first
// that answers. read-modem signal PORT [--radio-family NAME]: one signal reading on that port.
int RunReadModem(const std::vector<std::string>& args, const std::string& family) {
    if (args.size() < 2 || (args[0] != "info" && args[0] != "signal")) return kExitUsage;
    const std::vector<std::string> ports(args.begin() + 1, args.end());
    Json document;
    if (args[0] == "signal") {
        document = ReadSignal(ports[0], family);
    } else {
        Json tried = Json::array();
        std::string model;
        bool busy = false;
        const std::string port = FirstAnsweringPort(ports, &tried, &model, &busy);
        if (port.empty()) {
            document["port"] = nullptr;
            document["error"] = busy ? "the port is in use by another program" : "no port answered AT";
            document["busy"] = busy;
        } else {
            document = ReadInfo(port);
            document["model"] = Cp1251ToUtf8(model);
        }
        document["tried"] = tried;
    }
    WriteUtf8(stdout, document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n");
    std::fflush(stdout);
    return document["error"].is_null() ? 0 : 1;
}

}  // namespace

// Internal: the parent (info --all, watch --all, serve) starts it and reads its one line of
// JSON; no summary, so the overview leaves it out.
void DeclareReadModem(CommandLine* line) {
    auto args = std::make_shared<std::vector<std::string>>();
    auto family = std::make_shared<std::string>();
    line->AddCommand("read-modem", CommandHelp{"", "", ""}, [args, family] { return RunReadModem(*args, *family); })
        .Positionals("WHAT", args.get(), "info PORT... or signal PORT")
        .Value("--radio-family", "NAME", "signal: the radio_family an earlier reading of the modem gave",
               [family](const std::string& text) {
                   *family = text;
                   return std::string();
               });
}
