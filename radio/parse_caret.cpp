// The caret family: ^HCSQ?, ^SYSINFOEX, ^HFREQINFO?, ^MONSC (module AT manuals, network
// service sections). The family has no carrier list whose layout could be confirmed, so its
// readings leave the carriers unknown.
#include "radio/metric_formulas.h"
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

RadioTech TechFromName(std::string_view name) {
    if (name == "LTE") return RadioTech::Lte;
    if (name == "WCDMA" || name == "TD-SCDMA") return RadioTech::Umts;
    if (name == "GSM") return RadioTech::Gsm;
    if (name == "NR") return RadioTech::Nr5g;
    return RadioTech::Unknown;
}

void StoreCode(MetricSlots slots, MetricKind kind, Metric (*decode)(long long), const std::vector<Field>& fields,
               size_t index) {
    long long code = 0;
    if (FieldNumber(fields, index, &code)) StoreMetric(slots, kind, decode(code));
}

}  // namespace

bool ParseHcsq(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "^HCSQ");
    if (lines.empty()) return false;
    // One line per leg, in any order. On EN-DC the LTE anchor's line and the NR leg's:
    // the anchor is the serving cell, the NR line fills the leg. An NR line alone is
    // standalone NR, the serving cell itself. The technology is named by the LTE line where
    // there is one, else by the last line.
    bool lteLine = false;
    std::string_view lastMode;
    for (std::string_view rest : lines) {
        const std::string_view mode = FieldText(SplitFields(rest), 0);
        lteLine = lteLine || mode == "LTE";
        lastMode = mode;
    }
    const RadioTech named = lteLine ? RadioTech::Lte : TechFromName(lastMode);
    StoreTech(facts, named);
    for (std::string_view rest : lines) {
        const std::vector<Field> fields = SplitFields(rest);
        const std::string_view mode = FieldText(fields, 0);
        // ^HCSQ: "LTE",<rssi>,<rsrp>,<sinr>,<rsrq>; "WCDMA",<rssi>,<rscp>,<ecio>; "GSM",<rssi>.
        // "NR",<rsrp>,<sinr>,<rsrq>, coded on the LTE scales (5G module AT manual, ^HCSQ).
        if (mode == "NR") {
            if (lteLine) facts->nrLeg = true;
            const MetricSlots slots = lteLine ? LegSlots(facts) : TopSlots(facts, true);
            StoreCode(slots, MetricKind::Rsrp, HcsqRsrp, fields, 1);
            StoreCode(slots, MetricKind::Sinr, HcsqSinr, fields, 2);
            StoreCode(slots, MetricKind::Rsrq, HcsqRsrq, fields, 3);
            continue;
        }
        // A mode other than the one that names the technology has no say over the figures.
        if (named == RadioTech::Unknown || TechFromName(mode) != named) continue;
        const MetricSlots slots = TopSlots(facts);
        StoreCode(slots, MetricKind::Rssi, HcsqRssi, fields, 1);
        if (mode == "LTE") {
            StoreCode(slots, MetricKind::Rsrp, HcsqRsrp, fields, 2);
            StoreCode(slots, MetricKind::Sinr, HcsqSinr, fields, 3);
            StoreCode(slots, MetricKind::Rsrq, HcsqRsrq, fields, 4);
        } else if (mode == "WCDMA" || mode == "TD-SCDMA") {
            StoreCode(slots, MetricKind::Rscp, HcsqRscp, fields, 2);
            StoreCode(slots, MetricKind::Ecno, HcsqEcio, fields, 3);
        }
    }
    return true;
}

bool ParseSysinfoex(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "^SYSINFOEX");
    if (lines.empty()) return false;
    // <srv_status>,<srv_domain>,<roam_status>,<sim_state>,<lock_state>,<sysmode>,
    // <sysmode_name>,<submode>,<submode_name>
    const std::vector<Field> fields = SplitFields(lines.back());
    long long value = 0;
    if (FieldNumber(fields, 3, &value) && value == 255) facts->absence = Absence::NoSim;
    if (FieldNumber(fields, 5, &value)) {
        switch (value) {
            case 1: StoreTech(facts, RadioTech::Gsm); break;
            case 3: case 4: StoreTech(facts, RadioTech::Umts); break;
            case 6: StoreTech(facts, RadioTech::Lte); break;
            default: break;
        }
    }
    return true;
}

