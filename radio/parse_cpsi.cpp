// The +CPSI family, AT+CPSI? (module AT manual, UE system information section):
//   +CPSI: LTE,<Operation Mode>,<MCC>-<MNC>,<TAC>,<SCellID>,<PCellID>,<Frequency Band>,
//          <earfcn>,<dlbw>,<ulbw>,<RSRQ>,<RSRP>,<RSSI>,<RSSNR>
//   +CPSI: WCDMA,<Operation Mode>,<MCC>-<MNC>,<LAC>,<Cell ID>,<Frequency Band>,<UARFCN>,<PSC>,...
//   +CPSI: GSM,<Operation Mode>,<MCC>-<MNC>,<LAC>,<Cell ID>,<Absolute RF Ch Num>,<RxLev>,...
//   +CPSI: NO SERVICE,<Operation Mode>
// TAC and LAC are hexadecimal with "0x", cell ids decimal; RSRQ, RSRP and RSSI of the LTE
// form are in tenths of a dB, RSSNR in dB.
#include "radio/lte_bands.h"
#include "radio/metric_formulas.h"
#include "radio/parse_fields.h"
#include "radio/reply_parsers.h"

namespace {

constexpr const char* kCpsi = "AT+CPSI?";

void StoreMccMnc(RadioFacts* facts, std::string_view both) {
    const size_t dash = both.find('-');
    if (dash == std::string_view::npos) return;
    StoreOperator(facts, both.substr(0, dash), both.substr(dash + 1), kCpsi);
}

void StoreTenths(RadioFacts* facts, MetricKind kind, const std::vector<Field>& f, size_t index) {
    long long tenths = 0;
    if (!FieldNumber(f, index, &tenths)) return;
    StoreMetric(facts, kind, PlainMetric(kind, static_cast<double>(tenths) / 10.0), kCpsi);
}

// "EUTRAN-BAND3" gives 3.
bool BandOfName(std::string_view name, long long* band) {
    constexpr std::string_view kPrefix = "EUTRAN-BAND";
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) return false;
    return ParseDecimal(name.substr(kPrefix.size()), band);
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
        StoreTech(facts, RadioTech::Lte, kCpsi);
        StoreMccMnc(facts, FieldText(f, 2));
        StoreHexField(&facts->area, f, 3, 0, kMaxArea);
        StoreNumberField(&facts->cellId, f, 4, 0, kMaxCellId);
        StoreNumberField(&facts->pci, f, 5, 0, 503);
        const bool named = BandOfName(FieldText(f, 6), &value);
        StoreInt(&facts->band, named, value, 1, 255);
        StoreNumberField(&facts->channel, f, 7, 0, 262143);
        if (facts->channel.known) {
            facts->channelKind = ChannelKind::Earfcn;
            if (!facts->band.known && BandFromEarfcn(facts->channel.value) != 0) {
                facts->band = {true, BandFromEarfcn(facts->channel.value)};
            }
        }
        StoreTenths(facts, MetricKind::Rsrq, f, 10);
        StoreTenths(facts, MetricKind::Rsrp, f, 11);
        StoreTenths(facts, MetricKind::Rssi, f, 12);
        if (FieldNumber(f, 13, &value)) {
            StoreMetric(facts, MetricKind::Sinr, PlainMetric(MetricKind::Sinr, static_cast<double>(value)), kCpsi);
        }
    } else if (mode == "WCDMA") {
        StoreTech(facts, RadioTech::Umts, kCpsi);
        StoreMccMnc(facts, FieldText(f, 2));
        StoreHexField(&facts->area, f, 3, 0, 0xFFFF);
        StoreNumberField(&facts->cellId, f, 4, 0, kMaxCellId);
        StoreNumberField(&facts->channel, f, 6, 0, 16383);
        if (facts->channel.known) facts->channelKind = ChannelKind::Uarfcn;
        StoreNumberField(&facts->pci, f, 7, 0, 511);
    } else if (mode == "GSM") {
        StoreTech(facts, RadioTech::Gsm, kCpsi);
        StoreMccMnc(facts, FieldText(f, 2));
        StoreHexField(&facts->area, f, 3, 0, 0xFFFF);
        StoreNumberField(&facts->cellId, f, 4, 0, 0xFFFF);
        // "<arfcn> <band name>", as in "27 EGSM 900"
        const std::string_view channel = FieldText(f, 5);
        const bool numbered = ParseDecimal(channel.substr(0, channel.find(' ')), &value);
        StoreInt(&facts->channel, numbered, value, 0, 1023);
        if (facts->channel.known) facts->channelKind = ChannelKind::Arfcn;
        double level = 0;
        if (FieldValue(f, 6, &level)) StoreMetric(facts, MetricKind::Rssi, PlainMetric(MetricKind::Rssi, level), kCpsi);
    } else {
        return true;
    }
    return true;
}
