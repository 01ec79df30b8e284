// Small helpers the family parsers share: a field as a number, a fact stored when it is in
// range. The parsers name no command: the session stamps each fact with the command of the
// family row it asked (StampSources).
#pragma once

#include <string>
#include <vector>

#include "radio/metric_table.h"
#include "radio/nr_bands.h"
#include "radio/radio_facts.h"
#include "radio/reply_lines.h"

// A field that is never negative (a code, a channel, an id): digits only.
inline bool FieldNumber(const std::vector<Field>& fields, size_t index, long long* value) {
    return index < fields.size() && ParseUnsigned(fields[index].text, value);
}

// A signed integer field (a level in dBm or dB).
inline bool FieldSigned(const std::vector<Field>& fields, size_t index, long long* value) {
    return index < fields.size() && ParseDecimal(fields[index].text, value);
}

inline bool FieldHex(const std::vector<Field>& fields, size_t index, long long* value) {
    return index < fields.size() && ParseHex(fields[index].text, value);
}

inline std::string_view FieldText(const std::vector<Field>& fields, size_t index) {
    return index < fields.size() ? fields[index].text : std::string_view();
}

// Where a line's figures go: the serving cell at the top of the facts, the NR leg, or a
// carrier; `nr` takes NR's plausible ranges (radio/metric_table.h).
struct MetricSlots {
    Metric* values;
    bool nr;
};

inline MetricSlots TopSlots(RadioFacts* facts, bool nr = false) { return {facts->metrics, nr}; }
inline MetricSlots LegSlots(RadioFacts* facts) { return {facts->nr.metrics.values, true}; }

inline void StoreMetric(MetricSlots slots, MetricKind kind, Metric metric) {
    if (!metric.known || !(slots.nr ? InNrRange(kind, metric.value) : InRange(kind, metric.value))) return;
    slots.values[static_cast<int>(kind)] = metric;
}

inline void StoreMetric(RadioFacts* facts, MetricKind kind, Metric metric) {
    StoreMetric(TopSlots(facts), kind, metric);
}

// A level the modem gives in whole dBm or dB (tenths of them with `tenths`).
inline void StoreLevelField(MetricSlots slots, MetricKind kind, const std::vector<Field>& fields, size_t index,
                            bool tenths = false) {
    long long value = 0;
    if (!FieldSigned(fields, index, &value)) return;
    Metric metric;
    metric.known = true;
    metric.value = tenths ? static_cast<double>(value) / 10.0 : static_cast<double>(value);
    StoreMetric(slots, kind, metric);
}

inline void StoreLevelField(RadioFacts* facts, MetricKind kind, const std::vector<Field>& fields, size_t index,
                            bool tenths = false) {
    StoreLevelField(TopSlots(facts), kind, fields, index, tenths);
}

// A known integer when it lies in [low, high]. (Parse first, then call: the arguments of one
// call are evaluated in no fixed order.)
inline void StoreInt(KnownInt* into, bool parsed, long long value, long long low, long long high) {
    if (parsed && value >= low && value <= high) *into = {true, value};
}

inline void StoreNumberField(KnownInt* into, const std::vector<Field>& fields, size_t index, long long low,
                             long long high) {
    long long value = 0;
    const bool parsed = FieldNumber(fields, index, &value);
    StoreInt(into, parsed, value, low, high);
}

inline void StoreHexField(KnownInt* into, const std::vector<Field>& fields, size_t index, long long low,
                          long long high) {
    long long value = 0;
    const bool parsed = FieldHex(fields, index, &value);
    StoreInt(into, parsed, value, low, high);
}

// The channel, of the kind the technology gives (0..`high`).
inline void StoreChannelField(RadioFacts* facts, const std::vector<Field>& fields, size_t index, ChannelKind kind,
                              long long high) {
    StoreNumberField(&facts->channel, fields, index, 0, high);
    if (facts->channel.known) facts->channelKind = kind;
}

// MCC and MNC as one number text ("250" and "01" give "25001"), when both are 2-3 digits.
inline void StoreOperator(RadioFacts* facts, std::string_view mcc, std::string_view mnc) {
    long long scratch = 0;
    if (mcc.size() != 3 || mnc.size() < 2 || mnc.size() > 3) return;
    if (!ParseUnsigned(mcc, &scratch) || !ParseUnsigned(mnc, &scratch)) return;
    facts->operatorNumeric = std::string(mcc) + std::string(mnc);
}

// The technology a family's serving-cell reply names: it outranks the +COPS and registration
// AcT (TechRank).
inline void StoreTech(RadioFacts* facts, RadioTech tech) {
    if (tech == RadioTech::Unknown) return;
    facts->tech = tech;
    facts->techRank = TechRank::ServingCell;
}

// A bandwidth in kHz from a code (radio/nr_bands.h); 0 is no bandwidth.
inline void StoreBandwidthField(KnownInt* into, const std::vector<Field>& fields, size_t index,
                                long long (*khzOf)(long long)) {
    long long code = 0;
    if (FieldNumber(fields, index, &code) && khzOf(code) != 0) *into = {true, khzOf(code)};
}

// Cell ids: 28 bits on E-UTRAN and UTRAN (RNC and cell), 36 on NR (3GPP TS 38.413 NR Cell
// Identity), 16 on GSM; areas 16 bits (TAC 24).
constexpr long long kMaxCellId = 0xFFFFFFF;
constexpr long long kMaxNrCellId = 0xFFFFFFFFFLL;
constexpr long long kMaxNrPci = 1007;
constexpr long long kMaxArea = 0xFFFFFF;
constexpr long long kMaxEarfcn = 262143;
constexpr long long kMaxUarfcn = 16383;
constexpr long long kMaxArfcn = 1023;
