// The standard replies of 3GPP TS 27.007.
#include <cstring>

#include "common/signal_level.h"
#include "radio/metric_formulas.h"
#include "radio/reply_lines.h"
#include "radio/reply_parsers.h"

namespace {

constexpr const char* kCops = "AT+COPS?";
constexpr const char* kCesq = "AT+CESQ";
constexpr const char* kCsq = "AT+CSQ";

bool Number(const std::vector<Field>& fields, size_t index, long long* value) {
    return index < fields.size() && ParseDecimal(fields[index].text, value);
}

void SetMetric(RadioFacts* facts, MetricKind kind, Metric metric, const char* source) {
    if (!metric.known) return;
    metric.source = source;
    facts->Get(kind) = metric;
}

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
        if (!ParseDecimal(fields[0].text, &mode) || !ParseDecimal(fields[1].text, &stat)) continue;
        if (mode < 0 || mode > 5 || stat < 0 || stat > 11) continue;
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

bool ParseRegistration(std::string_view reply, std::string_view prefix, const char* source, bool lte,
                       RadioFacts* facts) {
    RegistrationRead read;
    if (!LastRegistrationRead(reply, prefix, &read)) return false;
    facts->registration = RegistrationOf(read.stat);
    facts->registrationSource = source;
    long long area = 0;
    long long cell = 0;
    // 3GPP TS 27.007: <lac>/<tac> two (TAC up to three) bytes, <ci> 28 bits, both hexadecimal.
    const bool located = read.fields.size() >= 4 && ParseHex(read.fields[2].text, &area) &&
                         ParseHex(read.fields[3].text, &cell) && area <= 0xFFFFFF && cell <= 0xFFFFFFF;
    if (located) {
        facts->area = {true, area};
        facts->cellId = {true, cell};
    }
    long long act = 0;
    if (read.fields.size() >= 5 && Number(read.fields, 4, &act) && TechFromAct(act) != RadioTech::Unknown) {
        facts->tech = TechFromAct(act);
        facts->techSource = source;
    } else if (lte && located && (facts->registration == Registration::Home ||
                                  facts->registration == Registration::Roaming)) {
        facts->tech = RadioTech::Lte;
        facts->techSource = source;
    }
    return true;
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
    if (fields.size() >= 3 && Number(fields, 1, &format) && !fields[2].text.empty()) {
        long long number = 0;
        const std::string_view text = fields[2].text;
        // MCC (3 digits) and MNC (2 or 3 digits), 3GPP TS 23.003.
        const bool numeric = (text.size() == 5 || text.size() == 6) && text[0] != '-' && text[0] != '+' &&
                             ParseDecimal(text, &number);
        if (format == 2 && numeric) {
            facts->operatorNumeric = std::string(text);
            facts->operatorNumericSource = kCops;
        } else if (format == 0 || format == 1) {
            facts->operatorName = std::string(fields[2].text);
            facts->operatorNameSource = kCops;
        }
    }
    long long act = 0;
    if (fields.size() >= 4 && Number(fields, 3, &act) && TechFromAct(act) != RadioTech::Unknown) {
        facts->tech = TechFromAct(act);
        facts->techSource = kCops;
    }
    return true;
}

bool CopsFormatOf(std::string_view reply, long long* format) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+COPS");
    if (lines.empty()) return false;
    const std::vector<Field> fields = SplitFields(lines.back());
    return fields.size() >= 2 && Number(fields, 1, format) && *format >= 0 && *format <= 2;
}

bool ParseCesq(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+CESQ");
    if (lines.empty()) return false;
    const std::vector<Field> fields = SplitFields(lines.back());
    long long value = 0;
    if (Number(fields, 0, &value)) SetMetric(facts, MetricKind::Rssi, CesqRxlev(value), kCesq);
    if (Number(fields, 2, &value)) SetMetric(facts, MetricKind::Rscp, CesqRscp(value), kCesq);
    if (Number(fields, 3, &value)) SetMetric(facts, MetricKind::Ecno, CesqEcno(value), kCesq);
    if (Number(fields, 4, &value)) SetMetric(facts, MetricKind::Rsrq, CesqRsrq(value), kCesq);
    if (Number(fields, 5, &value)) SetMetric(facts, MetricKind::Rsrp, CesqRsrp(value), kCesq);
    return true;
}

bool ParseCsq(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+CSQ");
    if (lines.empty()) return false;
    const std::vector<Field> fields = SplitFields(lines.back());
    long long value = 0;
    if (!Number(fields, 0, &value)) return true;
    const SignalLevel level = SignalLevelFromCsqValue(value);
    if (!level.known) return true;
    Metric metric;
    metric.known = true;
    metric.value = level.dbm;
    // 3GPP TS 27.007 +CSQ: 0 is "-113 dBm or less", 31 "-51 dBm or greater"; the extension's
    // 100 is below -115 and 191 at or above -25.
    if (value == 0 || value == 100) metric.end = OpenEnd::Below;
    if (value == 31 || value == 191) metric.end = OpenEnd::AtOrAbove;
    if (value == 100) metric.value = -115;
    SetMetric(facts, MetricKind::Rssi, metric, kCsq);
    return true;
}

bool ParseCereg(std::string_view reply, RadioFacts* facts) {
    return ParseRegistration(reply, "+CEREG", "AT+CEREG?", true, facts);
}
bool ParseCgreg(std::string_view reply, RadioFacts* facts) {
    return ParseRegistration(reply, "+CGREG", "AT+CGREG?", false, facts);
}
bool ParseCreg(std::string_view reply, RadioFacts* facts) {
    return ParseRegistration(reply, "+CREG", "AT+CREG?", false, facts);
}

bool RegistrationModeOf(std::string_view reply, std::string_view prefix, long long* mode) {
    RegistrationRead read;
    if (!LastRegistrationRead(reply, prefix, &read)) return false;
    *mode = read.mode;
    return true;
}

bool ParseCpin(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+CPIN");
    if (!lines.empty()) {
        if (lines.back() != "READY") facts->absence = Absence::PinRequired;
        return true;
    }
    // 3GPP TS 27.007 +CME ERROR 10 "SIM not inserted", 13 "SIM failure", 15 "SIM wrong".
    for (std::string_view rest : PrefixedLines(reply, "+CME ERROR")) {
        long long code = 0;
        if ((ParseDecimal(rest, &code) && (code == 10 || code == 13 || code == 15)) ||
            rest == "SIM not inserted" || rest == "SIM failure") {
            facts->absence = Absence::NoSim;
            return true;
        }
        if (ParseDecimal(rest, &code) && (code == 11 || code == 12)) {
            facts->absence = Absence::PinRequired;   // SIM PIN / SIM PUK required
            return true;
        }
    }
    return false;
}

bool ParseCfun(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+CFUN");
    if (lines.empty()) return false;
    long long fun = 0;
    const std::vector<Field> fields = SplitFields(lines.back());
    // 3GPP TS 27.007 +CFUN: 0 minimum functionality, 4 transmit and receive circuits off.
    if (Number(fields, 0, &fun) && (fun == 0 || fun == 4)) facts->absence = Absence::RadioOff;
    return true;
}
