// The +QENG family's serving cell query, AT+QENG="servingcell" (module AT manual, serving
// cell query section). Older firmware answers on one line:
//   +QENG: "servingcell",<state>,"LTE",<is_tdd>,<MCC>,<MNC>,<cellID>,<PCID>,<earfcn>,
//          <freq_band_ind>,<UL_bandwidth>,<DL_bandwidth>,<TAC>,<RSRP>,<RSRQ>,<RSSI>,<SINR>,...
// 5G firmware answers standalone NR on one line too:
//   +QENG: "servingcell",<state>,"NR5G-SA",<duplex>,<MCC>,<MNC>,<cellID>,<PCID>,<TAC>,
//          <ARFCN>,<band>,<NR_DL_bandwidth>,<RSRP>,<RSRQ>,<SINR>,<scs>,<srxlev>
// and LTE, alone or paired with NR (EN-DC), on two or more lines:
//   +QENG: "servingcell",<state>
//   +QENG: "LTE",<is_tdd>,<MCC>,... (the same fields from <is_tdd> on)
//   +QENG: "NR5G-NSA",<MCC>,<MNC>,<PCID>,<RSRP>,<SINR>,<RSRQ>,<ARFCN>,<band>,<NR_DL_bandwidth>,<scs>
// (SINR before RSRQ there; an older form ends after <RSRQ>). Cell ids and TACs are hex, "-"
// is unknown, fields may carry a leading blank and the colon may lack the blank after it.
// NR SINR is plain dB; the LTE SINR's scale is read per form (QengLteSinr).
//
// The carrier list, AT+QCAINFO (module AT manual, carrier aggregation section):
//   +QCAINFO: "PCC"|"SCC",<freq>,<bandwidth>,"LTE BAND <n>",<state>,<PCI>,<RSRP>,<RSRQ>,<RSSI>,<RSSNR>
//   +QCAINFO: "PCC"|"SCC",<freq>,<NR_DL_bandwidth>,"NR5G BAND <n>",<PCI>
//   +QCAINFO: "PCC"|"SCC",<freq>,<NR_DL_bandwidth>,"NR5G BAND <n>",<state>,<PCI>,<UL_configured>,
//             <UL_bandwidth>,<UL_ARFCN>[,<RSRP>,<RSRQ>]
// The LTE bandwidth in resource blocks (6..100), the NR one as the NR bandwidth code. A state
// is 0 deconfigured, 1 configured but deactivated, 2 active on an SCC; 1 serving on the PCC.
#include "radio/metric_formulas.h"
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

void StoreState(RadioFacts* facts, std::string_view state) {
    // SEARCH: looking for a cell; LIMSRV: camped for emergency calls only.
    if (state == "SEARCH") facts->absence = Absence::Searching;
}

// The LTE fields from <is_tdd> on, at `at`. Every level is a whole number.
void StoreLte(const std::vector<Field>& f, size_t at, QengForm form, RadioFacts* facts) {
    long long value = 0;
    StoreTech(facts, RadioTech::Lte);
    StoreOperator(facts, FieldText(f, at + 1), FieldText(f, at + 2));
    StoreHexField(&facts->cellId, f, at + 3, 0, kMaxCellId);
    StoreNumberField(&facts->pci, f, at + 4, 0, 503);
    StoreChannelField(facts, f, at + 5, ChannelKind::Earfcn, kMaxEarfcn);
    StoreNumberField(&facts->band, f, at + 6, 1, 255);
    StoreBandwidthField(&facts->bandwidthKhz, f, at + 8, LteBandwidthCodeKhz);
    StoreHexField(&facts->area, f, at + 9, 0, kMaxArea);
    StoreLevelField(facts, MetricKind::Rsrp, f, at + 10);
    StoreLevelField(facts, MetricKind::Rsrq, f, at + 11);
    StoreLevelField(facts, MetricKind::Rssi, f, at + 12);
    if (FieldSigned(f, at + 13, &value)) StoreMetric(facts, MetricKind::Sinr, QengLteSinr(value, form));
}

// "NR5G-SA",<duplex>,<MCC>,<MNC>,<cellID>,<PCID>,<TAC>,<ARFCN>,<band>,<bw>,<RSRP>,<RSRQ>,<SINR>
// from `at`: the serving cell itself.
void StoreNrStandalone(const std::vector<Field>& f, size_t at, RadioFacts* facts) {
    StoreTech(facts, RadioTech::Nr5g);
    StoreOperator(facts, FieldText(f, at + 2), FieldText(f, at + 3));
    StoreHexField(&facts->cellId, f, at + 4, 0, kMaxNrCellId);
    StoreNumberField(&facts->pci, f, at + 5, 0, kMaxNrPci);
    StoreHexField(&facts->area, f, at + 6, 0, kMaxArea);
    StoreChannelField(facts, f, at + 7, ChannelKind::NrArfcn, kMaxNrArfcn);
    StoreNumberField(&facts->band, f, at + 8, 1, 1024);
    StoreBandwidthField(&facts->bandwidthKhz, f, at + 9, NrBandwidthCodeKhz);
    const MetricSlots slots = TopSlots(facts, true);
    StoreLevelField(slots, MetricKind::Rsrp, f, at + 10);
    StoreLevelField(slots, MetricKind::Rsrq, f, at + 11);
    StoreLevelField(slots, MetricKind::Sinr, f, at + 12);
}

