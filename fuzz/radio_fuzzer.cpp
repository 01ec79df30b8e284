// Every parser of the radio facts over arbitrary bytes (garbage, truncated replies, NUL and
// ESC bytes, 64 KiB floods): no crash, no value outside its metric's range or its field's
// width (the NR leg's and every carrier's too), and the same bytes always give the same facts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_checks.h"
#include "radio/metric_table.h"
#include "radio/nr_bands.h"
#include "radio/radio_facts.h"
#include "radio/radio_families.h"
#include "radio/reply_parsers.h"

namespace {

const ReplyParser kParsers[] = {ParseCops,  ParseCesq,      ParseCsq,       ParseC5greg, ParseCereg,
                                ParseCgreg, ParseCreg,      ParseCpin,      ParseCfun,   ParseHcsq,
                                ParseSysinfoex, ParseHfreqinfo, ParseMonsc, ParseQeng,   ParseQcainfo,
                                ParseCpsi};

void CheckInt(const KnownInt& value, long long low, long long high, const char* what) {
    if (value.known) FuzzCheck(value.value >= low && value.value <= high, what);
}

// NR's ranges hold LTE's (radio/metric_table.h): a standalone cell's figures sit at the top.
void CheckMetrics(const Metric* metrics, const char* what) {
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        if (metrics[i].known) FuzzCheck(InNrRange(static_cast<MetricKind>(i), metrics[i].value), what);
    }
}

void CheckFacts(const RadioFacts& facts) {
    CheckMetrics(facts.metrics, "metric out of its range");
    CheckInt(facts.band, 1, 1024, "band");
    CheckInt(facts.channel, 0, kMaxNrArfcn, "channel");
    CheckInt(facts.pci, 0, 1007, "pci");
    CheckInt(facts.bandwidthKhz, 1400, 400000, "bandwidth");
    CheckInt(facts.area, 0, 0xFFFFFF, "area");
    CheckInt(facts.cellId, 0, 0xFFFFFFFFFLL, "cell id");
    CheckMetrics(facts.nr.metrics.values, "NR leg metric out of its range");
    CheckInt(facts.nr.band, 1, 1024, "NR leg band");
    CheckInt(facts.nr.channel, 0, kMaxNrArfcn, "NR leg channel");
    CheckInt(facts.nr.pci, 0, 1007, "NR leg pci");
    for (const Carrier& carrier : facts.carriers) {
        FuzzCheck(carrier.tech == RadioTech::Lte || carrier.tech == RadioTech::Nr5g, "carrier technology");
        CheckMetrics(carrier.metrics.values, "carrier metric out of its range");
        CheckInt(carrier.band, 1, 1024, "carrier band");
        CheckInt(carrier.channel, 0, kMaxNrArfcn, "carrier channel");
        CheckInt(carrier.pci, 0, 1007, "carrier pci");
        CheckInt(carrier.bandwidthKhz, 1400, 400000, "carrier bandwidth");
    }
    FuzzCheck(facts.carriers.empty() || facts.carriersKnown, "carriers without a list");
    FuzzCheck(facts.operatorNumeric.empty() || (facts.operatorNumeric.size() >= 5 && facts.operatorNumeric.size() <= 6),
              "operator number");
}

bool SameInt(const KnownInt& a, const KnownInt& b) { return a.known == b.known && (!a.known || a.value == b.value); }

bool SameMetrics(const Metric* a, const Metric* b) {
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        const Metric& x = a[i];
        const Metric& y = b[i];
        if (x.known != y.known || (x.known && (x.value != y.value || x.end != y.end || x.note != y.note))) return false;
    }
    return true;
}

bool SameFacts(const RadioFacts& a, const RadioFacts& b) {
    if (!SameMetrics(a.metrics, b.metrics) || !SameMetrics(a.nr.metrics.values, b.nr.metrics.values)) return false;
    if (a.carriers.size() != b.carriers.size() || a.carriersKnown != b.carriersKnown) return false;
    for (size_t i = 0; i < a.carriers.size(); ++i) {
        const Carrier& x = a.carriers[i];
        const Carrier& y = b.carriers[i];
        if (x.primary != y.primary || x.tech != y.tech || x.state != y.state || !SameInt(x.band, y.band) ||
            !SameInt(x.channel, y.channel) || !SameInt(x.pci, y.pci) || !SameInt(x.bandwidthKhz, y.bandwidthKhz) ||
            !SameMetrics(x.metrics.values, y.metrics.values)) {
            return false;
        }
    }
    return a.tech == b.tech && a.nrLeg == b.nrLeg && a.registration == b.registration && a.absence == b.absence &&
           a.operatorName == b.operatorName && a.operatorNumeric == b.operatorNumeric && SameInt(a.band, b.band) &&
           SameInt(a.channel, b.channel) && a.channelKind == b.channelKind && SameInt(a.pci, b.pci) &&
           SameInt(a.bandwidthKhz, b.bandwidthKhz) && SameInt(a.area, b.area) && SameInt(a.cellId, b.cellId) &&
           SameInt(a.nr.band, b.nr.band) && SameInt(a.nr.channel, b.nr.channel) && SameInt(a.nr.pci, b.nr.pci) &&
           SameInt(a.nr.bandwidthKhz, b.nr.bandwidthKhz);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    RadioFacts all;
    for (ReplyParser parse : kParsers) {
        RadioFacts first;
        RadioFacts second;
        const bool recognised = parse(reply, &first);
        FuzzCheck(parse(reply, &second) == recognised, "recognition differs between two runs");
        FuzzCheck(SameFacts(first, second), "facts differ between two runs");
        CheckFacts(first);
        MergeFacts(first, &all);
    }
    CheckFacts(all);
    // The whole reading's end: bands from channels, the leg kept only on LTE+NR, the primary
    // carrier first.
    CompleteFacts(&all);
    CheckFacts(all);
    if (all.tech != RadioTech::LteNr) FuzzCheck(!all.nr.channel.known && !all.nr.pci.known, "an NR leg off EN-DC");
    for (size_t i = 1; i < all.carriers.size(); ++i) {
        FuzzCheck(!all.carriers[i].primary || all.carriers[i - 1].primary, "a secondary carrier before a primary");
    }
    long long value = 0;
    for (std::string_view prefix : {"+C5GREG", "+CEREG", "+CGREG", "+CREG"}) {
        if (RegistrationModeOf(reply, prefix, &value)) FuzzCheck(value >= 0 && value <= 5, "registration mode");
    }
    if (CopsFormatOf(reply, &value)) FuzzCheck(value >= 0 && value <= 2, "operator format");
    return 0;
}
