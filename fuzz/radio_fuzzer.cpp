// Every parser of the radio facts over arbitrary bytes (garbage, truncated replies, NUL and
// ESC bytes, 64 KiB floods): no crash, no value outside its metric's range or its field's
// width, and the same bytes always give the same facts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_checks.h"
#include "radio/radio_facts.h"
#include "radio/radio_families.h"
#include "radio/reply_parsers.h"

namespace {

const ReplyParser kParsers[] = {ParseCops, ParseCesq, ParseCsq, ParseCereg, ParseCgreg, ParseCreg,
                                ParseCpin, ParseCfun, ParseHcsq, ParseSysinfoex, ParseHfreqinfo,
                                ParseMonsc, ParseQeng, ParseCpsi};

void CheckInt(const KnownInt& value, long long low, long long high, const char* what) {
    if (value.known) FuzzCheck(value.value >= low && value.value <= high, what);
}

void CheckFacts(const RadioFacts& facts) {
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        const Metric& metric = facts.metrics[i];
        if (metric.known) FuzzCheck(InRange(static_cast<MetricKind>(i), metric.value), "metric out of its range");
    }
    CheckInt(facts.band, 1, 255, "band");
    CheckInt(facts.channel, 0, 262143, "channel");
    CheckInt(facts.pci, 0, 511, "pci");
    CheckInt(facts.area, 0, 0xFFFFFF, "area");
    CheckInt(facts.cellId, 0, 0xFFFFFFF, "cell id");
    FuzzCheck(facts.operatorNumeric.empty() || (facts.operatorNumeric.size() >= 5 && facts.operatorNumeric.size() <= 6),
              "operator number");
}

bool SameInt(const KnownInt& a, const KnownInt& b) { return a.known == b.known && (!a.known || a.value == b.value); }

bool SameFacts(const RadioFacts& a, const RadioFacts& b) {
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        const Metric& x = a.metrics[i];
        const Metric& y = b.metrics[i];
        if (x.known != y.known || (x.known && (x.value != y.value || x.end != y.end))) return false;
    }
    return a.tech == b.tech && a.registration == b.registration && a.absence == b.absence &&
           a.operatorName == b.operatorName && a.operatorNumeric == b.operatorNumeric && SameInt(a.band, b.band) &&
           SameInt(a.channel, b.channel) && a.channelKind == b.channelKind && SameInt(a.pci, b.pci) &&
           SameInt(a.area, b.area) && SameInt(a.cellId, b.cellId);
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
    long long value = 0;
    for (std::string_view prefix : {"+CEREG", "+CGREG", "+CREG"}) {
        if (RegistrationModeOf(reply, prefix, &value)) FuzzCheck(value >= 0 && value <= 5, "registration mode");
    }
    if (CopsFormatOf(reply, &value)) FuzzCheck(value >= 0 && value <= 2, "operator format");
    return 0;
}
