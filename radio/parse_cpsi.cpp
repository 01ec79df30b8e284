// The +CPSI family, AT+CPSI? (module AT manual, UE system information section):
//   +CPSI: LTE,<Operation Mode>,<MCC>-<MNC>,<TAC>,<SCellID>,<PCellID>,<Frequency Band>,
//          <earfcn>,<dlbw>,<ulbw>,<RSRQ>,<RSRP>,<RSSI>,<RSSNR>
//   +CPSI: WCDMA,<Operation Mode>,<MCC>-<MNC>,<LAC>,<Cell ID>,<Frequency Band>,<UARFCN>,<PSC>,...
//   +CPSI: GSM,<Operation Mode>,<MCC>-<MNC>,<LAC>,<Cell ID>,<Absolute RF Ch Num>,<RxLev>,...
//   +CPSI: NO SERVICE,<Operation Mode>
// TAC and LAC are hexadecimal with "0x", cell ids decimal; RSRQ, RSRP and RSSI of the LTE
// form are in tenths of a dB, RSSNR in dB.
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

void StoreMccMnc(RadioFacts* facts, std::string_view both) {
    const size_t dash = both.find('-');
    if (dash == std::string_view::npos) return;
    StoreOperator(facts, both.substr(0, dash), both.substr(dash + 1));
}

// "EUTRAN-BAND3" gives 3.
bool BandOfName(std::string_view name, long long* band) {
    constexpr std::string_view kPrefix = "EUTRAN-BAND";
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) return false;
    return ParseUnsigned(name.substr(kPrefix.size()), band);
}

}  // namespace

bool ParseCpsi(std::string_view reply, RadioFacts* facts) {
    const std::vector<std::string_view> lines = PrefixedLines(reply, "+CPSI");
    if (lines.empty()) return false;
    const std::vector<Field> f = SplitFields(lines.back());
    const std::string_view mode = FieldText(f, 0);
    long long value = 0;
    if (mode == "NO SERVICE") {
        facts->absence = Absence::Searching;
        return true;
    }
    if (mode == "LTE") {
        StoreTech(facts, RadioTech::Lte);
        StoreMccMnc(facts, FieldText(f, 2));
        StoreHexField(&facts->area, f, 3, 0, kMaxArea);
        StoreNumberField(&facts->cellId, f, 4, 0, kMaxCellId);
        StoreNumberField(&facts->pci, f, 5, 0, 503);
        const bool named = BandOfName(FieldText(f, 6), &value);
        StoreInt(&facts->band, named, value, 1, 255);
        StoreChannelField(facts, f, 7, ChannelKind::Earfcn, kMaxEarfcn);
        StoreLevelField(facts, MetricKind::Rsrq, f, 10, true);
        StoreLevelField(facts, MetricKind::Rsrp, f, 11, true);
        StoreLevelField(facts, MetricKind::Rssi, f, 12, true);
        StoreLevelField(facts, MetricKind::Sinr, f, 13);
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
    return true;
}
