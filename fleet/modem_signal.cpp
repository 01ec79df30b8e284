#include "fleet/modem_signal.h"

#include "common/result_codes.h"

#include <climits>
#include <string_view>

#include "radio/radio_families.h"
#include "radio/radio_session.h"
#include "radio/reply_parsers.h"

ModemSignal ReadModemSignal(PortHandle port, RadioFamilyId knownFamily) {
    ModemSignal signal;
    RadioSession radio(port);
    const RadioSession::Reply csq = radio.Ask(StandardQueries::kCsq);
    if (csq.final != FinalResult::None) {
        signal.answered = true;
        SignalLevel level;
        // A value held at the end of int (SignalLevel saturates) is not the modem's.
        if (CsqLevelOf(csq.text, &level) && level.csq < INT_MAX) {
            signal.csq = level.csq;
            if (level.known) signal.rssiDbm = level.dbm;
        }
        // A standalone NR module is registered on the 5G core only, an LTE one on EPS only:
        // the first read that says registered (1 home, 5 roaming) counts.
        const struct {
            const char* command;
            const char* prefix;
        } registrations[] = {{"AT+C5GREG?", "+C5GREG"}, {"AT+CEREG?", "+CEREG"}, {"AT+CGREG?", "+CGREG"},
                             {StandardQueries::kCreg, "+CREG"}};
        for (const auto& read : registrations) {
            const RadioSession::Reply reply = radio.Ask(read.command);
            if (reply.final == FinalResult::None) break;
            long long stat = 0;
            if (!RegistrationStatOf(reply.text, read.prefix, &stat)) continue;
            signal.registration = static_cast<int>(stat);
            if (stat == 1 || stat == 5) break;
        }
        const RadioSession::Reply cpin = radio.Ask(StandardQueries::kCpin);
        std::string_view sim;
        // An ERROR in place of the state says nothing about the SIM: no state is known.
        if (SimStateOf(cpin.text, &sim) && IsModemValue(sim)) {
            signal.sim = std::string(sim);
        }
        if (!radio.PortLost()) {
            // All of a family's queries: a reading is one process, band and PCI cannot wait
            // for a later one; on a modem of no family +CESQ with +COPS's technology.
            radio.RememberFamily(knownFamily);
            SignalScope scope;
            scope.allFamilyQueries = true;
            scope.standard = true;
            radio.ReadFamilySignal(&signal.radio, scope, StopCheck{});
            signal.radioFamily = radio.Family();
        }
    }
    if (radio.PortLost()) signal.portError = radio.ErrorText();
    return signal;
}
