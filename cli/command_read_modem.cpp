// The reading process behind `info --all` and `serve`: one modem, given as its ports in
// interface order, read in a process of its own and answered as one JSON object on stdout.
// Not meant to be typed; the commands that start it read its output.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <nlohmann/json.hpp>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/info_json.h"
#include "cli/modem_signal.h"
#include "cli/report/console_output.h"
#include "cli/report/metric_text.h"
#include "common/cp1251.h"
#include "common/result_codes.h"
#include "host/child_processes.h"
#include "info/captured_rows.h"
#include "info/info_run.h"
#include "link/answer.h"
#include "link/port_error.h"
#include "link/port_session.h"
#include "link/serial_port.h"
#include "link/transact.h"
#include "radio/radio_facts.h"

namespace {

using Json = nlohmann::ordered_json;

bool IsBusyText(const std::string& text) {
    return text.find("in use by") != std::string::npos || text.find("locked by") != std::string::npos;
}

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
            attempt["result"] = absent ? "absent" : IsBusyText(error) ? "busy" : "open failed";
            if (!absent) attempt["error"] = Cp1251ToUtf8(error);
            if (!absent && IsBusyText(error)) *busy = true;
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
        failed["busy"] = IsBusyText(error);
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

// A metric in dBm or dB to a tenth, as the families give them at their finest.
// Rounded to tenths: the child hands numbers to its parent, and no formula defines more.
Json RoundedMetricJson(const Metric& metric) {
    if (!metric.known) return Json(nullptr);
    const double tenths = std::round(metric.value * 10);
    if (std::fmod(tenths, 10) == 0) return Json(static_cast<long long>(tenths / 10));
    return Json(tenths / 10);
}


Json ReadSignal(const std::string& path, const std::string& family) {
    Json document;
    document["port"] = path;
    PortSession session(path.c_str());
    if (!session.IsOpen()) {
        const std::string error = LastPortError();
        document["error"] = Cp1251ToUtf8(error);
        document["busy"] = IsBusyText(error);
        return document;
    }
    const ModemSignal signal = ReadModemSignal(session.Handle(), family);
    document["answered"] = signal.answered;
    document["csq"] = signal.csq ? Json(*signal.csq) : Json(nullptr);
    document["rssi_dbm"] = signal.rssiDbm ? Json(*signal.rssiDbm) : Json(nullptr);
    document["registration"] = signal.registration ? Json(*signal.registration) : Json(nullptr);
    document["sim"] = signal.sim.empty() ? Json(nullptr) : Json(Cp1251ToUtf8(signal.sim));
    // The radio facts (the technology, and the metrics a radio family or +CESQ gives), and
    // what to hand the next reading of this modem so that it need not probe again.
    const RadioFacts& radio = signal.radio;
    const char* tech = TechName(radio.tech);
    document["rat"] = tech != nullptr ? Json(tech) : Json(nullptr);
    document["rssi"] = RoundedMetricJson(radio.Get(MetricKind::Rssi));
    document["rsrp"] = RoundedMetricJson(radio.Get(MetricKind::Rsrp));
    document["rsrq"] = RoundedMetricJson(radio.Get(MetricKind::Rsrq));
    document["sinr"] = RoundedMetricJson(radio.Get(MetricKind::Sinr));
    document["band"] = KnownIntJson(radio.band);
    document["pci"] = KnownIntJson(radio.pci);
    document["radio_family"] = signal.radioFamily.empty() ? Json(nullptr) : Json(signal.radioFamily);
    document["error"] = !signal.portError.empty() ? Json(Cp1251ToUtf8(signal.portError))
                        : signal.answered         ? Json(nullptr)
                                                  : Json("no reply");
    return document;
}

// read-modem info PORT...: probe the ports in order, run the information run on the first
// that answers. read-modem signal PORT [--radio-family NAME]: one signal reading on that port.
int RunReadModem(const std::vector<std::string>& args, const std::string& family) {
    // A parent that is gone reads no answer: the port and its lock are freed at once.
    FollowParentProcess();
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
            // The port answered, but an ERROR to AT+CGMM names no model.
            document["model"] = IsModemValue(model) ? Json(Cp1251ToUtf8(model)) : Json(nullptr);
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
    CLI::App* read = line->AddCommand("read-modem", CommandHelp{"", "", ""},
                                      [args, family] { return RunReadModem(*args, *family); });
    read->add_option("WHAT", *args, "info PORT... or signal PORT")->required();
    read->add_option("--radio-family", *family, "signal: the radio_family an earlier reading of the modem gave");
}
