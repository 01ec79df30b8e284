#include "cli/modem_signal.h"

#include <climits>
#include <string_view>
#include <vector>

#include "common/result_codes.h"
#include "common/signal_level.h"
#include "radio/radio_families.h"
#include "radio/radio_session.h"
#include "radio/reply_lines.h"
#include "radio/reply_parsers.h"

namespace {

// The fields of the reply's last line that starts with `prefix` (an echo and unsolicited
// lines read past); empty when there is none.
std::vector<Field> LastFields(std::string_view reply, std::string_view prefix) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, prefix);
    return lines.empty() ? std::vector<Field>() : SplitFields(lines.back());
}

std::optional<int> SmallNumber(const std::vector<Field>& fields, size_t index) {
    long long value = 0;
    if (index >= fields.size() || !ParseDecimal(fields[index].text, &value)) return std::nullopt;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

// The radio facts, by what the earlier reading found: the family's queries (all of them:
// a reading is one process, band and PCI cannot wait for a later one), or +CESQ with the
// technology from +COPS?, or nothing.
void ReadRadio(RadioSession* radio, const std::string& known, ModemSignal* signal) {
    if (known == kRadioNone) {
        signal->radioFamily = kRadioNone;
        return;
    }
    if (known != kRadioStandardOnly) {
        const int remembered = RadioFamilyNamed(known);
        if (remembered >= 0) radio->RememberFamily(remembered);
        const CellReading reading = radio->ReadFamilySignal(&signal->radio, true, nullptr);
        int count = 0;
        const RadioFamily* families = RadioFamilies(&count);
        if (radio->Family() >= 0) {
            signal->radioFamily = families[radio->Family()].name;
            return;
        }
        if (reading.outcome != CellOutcome::Read) return;
    }
    const RadioSession::Reply cesq = radio->Ask(StandardQueries::kCesq);
    if (cesq.final == FinalResult::None) return;
    RadioFacts standard;
    const bool answered = cesq.final == FinalResult::Ok && ParseCesq(cesq.text, &standard);
    signal->radioFamily = answered ? kRadioStandardOnly : kRadioNone;
    if (!answered) return;
    const RadioSession::Reply cops = radio->Ask(StandardQueries::kCops);
    RadioFacts named;
    if (cops.final == FinalResult::Ok && ParseCops(cops.text, &named)) standard.tech = named.tech;
    signal->radio = standard;
}

}  // namespace

ModemSignal ReadModemSignal(PortHandle port, const std::string& knownFamily) {
    ModemSignal signal;
    RadioSession radio(port);
    const RadioSession::Reply csq = radio.Ask(StandardQueries::kCsq);
    if (csq.final != FinalResult::None) {
        signal.answered = true;
        const std::vector<Field> fields = LastFields(csq.text, "+CSQ");
        signal.csq = SmallNumber(fields, 0);
        if (signal.csq) {
            const SignalLevel level = SignalLevelFromCsqValue(*signal.csq);
            if (level.known) signal.rssiDbm = level.dbm;
        }
        const RadioSession::Reply creg = radio.Ask("AT+CREG?");
        // The read form is <n>,<stat>[,...]; an unsolicited "+CREG: <stat>" alone is no answer.
        const std::vector<Field> registration = LastFields(creg.text, "+CREG");
        if (registration.size() >= 2) signal.registration = SmallNumber(registration, 1);
        const RadioSession::Reply cpin = radio.Ask(StandardQueries::kCpin);
        // An ERROR in place of the state says nothing about the SIM: no state is known.
        const std::vector<std::string_view> sim = PrefixedLines(cpin.text, "+CPIN");
        if (!sim.empty()) {
            std::string_view text = sim.back();
            while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
            if (IsModemValue(text)) signal.sim = std::string(text);
        }
        if (!radio.PortLost()) ReadRadio(&radio, knownFamily, &signal);
    }
    if (radio.PortLost()) signal.portError = radio.ErrorText();
    return signal;
}
