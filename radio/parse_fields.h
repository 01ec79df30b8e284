// Small helpers the family parsers share: a field as a number, a metric stored with its source.
#pragma once

#include <string>
#include <vector>

#include "radio/radio_facts.h"
#include "radio/reply_lines.h"

inline bool FieldNumber(const std::vector<Field>& fields, size_t index, long long* value) {
    return index < fields.size() && ParseDecimal(fields[index].text, value);
}

inline bool FieldHex(const std::vector<Field>& fields, size_t index, long long* value) {
    return index < fields.size() && ParseHex(fields[index].text, value);
}

inline bool FieldValue(const std::vector<Field>& fields, size_t index, double* value) {
    return index < fields.size() && ParseDecimalFraction(fields[index].text, value);
}

inline std::string_view FieldText(const std::vector<Field>& fields, size_t index) {
    return index < fields.size() ? fields[index].text : std::string_view();
}

inline void StoreMetric(RadioFacts* facts, MetricKind kind, Metric metric, const char* source) {
    if (!metric.known || !InRange(kind, metric.value)) return;
    metric.source = source;
    facts->Get(kind) = metric;
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

// MCC and MNC as one number text ("250" and "01" give "25001"), when both are 2-3 digits.
inline void StoreOperator(RadioFacts* facts, std::string_view mcc, std::string_view mnc, const char* source) {
    long long scratch = 0;
    if (mcc.size() != 3 || mnc.size() < 2 || mnc.size() > 3) return;
    if (!ParseDecimal(mcc, &scratch) || !ParseDecimal(mnc, &scratch)) return;
    if (mcc.front() == '-' || mcc.front() == '+' || mnc.front() == '-' || mnc.front() == '+') return;
    facts->operatorNumeric = std::string(mcc) + std::string(mnc);
    facts->operatorNumericSource = source;
}

inline void StoreTech(RadioFacts* facts, RadioTech tech, const char* source) {
    if (tech == RadioTech::Unknown) return;
    facts->tech = tech;
    facts->techSource = source;
}

// Cell ids: 28 bits on E-UTRAN and UTRAN (RNC and cell), 16 on GSM; areas 16 bits (TAC 24).
constexpr long long kMaxCellId = 0xFFFFFFF;
constexpr long long kMaxArea = 0xFFFFFF;
