// A radio metric as text for people, the same in `cell` and `watch`: whole numbers without a
// fraction, halves and tenths with one digit, and an open end of a coded scale as such. (As
// JSON: radio/radio_json.h.)
#pragma once

#include <string>

#include "radio/radio_facts.h"

// "-95", "-10.5", "13.4" (one decimal at most, ".0" dropped).
std::string MetricNumber(double value);

// "< -140 dBm", "-95 dBm", ">= -44 dBm". Only for a known metric.
std::string MetricText(const Metric& metric, const char* unit);
