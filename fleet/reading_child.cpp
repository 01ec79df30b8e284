#include "fleet/reading_child.h"

#include "common/cp1251.h"
#include "fleet/modem_signal.h"
#include "info/captured_rows.h"
#include "info/info_run.h"
#include "info/info_table.h"
#include "link/answer.h"
#include "link/port_error.h"
#include "link/port_session.h"
#include "link/serial_port.h"
#include "link/transact.h"

namespace {

// The first port that answers is the modem's AT port; `message->tried` tells what each did.
std::string FirstAnsweringPort(const std::vector<std::string>& ports, InfoMessage* message) {
    for (const auto& path : ports) {
        PortAttempt attempt{path, "", ""};
        PortSession session(path.c_str(), PortSession::Drain::None);
        if (!session.IsOpen()) {
            const bool absent = LastOpenFoundNoDevice();
            const bool held = LastOpenFoundBusy();
            attempt.result = absent ? "absent" : held ? "busy" : "open failed";
            if (!absent) attempt.error = Cp1251ToUtf8(LastPortError());
            if (held) message->busy = true;
            message->tried.push_back(attempt);
            continue;
        }
        session.Transact("ATE0", true, kProbeTimeLimitMs);
        if (session.Transact("AT+CGMM", true, kProbeTimeLimitMs) != 0 && ReplyBuffer[0] != '\0') {
            ExtractAnswer("", 0, false);
            message->model = Cp1251ToUtf8(AnswerBuffer);
            attempt.result = "answered";
            message->tried.push_back(attempt);
            return path;
        }
        attempt.result = "silent";
        message->tried.push_back(attempt);
    }
    return "";
}

}  // namespace

InfoMessage ReadModemInfoMessage(const std::vector<std::string>& ports) {
    InfoMessage message;
    const std::string port = FirstAnsweringPort(ports, &message);
    if (port.empty()) {
        message.error = message.busy ? "the port is in use by another program" : "no port answered AT";
        return message;
    }
    message.port = port;
    CapturedRows rows;
    if (ReadModemInfoAtPath(port.c_str()) != 0) {
        message.error = Cp1251ToUtf8(LastPortError());
        message.busy = LastOpenFoundBusy();
        return message;
    }
    for (int i = 0; i < kInfoRowCount; ++i) message.rows.push_back(Cp1251ToUtf8(rows.Value(i)));
    message.buyCodeUrl = Cp1251ToUtf8(BuyCodePage(rows));
    int step = 0;
    const char* command = "";
    if (InfoRunLostThePort(&step, &command)) {
        message.lost = Cp1251ToUtf8("the modem went away at query " + std::to_string(step) + " of " +
                                    std::to_string(kInfoQueryCount) + " (" + command + "): " + LastPortError());
    }
    return message;
}

SignalMessage ReadSignalMessageAt(const std::string& port, RadioFamilyId family) {
    SignalMessage message;
    message.port = port;
    PortSession session(port.c_str());
    if (!session.IsOpen()) {
        message.error = Cp1251ToUtf8(LastPortError());
        message.busy = LastOpenFoundBusy();
        return message;
    }
    const ModemSignal signal = ReadModemSignal(session.Handle(), family);
    message.answered = signal.answered;
    message.csq = signal.csq;
    message.rssiDbm = signal.rssiDbm;
    message.registration = signal.registration;
    message.sim = Cp1251ToUtf8(signal.sim);
    message.radio = signal.radio;
    message.radioFamily = signal.radioFamily;
    message.error = !signal.portError.empty() ? Cp1251ToUtf8(signal.portError) : signal.answered ? "" : "no reply";
    return message;
}
