// A radio metric as text for people, the same in `cell` and `watch`: whole numbers without a
// fraction, halves and tenths with one digit, and an open end of a coded scale as such.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

#include "radio/radio_facts.h"

// "-95", "-10.5", "13.4" (one decimal at most, ".0" dropped).
std::string MetricNumber(double value);

// "< -140 dBm", "-95 dBm", ">= -44 dBm" ("≥" is not in Windows-1251). Only for a known metric.
std::string MetricText(const Metric& metric, const char* unit);

// The same metric in JSON: null when unknown, whole numbers as integers ("-95", not "-95.0"),
// halves and tenths as they are.
nlohmann::ordered_json MetricJson(const Metric& metric);

// A number the modem may not have given: null when unknown.
nlohmann::ordered_json KnownIntJson(const KnownInt& value);
