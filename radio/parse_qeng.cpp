// The +QENG family's serving cell query, AT+QENG="servingcell" (module AT manual, serving
// cell query section). Older firmware answers on one line:
//   +QENG: "servingcell",<state>,"LTE",<is_tdd>,<MCC>,<MNC>,<cellID>,<PCID>,<earfcn>,
//          <freq_band_ind>,<UL_bandwidth>,<DL_bandwidth>,<TAC>,<RSRP>,<RSRQ>,<RSSI>,<SINR>,...
// firmware that can pair LTE with NR on two or more lines:
//   +QENG: "servingcell",<state>
//   +QENG: "LTE",<is_tdd>,<MCC>,... (the same fields from <is_tdd> on)
//   +QENG: "NR5G-NSA",<MCC>,<MNC>,<PCID>,<RSRP>,<SINR>,<RSRQ>,...
//
// SINR: the one-line firmware reports a 0..250 scale (dB = value / 5 - 20), the two-line
// firmware plain dB. The value decides where it can: a negative value is dB on any firmware
// (the scale has none), a value above 40 is the scale (no receiver reports 40 dB). Between,
// the form of the reply decides: one line, the scale; two lines, dB.
#include "radio/metric_formulas.h"
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

Metric QengSinr(long long value, bool twoLineForm) {
    if (value < 0 || (value <= 40 && twoLineForm)) return PlainMetric(MetricKind::Sinr, static_cast<double>(value));
    return QengSinrScale(value);
}

void StoreState(RadioFacts* facts, std::string_view state) {
    // SEARCH: looking for a cell; LIMSRV: camped for emergency calls only.
    if (state == "SEARCH") facts->absence = Absence::Searching;
}

// The LTE fields from <is_tdd> on, at `at`. Every level is a whole number.
void StoreLte(const std::vector<Field>& f, size_t at, bool twoLineForm, RadioFacts* facts) {
    long long value = 0;
    StoreTech(facts, RadioTech::Lte);
    StoreOperator(facts, FieldText(f, at + 1), FieldText(f, at + 2));
    StoreHexField(&facts->cellId, f, at + 3, 0, kMaxCellId);
    StoreNumberField(&facts->pci, f, at + 4, 0, 503);
    StoreChannelField(facts, f, at + 5, ChannelKind::Earfcn, kMaxEarfcn);
    StoreNumberField(&facts->band, f, at + 6, 1, 255);
    StoreHexField(&facts->area, f, at + 9, 0, kMaxArea);
    StoreLevelField(facts, MetricKind::Rsrp, f, at + 10);
    StoreLevelField(facts, MetricKind::Rsrq, f, at + 11);
    StoreLevelField(facts, MetricKind::Rssi, f, at + 12);
    if (FieldSigned(f, at + 13, &value)) StoreMetric(facts, MetricKind::Sinr, QengSinr(value, twoLineForm));
}

// "WCDMA",<MCC>,<MNC>,<LAC>,<cellID>,<uarfcn>,<PSC>,<RAC>,<RSCP>,<ecio>,... from `at`.
void StoreWcdma(const std::vector<Field>& f, size_t at, RadioFacts* facts) {
    StoreTech(facts, RadioTech::Umts);
    StoreOperator(facts, FieldText(f, at + 1), FieldText(f, at + 2));
    StoreHexField(&facts->area, f, at + 3, 0, 0xFFFF);
    StoreHexField(&facts->cellId, f, at + 4, 0, kMaxCellId);
    StoreChannelField(facts, f, at + 5, ChannelKind::Uarfcn, kMaxUarfcn);
    StoreNumberField(&facts->pci, f, at + 6, 0, 511);
    StoreLevelField(facts, MetricKind::Rscp, f, at + 8);
    StoreLevelField(facts, MetricKind::Ecno, f, at + 9);
}

// "GSM",<MCC>,<MNC>,<LAC>,<cellid>,<bsic>,<arfcn>,<band>,<rxlev>,... from `at`.
void StoreGsm(const std::vector<Field>& f, size_t at, RadioFacts* facts) {
    StoreTech(facts, RadioTech::Gsm);
    StoreOperator(facts, FieldText(f, at + 1), FieldText(f, at + 2));
    StoreHexField(&facts->area, f, at + 3, 0, 0xFFFF);
    StoreHexField(&facts->cellId, f, at + 4, 0, 0xFFFF);
    StoreChannelField(facts, f, at + 6, ChannelKind::Arfcn, kMaxArfcn);
    StoreLevelField(facts, MetricKind::Rssi, f, at + 8);
}

void StoreTechLine(const std::vector<Field>& f, size_t at, bool twoLineForm, RadioFacts* facts) {
    const std::string_view tech = FieldText(f, at);
    if (tech == "LTE") {
        StoreLte(f, at + 1, twoLineForm, facts);
    } else if (tech == "WCDMA") {
        StoreWcdma(f, at, facts);
    } else if (tech == "GSM") {
        StoreGsm(f, at, facts);
    } else if (tech == "NR5G-SA") {
        // Named only: NR metrics are not read yet.
        StoreTech(facts, RadioTech::Nr5g);
        StoreOperator(facts, FieldText(f, at + 2), FieldText(f, at + 3));
    } else if (tech == "NR5G-NSA") {
        // The NR leg beside the LTE anchor (EN-DC): its own metrics are not read yet.
        facts->nrLeg = true;
    }
}

}  // namespace

bool ParseQeng(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+QENG");
    bool serving = false;
    bool twoLineForm = false;
    std::vector<Field> servingFields;
    for (std::string_view rest : lines) {
        std::vector<Field> fields = SplitFields(rest);
        if (FieldText(fields, 0) == "servingcell") {
            serving = true;
            twoLineForm = fields.size() <= 2;
            servingFields = fields;
        }
    }
    if (!serving) return false;
    StoreState(facts, FieldText(servingFields, 1));
    if (!twoLineForm) {
        StoreTechLine(servingFields, 2, false, facts);
        return true;
    }
    for (std::string_view rest : lines) {
        const std::vector<Field> fields = SplitFields(rest);
        if (FieldText(fields, 0) != "servingcell") StoreTechLine(fields, 0, true, facts);
    }
    return true;
}