// "NR5G-NSA",<MCC>,<MNC>,<PCID>,<RSRP>,<SINR>,<RSRQ>[,<ARFCN>,<band>,<bw>,<scs>] from `at`:
// the NR leg beside the LTE anchor.
void StoreNrLeg(const std::vector<Field>& f, size_t at, RadioFacts* facts) {
    NrLeg& leg = facts->nr;
    facts->nrLeg = true;
    StoreNumberField(&leg.pci, f, at + 3, 0, kMaxNrPci);
    const MetricSlots slots = LegSlots(facts);
    StoreLevelField(slots, MetricKind::Rsrp, f, at + 4);
    StoreLevelField(slots, MetricKind::Sinr, f, at + 5);
    StoreLevelField(slots, MetricKind::Rsrq, f, at + 6);
    StoreNumberField(&leg.channel, f, at + 7, 0, kMaxNrArfcn);
    StoreNumberField(&leg.band, f, at + 8, 1, 1024);
    StoreBandwidthField(&leg.bandwidthKhz, f, at + 9, NrBandwidthCodeKhz);
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

void StoreTechLine(const std::vector<Field>& f, size_t at, QengForm form, RadioFacts* facts) {
    const std::string_view tech = FieldText(f, at);
    if (tech == "LTE") {
        StoreLte(f, at + 1, form, facts);
    } else if (tech == "WCDMA") {
        StoreWcdma(f, at, facts);
    } else if (tech == "GSM") {
        StoreGsm(f, at, facts);
    } else if (tech == "NR5G-SA") {
        StoreNrStandalone(f, at, facts);
    } else if (tech == "NR5G-NSA") {
        StoreNrLeg(f, at, facts);
    }
}

// "LTE BAND 3" gives LTE and 3, "NR5G BAND 78" NR and 78.
bool CarrierBandOf(std::string_view text, RadioTech* tech, long long* band) {
    const struct {
        std::string_view prefix;
        RadioTech tech;
    } kinds[] = {{"LTE BAND ", RadioTech::Lte}, {"NR5G BAND ", RadioTech::Nr5g}};
    for (const auto& kind : kinds) {
        if (text.size() <= kind.prefix.size() || text.compare(0, kind.prefix.size(), kind.prefix) != 0) continue;
        *tech = kind.tech;
        return ParseUnsigned(text.substr(kind.prefix.size()), band);
    }
    return false;
}

CarrierState StateOf(bool primary, long long state) {
    if (primary) return state == 1 ? CarrierState::Active : CarrierState::Unknown;
    switch (state) {
        case 0: return CarrierState::Deconfigured;
        case 1: return CarrierState::Inactive;
        case 2: return CarrierState::Active;
        default: return CarrierState::Unknown;
    }
}

bool ParseCarrier(const std::vector<Field>& f, Carrier* carrier) {
    const std::string_view role = FieldText(f, 0);
    if (role != "PCC" && role != "SCC") return false;
    carrier->primary = role == "PCC";
    long long band = 0;
    const bool named = CarrierBandOf(FieldText(f, 3), &carrier->tech, &band);
    if (carrier->tech == RadioTech::Unknown) return false;
    StoreInt(&carrier->band, named, band, 1, 1024);
    long long state = 0;
    const MetricSlots slots = {carrier->metrics.values, carrier->tech == RadioTech::Nr5g};
    if (carrier->tech == RadioTech::Lte) {
        StoreNumberField(&carrier->channel, f, 1, 0, kMaxEarfcn);
        StoreBandwidthField(&carrier->bandwidthKhz, f, 2, LteResourceBlocksKhz);
        if (FieldNumber(f, 4, &state)) carrier->state = StateOf(carrier->primary, state);
        StoreNumberField(&carrier->pci, f, 5, 0, 503);
        StoreLevelField(slots, MetricKind::Rsrp, f, 6);
        StoreLevelField(slots, MetricKind::Rsrq, f, 7);
        StoreLevelField(slots, MetricKind::Rssi, f, 8);
        long long value = 0;
        if (FieldSigned(f, 9, &value)) StoreMetric(slots, MetricKind::Sinr, QengLteSinr(value, QengForm::Lines));
        return true;
    }
    StoreNumberField(&carrier->channel, f, 1, 0, kMaxNrArfcn);
    StoreBandwidthField(&carrier->bandwidthKhz, f, 2, NrBandwidthCodeKhz);
    if (f.size() <= 5) {
        StoreNumberField(&carrier->pci, f, 4, 0, kMaxNrPci);
        return true;
    }
    if (FieldNumber(f, 4, &state)) carrier->state = StateOf(carrier->primary, state);
    StoreNumberField(&carrier->pci, f, 5, 0, kMaxNrPci);
    StoreLevelField(slots, MetricKind::Rsrp, f, 9);
    StoreLevelField(slots, MetricKind::Rsrq, f, 10);
    return true;
}

}  // namespace

bool ParseQeng(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+QENG");
    bool serving = false;
    bool oneLine = false;
    std::vector<Field> servingFields;
    for (std::string_view rest : lines) {
        std::vector<Field> fields = SplitFields(rest);
        if (FieldText(fields, 0) == "servingcell") {
            serving = true;
            oneLine = fields.size() > 2;
            servingFields = fields;
        }
    }
    if (!serving) return false;
    StoreState(facts, FieldText(servingFields, 1));
    if (oneLine) {
        StoreTechLine(servingFields, 2, QengForm::OneLine, facts);
        return true;
    }
    for (std::string_view rest : lines) {
        const std::vector<Field> fields = SplitFields(rest);
        if (FieldText(fields, 0) != "servingcell") StoreTechLine(fields, 0, QengForm::Lines, facts);
    }
    return true;
}

bool ParseQcainfo(std::string_view reply, RadioFacts* facts) {
    bool listed = false;
    for (std::string_view rest : PrefixedLines(reply, "+QCAINFO")) {
        Carrier carrier;
        if (!ParseCarrier(SplitFields(rest), &carrier)) continue;
        facts->carriers.push_back(carrier);
        listed = true;
    }
    facts->carriersKnown = facts->carriersKnown || listed;
    return listed;
}
