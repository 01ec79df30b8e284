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
#include "radio/lte_bands.h"
#include "radio/metric_formulas.h"
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

constexpr const char* kQeng = "AT+QENG=\"servingcell\"";

Metric QengSinr(long long value, bool twoLineForm) {
    if (value < 0) return PlainMetric(MetricKind::Sinr, static_cast<double>(value));
    if (value > 40 || !twoLineForm) return QengSinrScale(value);
    return PlainMetric(MetricKind::Sinr, static_cast<double>(value));
}

void StoreState(RadioFacts* facts, std::string_view state) {
    // SEARCH: looking for a cell; LIMSRV: camped for emergency calls only.
    if (state == "SEARCH") facts->absence = Absence::Searching;
}

// The LTE fields from <is_tdd> on, at `at`.
void StoreLte(const std::vector<Field>& f, size_t at, bool twoLineForm, RadioFacts* facts) {
    long long value = 0;
    double level = 0;
    StoreTech(facts, RadioTech::Lte, kQeng);
    StoreOperator(facts, FieldText(f, at + 1), FieldText(f, at + 2), kQeng);
    StoreHexField(&facts->cellId, f, at + 3, 0, kMaxCellId);
    StoreNumberField(&facts->pci, f, at + 4, 0, 503);
    StoreNumberField(&facts->channel, f, at + 5, 0, 262143);
    if (facts->channel.known) facts->channelKind = ChannelKind::Earfcn;
    StoreNumberField(&facts->band, f, at + 6, 1, 255);
    if (!facts->band.known && facts->channel.known && BandFromEarfcn(facts->channel.value) != 0) {
        facts->band = {true, BandFromEarfcn(facts->channel.value)};
    }
    StoreHexField(&facts->area, f, at + 9, 0, kMaxArea);
    if (FieldValue(f, at + 10, &level)) StoreMetric(facts, MetricKind::Rsrp, PlainMetric(MetricKind::Rsrp, level), kQeng);
    if (FieldValue(f, at + 11, &level)) StoreMetric(facts, MetricKind::Rsrq, PlainMetric(MetricKind::Rsrq, level), kQeng);
    if (FieldValue(f, at + 12, &level)) StoreMetric(facts, MetricKind::Rssi, PlainMetric(MetricKind::Rssi, level), kQeng);
    if (FieldNumber(f, at + 13, &value)) StoreMetric(facts, MetricKind::Sinr, QengSinr(value, twoLineForm), kQeng);
}

// "WCDMA",<MCC>,<MNC>,<LAC>,<cellID>,<uarfcn>,<PSC>,<RAC>,<RSCP>,<ecio>,... from `at`.
void StoreWcdma(const std::vector<Field>& f, size_t at, RadioFacts* facts) {
    double level = 0;
    StoreTech(facts, RadioTech::Umts, kQeng);
    StoreOperator(facts, FieldText(f, at + 1), FieldText(f, at + 2), kQeng);
    StoreHexField(&facts->area, f, at + 3, 0, 0xFFFF);
    StoreHexField(&facts->cellId, f, at + 4, 0, kMaxCellId);
    StoreNumberField(&facts->channel, f, at + 5, 0, 16383);
    if (facts->channel.known) facts->channelKind = ChannelKind::Uarfcn;
    StoreNumberField(&facts->pci, f, at + 6, 0, 511);
    if (FieldValue(f, at + 8, &level)) StoreMetric(facts, MetricKind::Rscp, PlainMetric(MetricKind::Rscp, level), kQeng);
    if (FieldValue(f, at + 9, &level)) StoreMetric(facts, MetricKind::Ecno, PlainMetric(MetricKind::Ecno, level), kQeng);
}

// "GSM",<MCC>,<MNC>,<LAC>,<cellid>,<bsic>,<arfcn>,<band>,<rxlev>,... from `at`.
void StoreGsm(const std::vector<Field>& f, size_t at, RadioFacts* facts) {
    double level = 0;
    StoreTech(facts, RadioTech::Gsm, kQeng);
    StoreOperator(facts, FieldText(f, at + 1), FieldText(f, at + 2), kQeng);
    StoreHexField(&facts->area, f, at + 3, 0, 0xFFFF);
    StoreHexField(&facts->cellId, f, at + 4, 0, 0xFFFF);
    StoreNumberField(&facts->channel, f, at + 6, 0, 1023);
    if (facts->channel.known) facts->channelKind = ChannelKind::Arfcn;
    if (FieldValue(f, at + 8, &level)) StoreMetric(facts, MetricKind::Rssi, PlainMetric(MetricKind::Rssi, level), kQeng);
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
        StoreTech(facts, RadioTech::Nr5g, kQeng);
        StoreOperator(facts, FieldText(f, at + 2), FieldText(f, at + 3), kQeng);
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
    bool nsa = false;
    for (std::string_view rest : lines) {
        const std::vector<Field> fields = SplitFields(rest);
        if (FieldText(fields, 0) == "NR5G-NSA") nsa = true;
        if (FieldText(fields, 0) != "servingcell") StoreTechLine(fields, 0, true, facts);
    }
    if (nsa) StoreTech(facts, RadioTech::LteNr, kQeng);
    return true;
}
