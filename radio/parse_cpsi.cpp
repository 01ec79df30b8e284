// The +CPSI family, AT+CPSI? (module AT manual, UE system information section):
//   +CPSI: LTE,<Operation Mode>,<MCC>-<MNC>,<TAC>,<SCellID>,<PCellID>,<Frequency Band>,
//          <earfcn>,<dlbw>,<ulbw>,<RSRQ>,<RSRP>,<RSSI>,<RSSNR>
//   +CPSI: WCDMA,<Operation Mode>,<MCC>-<MNC>,<LAC>,<Cell ID>,<Frequency Band>,<UARFCN>,<PSC>,...
//   +CPSI: GSM,<Operation Mode>,<MCC>-<MNC>,<LAC>,<Cell ID>,<Absolute RF Ch Num>,<RxLev>,...
//   +CPSI: NO SERVICE,<Operation Mode>
//   +CPSI: NR5G_SA,<Operation Mode>,<MCC>-<MNC>,<TAC>,<SCellID>,<PCellID>,NR5G_BAND<n>,<ARFCN>,
//          <RSRP>,<RSRQ>,<SNR>
// and on EN-DC, after the LTE line:
//   +CPSI: NR5G_NSA,<PCellID>,NR5G_BAND<n>,<ARFCN>,<RSRP>,<RSRQ>,<SNR>[,...]
// TAC and LAC are hexadecimal with "0x", cell ids decimal; RSRQ, RSRP and RSSI of the LTE
// form are in tenths of a dB, RSSNR in dB; the NR lines give RSRP, RSRQ and SNR in tenths.
// The family has no carrier list whose layout could be confirmed: its carriers stay unknown.
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

void StoreMccMnc(RadioFacts* facts, std::string_view both) {
    const size_t dash = both.find('-');
    if (dash == std::string_view::npos) return;
    StoreOperator(facts, both.substr(0, dash), both.substr(dash + 1));
}

// "EUTRAN-BAND3" gives 3 with the prefix "EUTRAN-BAND", "NR5G_BAND78" 78 with "NR5G_BAND".
bool BandOfName(std::string_view name, std::string_view prefix, long long* band) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    return ParseUnsigned(name.substr(prefix.size()), band);
}

void StoreNrLevels(MetricSlots slots, const std::vector<Field>& f, size_t at) {
    StoreLevelField(slots, MetricKind::Rsrp, f, at, true);
    StoreLevelField(slots, MetricKind::Rsrq, f, at + 1, true);
    StoreLevelField(slots, MetricKind::Sinr, f, at + 2, true);
}

void StoreLine(const std::vector<Field>& f, RadioFacts* facts) {
    const std::string_view mode = FieldText(f, 0);
    long long value = 0;
    if (mode == "NO SERVICE") {
        facts->absence = Absence::Searching;
    } else if (mode == "LTE") {
        StoreTech(facts, RadioTech::Lte);
        StoreMccMnc(facts, FieldText(f, 2));
        StoreHexField(&facts->area, f, 3, 0, kMaxArea);
        StoreNumberField(&facts->cellId, f, 4, 0, kMaxCellId);
        StoreNumberField(&facts->pci, f, 5, 0, 503);
        const bool named = BandOfName(FieldText(f, 6), "EUTRAN-BAND", &value);
        StoreInt(&facts->band, named, value, 1, 255);
        StoreChannelField(facts, f, 7, ChannelKind::Earfcn, kMaxEarfcn);
        StoreLevelField(facts, MetricKind::Rsrq, f, 10, true);
        StoreLevelField(facts, MetricKind::Rsrp, f, 11, true);
        StoreLevelField(facts, MetricKind::Rssi, f, 12, true);
        StoreLevelField(facts, MetricKind::Sinr, f, 13);
    } else if (mode == "NR5G_SA") {
        StoreTech(facts, RadioTech::Nr5g);
        StoreMccMnc(facts, FieldText(f, 2));
        StoreHexField(&facts->area, f, 3, 0, kMaxArea);
        StoreNumberField(&facts->cellId, f, 4, 0, kMaxNrCellId);
        StoreNumberField(&facts->pci, f, 5, 0, kMaxNrPci);
        const bool named = BandOfName(FieldText(f, 6), "NR5G_BAND", &value);
        StoreInt(&facts->band, named, value, 1, 1024);
        StoreChannelField(facts, f, 7, ChannelKind::NrArfcn, kMaxNrArfcn);
        StoreNrLevels(TopSlots(facts, true), f, 8);
    } else if (mode == "NR5G_NSA") {
        facts->nrLeg = true;
        StoreNumberField(&facts->nr.pci, f, 1, 0, kMaxNrPci);
        const bool named = BandOfName(FieldText(f, 2), "NR5G_BAND", &value);
        StoreInt(&facts->nr.band, named, value, 1, 1024);
        StoreNumberField(&facts->nr.channel, f, 3, 0, kMaxNrArfcn);
        StoreNrLevels(LegSlots(facts), f, 4);
    } else if (mode == "WCDMA") {
        StoreTech(facts, RadioTech::Umts);
        StoreMccMnc(facts, FieldText(f, 2));
        StoreHexField(&facts->area, f, 3, 0, 0xFFFF);
        StoreNumberField(&facts->cellId, f, 4, 0, kMaxCellId);
        StoreChannelField(facts, f, 6, ChannelKind::Uarfcn, kMaxUarfcn);
        StoreNumberField(&facts->pci, f, 7, 0, 511);
    } else if (mode == "GSM") {
        StoreTech(facts, RadioTech::Gsm);
        StoreMccMnc(facts, FieldText(f, 2));
        StoreHexField(&facts->area, f, 3, 0, 0xFFFF);
        StoreNumberField(&facts->cellId, f, 4, 0, 0xFFFF);
        // "<arfcn> <band name>", as in "27 EGSM 900"
        const std::string_view channel = FieldText(f, 5);
        const bool numbered = ParseUnsigned(channel.substr(0, channel.find(' ')), &value);
        StoreInt(&facts->channel, numbered, value, 0, kMaxArfcn);
        if (facts->channel.known) facts->channelKind = ChannelKind::Arfcn;
        StoreLevelField(facts, MetricKind::Rssi, f, 6);
    }
}

}  // namespace

bool ParseCpsi(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+CPSI");
    if (lines.empty()) return false;
    // One line per leg: the serving cell's, and on EN-DC the NR leg's after it.
    for (std::string_view rest : lines) StoreLine(SplitFields(rest), facts);
    return true;
}
