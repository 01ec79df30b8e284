// The standard replies of 3GPP TS 27.007.
#include "radio/metric_formulas.h"
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

// The read form: <n>,<stat>[,<lac/tac>,<ci>[,<AcT>...]]. An unsolicited report starts with
// <stat> and has its area (quoted, or hex) second, which is no small decimal <stat>.
struct RegistrationRead {
    long long mode = -1;
    long long stat = -1;
    std::vector<Field> fields;
};

bool LastRegistrationRead(std::string_view reply, std::string_view prefix, RegistrationRead* read) {
    bool found = false;
    for (std::string_view rest : PrefixedLines(reply, prefix)) {
        const std::vector<Field> fields = SplitFields(rest);
        long long mode = 0;
        long long stat = 0;
        if (fields.size() < 2 || fields[0].quoted || fields[1].quoted) continue;
        if (!FieldNumber(fields, 0, &mode) || !FieldNumber(fields, 1, &stat)) continue;
        if (mode > 5 || stat > 11) continue;
        read->mode = mode;
        read->stat = stat;
        read->fields = fields;
        found = true;
    }
    return found;
}

Registration RegistrationOf(long long stat) {
    switch (stat) {
        case 0: return Registration::NotSearching;
        case 1: case 6: case 9: return Registration::Home;
        case 2: return Registration::Searching;
        case 3: return Registration::Denied;
        case 5: case 7: case 10: return Registration::Roaming;
        default: return Registration::Unknown;   // 4 unknown, 8 emergency services only
    }
}

// The technology of an <AcT> field, at `rank`; AcT 13 (E-UTRAN with NR) is also an NR leg.
bool StoreAct(RadioFacts* facts, const std::vector<Field>& fields, size_t index, TechRank rank) {
    long long act = 0;
    if (!FieldNumber(fields, index, &act) || TechFromAct(act) == RadioTech::Unknown) return false;
    facts->tech = TechFromAct(act);
    facts->techRank = rank;
    if (act == 13) facts->nrLeg = true;
    return true;
}

// Which domain a registration command reports: its cell id's width and the technology a
// registered read form with a location and no AcT stands for.
enum class Domain { CircuitOrPacket, Eps, FiveGs };

bool ParseRegistration(std::string_view reply, std::string_view prefix, Domain domain, RadioFacts* facts) {
    RegistrationRead read;
    if (!LastRegistrationRead(reply, prefix, &read)) return false;
    facts->registration = RegistrationOf(read.stat);
    long long area = 0;
    long long cell = 0;
    // 3GPP TS 27.007: <lac>/<tac> two (TAC up to three) bytes, <ci> 28 bits (36 on +C5GREG,
    // the NR cell identity), both hexadecimal.
    const long long maxCell = domain == Domain::FiveGs ? kMaxNrCellId : kMaxCellId;
    const bool located = FieldHex(read.fields, 2, &area) && FieldHex(read.fields, 3, &cell) && area <= kMaxArea &&
                         cell <= maxCell;
    if (located) {
        facts->area = {true, area};
        facts->cellId = {true, cell};
    }
    // Registered on EPS (5GS) with a location and no AcT: LTE (NR).
    if (!StoreAct(facts, read.fields, 4, TechRank::Registration) && domain != Domain::CircuitOrPacket && located &&
        (facts->registration == Registration::Home || facts->registration == Registration::Roaming)) {
        facts->tech = domain == Domain::FiveGs ? RadioTech::Nr5g : RadioTech::Lte;
        facts->techRank = TechRank::Registration;
    }
    return true;
}

// The first field of the reply's last line that starts with `prefix`.
bool FirstFieldOf(std::string_view reply, std::string_view prefix, long long* value) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, prefix);
    return !lines.empty() && FieldNumber(SplitFields(lines.back()), 0, value);
}

}  // namespace

RadioTech TechFromAct(long long act) {
    switch (act) {
        case 0: case 1: case 3: case 8: return RadioTech::Gsm;
        case 2: case 4: case 5: case 6: return RadioTech::Umts;
        case 7: case 9: case 10: return RadioTech::Lte;
        case 11: case 12: return RadioTech::Nr5g;
        case 13: return RadioTech::LteNr;
        default: return RadioTech::Unknown;
    }
}

bool ParseCops(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+COPS");
    if (lines.empty()) return false;
    const std::vector<Field> fields = SplitFields(lines.back());
    long long format = -1;
    if (FieldNumber(fields, 1, &format) && !FieldText(fields, 2).empty()) {
        long long number = 0;
        const std::string_view text = fields[2].text;
        // MCC (3 digits) and MNC (2 or 3 digits), 3GPP TS 23.003.
        const bool numeric = (text.size() == 5 || text.size() == 6) && ParseUnsigned(text, &number);
        if (format == 2 && numeric) {
            facts->operatorNumeric = std::string(text);
        } else if (format == 0 || format == 1) {
            facts->operatorName = std::string(text);
        }
    }
    StoreAct(facts, fields, 3, TechRank::Operator);
    return true;
}

