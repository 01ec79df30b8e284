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
        const RadioSession::Reply creg = radio.Ask(StandardQueries::kCreg);
        long long stat = 0;
        if (RegistrationStatOf(creg.text, "+CREG", &stat)) signal.registration = static_cast<int>(stat);
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
