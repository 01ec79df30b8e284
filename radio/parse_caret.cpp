// The caret family: ^HCSQ?, ^SYSINFOEX, ^HFREQINFO?, ^MONSC (module AT manuals, network
// service sections).
#include "radio/lte_bands.h"
#include "radio/metric_formulas.h"
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

constexpr const char* kHcsq = "AT^HCSQ?";
constexpr const char* kSysinfoex = "AT^SYSINFOEX";
constexpr const char* kMonsc = "AT^MONSC";

RadioTech TechFromName(std::string_view name) {
    if (name == "LTE") return RadioTech::Lte;
    if (name == "WCDMA" || name == "TD-SCDMA") return RadioTech::Umts;
    if (name == "GSM") return RadioTech::Gsm;
    return RadioTech::Unknown;
}

}  // namespace

bool ParseHcsq(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "^HCSQ");
    if (lines.empty()) return false;
    const std::vector<Field> fields = SplitFields(lines.back());
    const std::string_view mode = FieldText(fields, 0);
    StoreTech(facts, TechFromName(mode), kHcsq);
    long long value = 0;
    // ^HCSQ: "LTE",<rssi>,<rsrp>,<sinr>,<rsrq>; "WCDMA",<rssi>,<rscp>,<ecio>; "GSM",<rssi>.
    if (FieldNumber(fields, 1, &value)) StoreMetric(facts, MetricKind::Rssi, HcsqRssi(value), kHcsq);
    if (mode == "LTE") {
        if (FieldNumber(fields, 2, &value)) StoreMetric(facts, MetricKind::Rsrp, HcsqRsrp(value), kHcsq);
        if (FieldNumber(fields, 3, &value)) StoreMetric(facts, MetricKind::Sinr, HcsqSinr(value), kHcsq);
        if (FieldNumber(fields, 4, &value)) StoreMetric(facts, MetricKind::Rsrq, HcsqRsrq(value), kHcsq);
    } else if (mode == "WCDMA" || mode == "TD-SCDMA") {
        if (FieldNumber(fields, 2, &value)) StoreMetric(facts, MetricKind::Rscp, HcsqRscp(value), kHcsq);
        if (FieldNumber(fields, 3, &value)) StoreMetric(facts, MetricKind::Ecno, HcsqEcio(value), kHcsq);
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
            case 1: StoreTech(facts, RadioTech::Gsm, kSysinfoex); break;
            case 3: case 4: StoreTech(facts, RadioTech::Umts, kSysinfoex); break;
            case 6: StoreTech(facts, RadioTech::Lte, kSysinfoex); break;
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
    long long band = 0;
    long long channel = 0;
    if (!FieldNumber(fields, 1, &sysmode)) return true;
    const bool hasBand = FieldNumber(fields, 2, &band);
    const bool hasChannel = FieldNumber(fields, 3, &channel);
    if (sysmode == 6) {
        StoreInt(&facts->channel, hasChannel, channel, 0, 262143);
        if (facts->channel.known) facts->channelKind = ChannelKind::Earfcn;
        StoreInt(&facts->band, hasBand, band, 1, 255);
        if (!facts->band.known && facts->channel.known && BandFromEarfcn(channel) != 0) {
            facts->band = {true, BandFromEarfcn(channel)};
        }
    } else if (sysmode == 3) {
        StoreInt(&facts->channel, hasChannel, channel, 0, 16383);
        if (facts->channel.known) facts->channelKind = ChannelKind::Uarfcn;
        StoreInt(&facts->band, hasBand, band, 1, 255);
    }
    return true;
}

bool ParseMonsc(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "^MONSC");
    if (lines.empty()) return false;
    const std::vector<Field> fields = SplitFields(lines.back());
    const std::string_view mode = FieldText(fields, 0);
    StoreTech(facts, TechFromName(mode), kMonsc);
    double level = 0;
    if (mode == "LTE") {
        // LTE,<MCC>,<MNC>,<ARFCN>,<Cell_ID>,<PCI>,<TAC>,<RSRP>,<RSRQ>,<RXLEV>
        StoreOperator(facts, FieldText(fields, 1), FieldText(fields, 2), kMonsc);
        StoreNumberField(&facts->channel, fields, 3, 0, 262143);
        if (facts->channel.known) {
            facts->channelKind = ChannelKind::Earfcn;
            if (BandFromEarfcn(facts->channel.value) != 0) facts->band = {true, BandFromEarfcn(facts->channel.value)};
        }
        StoreHexField(&facts->cellId, fields, 4, 0, kMaxCellId);
        StoreNumberField(&facts->pci, fields, 5, 0, 503);
        StoreHexField(&facts->area, fields, 6, 0, kMaxArea);
        if (FieldValue(fields, 7, &level)) StoreMetric(facts, MetricKind::Rsrp, PlainMetric(MetricKind::Rsrp, level), kMonsc);
        if (FieldValue(fields, 8, &level)) StoreMetric(facts, MetricKind::Rsrq, PlainMetric(MetricKind::Rsrq, level), kMonsc);
        if (FieldValue(fields, 9, &level)) StoreMetric(facts, MetricKind::Rssi, PlainMetric(MetricKind::Rssi, level), kMonsc);
    } else if (mode == "WCDMA") {
        // WCDMA,<MCC>,<MNC>,<ARFCN>,<PSC>,<Cell_ID>,<LAC>,<RSCP>,<RXLEV>,<EC/N0>,<DRX>,<URA_ID>
        StoreOperator(facts, FieldText(fields, 1), FieldText(fields, 2), kMonsc);
        StoreNumberField(&facts->channel, fields, 3, 0, 16383);
        if (facts->channel.known) facts->channelKind = ChannelKind::Uarfcn;
        StoreNumberField(&facts->pci, fields, 4, 0, 511);
        StoreHexField(&facts->cellId, fields, 5, 0, kMaxCellId);
        StoreHexField(&facts->area, fields, 6, 0, 0xFFFF);
        if (FieldValue(fields, 7, &level)) StoreMetric(facts, MetricKind::Rscp, PlainMetric(MetricKind::Rscp, level), kMonsc);
        if (FieldValue(fields, 8, &level)) StoreMetric(facts, MetricKind::Rssi, PlainMetric(MetricKind::Rssi, level), kMonsc);
        if (FieldValue(fields, 9, &level)) StoreMetric(facts, MetricKind::Ecno, PlainMetric(MetricKind::Ecno, level), kMonsc);
    } else if (mode == "GSM") {
        // GSM,<MCC>,<MNC>,<BAND>,<ARFCN>,<BSIC>,<Cell_ID>,<LAC>,<RXLEV>,<RxQuality>,<TA>
        StoreOperator(facts, FieldText(fields, 1), FieldText(fields, 2), kMonsc);
        StoreNumberField(&facts->channel, fields, 4, 0, 1023);
        if (facts->channel.known) facts->channelKind = ChannelKind::Arfcn;
        StoreHexField(&facts->cellId, fields, 6, 0, 0xFFFF);
        StoreHexField(&facts->area, fields, 7, 0, 0xFFFF);
        if (FieldValue(fields, 8, &level)) StoreMetric(facts, MetricKind::Rssi, PlainMetric(MetricKind::Rssi, level), kMonsc);
    } else {
        return true;
    }
    return true;
}