bool CopsFormatOf(std::string_view reply, long long* format) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+COPS");
    if (lines.empty()) return false;
    return FieldNumber(SplitFields(lines.back()), 1, format) && *format <= 2;
}

bool ParseCesq(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+CESQ");
    if (lines.empty()) return false;
    const std::vector<Field> fields = SplitFields(lines.back());
    const struct {
        size_t index;
        MetricKind kind;
        Metric (*decode)(long long);
    } codes[] = {{0, MetricKind::Rssi, CesqRxlev},
                 {2, MetricKind::Rscp, CesqRscp},
                 {3, MetricKind::Ecno, CesqEcno},
                 {4, MetricKind::Rsrq, CesqRsrq},
                 {5, MetricKind::Rsrp, CesqRsrp}};
    for (const auto& code : codes) {
        long long value = 0;
        if (FieldNumber(fields, code.index, &value)) StoreMetric(facts, code.kind, code.decode(value));
    }
    // The nine-field form adds NR's <ss_rsrq>,<ss_rsrp>,<ss_sinr>. They go to the NR leg; on
    // standalone NR the reading's end makes them the serving cell's (CompleteFacts).
    const struct {
        size_t index;
        MetricKind kind;
        Metric (*decode)(long long);
    } nrCodes[] = {{6, MetricKind::Rsrq, CesqSsRsrq}, {7, MetricKind::Rsrp, CesqSsRsrp}, {8, MetricKind::Sinr, CesqSsSinr}};
    for (const auto& code : nrCodes) {
        long long value = 0;
        if (FieldNumber(fields, code.index, &value)) StoreMetric(LegSlots(facts), code.kind, code.decode(value));
    }
    return true;
}

bool CsqLevelOf(std::string_view reply, SignalLevel* level) {
    long long value = 0;
    if (!FirstFieldOf(reply, "+CSQ", &value)) return false;
    *level = SignalLevelFromCsqValue(value);
    return true;
}

bool ParseCsq(std::string_view reply, RadioFacts* facts) {
    if (PrefixedLines(reply, "+CSQ").empty()) return false;
    SignalLevel level;
    if (!CsqLevelOf(reply, &level) || !level.known) return true;
    Metric metric;
    metric.known = true;
    metric.value = level.dbm;
    metric.end = level.end;
    StoreMetric(facts, MetricKind::Rssi, metric);
    return true;
}

bool ParseC5greg(std::string_view reply, RadioFacts* facts) {
    return ParseRegistration(reply, "+C5GREG", Domain::FiveGs, facts);
}
bool ParseCereg(std::string_view reply, RadioFacts* facts) { return ParseRegistration(reply, "+CEREG", Domain::Eps, facts); }
bool ParseCgreg(std::string_view reply, RadioFacts* facts) {
    return ParseRegistration(reply, "+CGREG", Domain::CircuitOrPacket, facts);
}
bool ParseCreg(std::string_view reply, RadioFacts* facts) {
    return ParseRegistration(reply, "+CREG", Domain::CircuitOrPacket, facts);
}

bool RegistrationModeOf(std::string_view reply, std::string_view prefix, long long* mode) {
    RegistrationRead read;
    if (!LastRegistrationRead(reply, prefix, &read)) return false;
    *mode = read.mode;
    return true;
}

bool RegistrationStatOf(std::string_view reply, std::string_view prefix, long long* stat) {
    RegistrationRead read;
    if (!LastRegistrationRead(reply, prefix, &read)) return false;
    *stat = read.stat;
    return true;
}

bool SimStateOf(std::string_view reply, std::string_view* state) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+CPIN");
    if (lines.empty()) return false;
    *state = lines.back();
    return true;
}

bool ParseCpin(std::string_view reply, RadioFacts* facts) {
    std::string_view state;
    if (SimStateOf(reply, &state)) {
        if (state != "READY") facts->absence = Absence::PinRequired;
        return true;
    }
    // 3GPP TS 27.007 +CME ERROR 10 "SIM not inserted", 13 "SIM failure", 15 "SIM wrong".
    for (std::string_view rest : PrefixedLines(reply, "+CME ERROR")) {
        long long code = 0;
        const bool numbered = ParseUnsigned(rest, &code);
        if ((numbered && (code == 10 || code == 13 || code == 15)) || rest == "SIM not inserted" ||
            rest == "SIM failure") {
            facts->absence = Absence::NoSim;
            return true;
        }
        if (numbered && (code == 11 || code == 12)) {
            facts->absence = Absence::PinRequired;   // SIM PIN / SIM PUK required
            return true;
        }
    }
    return false;
}

bool ParseCfun(std::string_view reply, RadioFacts* facts) {
    long long fun = 0;
    if (PrefixedLines(reply, "+CFUN").empty()) return false;
    // 3GPP TS 27.007 +CFUN: 0 minimum functionality, 4 transmit and receive circuits off.
    if (FirstFieldOf(reply, "+CFUN", &fun) && (fun == 0 || fun == 4)) facts->absence = Absence::RadioOff;
    return true;
}
