#include "cli/modem_signal.h"

#include <cstdlib>
#include <cstring>

#include "common/signal_level.h"
#include "link/answer.h"
#include "link/port_session.h"
#include "link/transact.h"

namespace {

bool Ask(PortSession& session, const char* command) {
    return session.Transact(command, true, kTerminalTimeLimitMs) != 0;
}

// The number in the given comma-separated field (0-based) of AnswerBuffer.
std::optional<int> Field(int index) {
    const char* text = AnswerBuffer;
    for (int i = 0; i < index; ++i) {
        text = std::strchr(text, ',');
        if (text == nullptr) return std::nullopt;
        ++text;
    }
    while (*text == ' ') ++text;
    if (*text < '0' || *text > '9') return std::nullopt;
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

}  // namespace

ModemSignal ReadModemSignal(PortSession& session) {
    ModemSignal signal;
    if (!Ask(session, "AT+CSQ")) return signal;
    signal.answered = true;
    if (ExtractAnswer("+CSQ", 0, false)) {
        const char* comma = std::strchr(AnswerBuffer, ',');
        const size_t length = comma != nullptr ? static_cast<size_t>(comma - AnswerBuffer) : std::strlen(AnswerBuffer);
        const SignalLevel level = SignalLevelFromCsq(AnswerBuffer, length);
        if (Field(0)) signal.csq = level.csq;
        if (level.known) signal.rssiDbm = level.dbm;
    }
    if (Ask(session, "AT+CREG?") && ExtractAnswer("+CREG", 0, false)) signal.registration = Field(1);
    if (Ask(session, "AT+CPIN?")) {
        if (ExtractAnswer("+CPIN", 0, false)) {
            const char* text = AnswerBuffer;
            while (*text == ' ') ++text;
            signal.sim = text;
        } else if (std::strstr(ReplyBuffer, "ERROR") != nullptr) {
            signal.sim = "ERROR";
        }
    }
    return signal;
}
