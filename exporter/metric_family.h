// One metric family of the text exposition (format 0.0.4): its HELP and TYPE lines, then its
// samples.
#pragma once

#include <string>
#include <vector>

struct MetricSample {
    std::string labels;   // `name="value"` pairs joined by commas, escaped; empty for none
    std::string value;
};

// "# HELP name help", "# TYPE name type", then "name{labels} value" per sample ("name value"
// for one without labels), each line ended by "\n". A family without samples keeps its HELP
// and TYPE, so that a scrape always names every family.
std::string FamilyText(const char* name, const char* type, const char* help, const std::vector<MetricSample>& samples);