bool ParseHfreqinfo(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "^HFREQINFO");
    if (lines.empty()) return false;
    // <n>,<sysmode>,<band_class>,<dl_fcn>,<dl_freq>,<dl_bw>,<ul_fcn>,<ul_freq>,<ul_bw>
    const std::vector<Field> fields = SplitFields(lines.back());
    long long sysmode = 0;
    if (!FieldNumber(fields, 1, &sysmode)) return true;
    if (sysmode == 6) {
        StoreChannelField(facts, fields, 3, ChannelKind::Earfcn, kMaxEarfcn);
    } else if (sysmode == 3) {
        StoreChannelField(facts, fields, 3, ChannelKind::Uarfcn, kMaxUarfcn);
    } else {
        return true;
    }
    StoreNumberField(&facts->band, fields, 2, 1, 255);
    return true;
}

bool ParseMonsc(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "^MONSC");
    if (lines.empty()) return false;
    const std::vector<Field> fields = SplitFields(lines.back());
    const std::string_view mode = FieldText(fields, 0);
    StoreTech(facts, TechFromName(mode));
    if (mode == "LTE") {
        // LTE,<MCC>,<MNC>,<ARFCN>,<Cell_ID>,<PCI>,<TAC>,<RSRP>,<RSRQ>,<RXLEV>
        StoreOperator(facts, FieldText(fields, 1), FieldText(fields, 2));
        StoreChannelField(facts, fields, 3, ChannelKind::Earfcn, kMaxEarfcn);
        StoreHexField(&facts->cellId, fields, 4, 0, kMaxCellId);
        StoreNumberField(&facts->pci, fields, 5, 0, 503);
        StoreHexField(&facts->area, fields, 6, 0, kMaxArea);
        StoreLevelField(facts, MetricKind::Rsrp, fields, 7);
        StoreLevelField(facts, MetricKind::Rsrq, fields, 8);
        StoreLevelField(facts, MetricKind::Rssi, fields, 9);
    } else if (mode == "WCDMA") {
        // WCDMA,<MCC>,<MNC>,<ARFCN>,<PSC>,<Cell_ID>,<LAC>,<RSCP>,<RXLEV>,<EC/N0>,<DRX>,<URA_ID>
        StoreOperator(facts, FieldText(fields, 1), FieldText(fields, 2));
        StoreChannelField(facts, fields, 3, ChannelKind::Uarfcn, kMaxUarfcn);
        StoreNumberField(&facts->pci, fields, 4, 0, 511);
        StoreHexField(&facts->cellId, fields, 5, 0, kMaxCellId);
        StoreHexField(&facts->area, fields, 6, 0, 0xFFFF);
        StoreLevelField(facts, MetricKind::Rscp, fields, 7);
        StoreLevelField(facts, MetricKind::Rssi, fields, 8);
        StoreLevelField(facts, MetricKind::Ecno, fields, 9);
    } else if (mode == "GSM") {
        // GSM,<MCC>,<MNC>,<BAND>,<ARFCN>,<BSIC>,<Cell_ID>,<LAC>,<RXLEV>,<RxQuality>,<TA>
        StoreOperator(facts, FieldText(fields, 1), FieldText(fields, 2));
        StoreChannelField(facts, fields, 4, ChannelKind::Arfcn, kMaxArfcn);
        StoreHexField(&facts->cellId, fields, 6, 0, 0xFFFF);
        StoreHexField(&facts->area, fields, 7, 0, 0xFFFF);
        StoreLevelField(facts, MetricKind::Rssi, fields, 8);
    }
    return true;
}
