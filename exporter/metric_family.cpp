#include "exporter/metric_family.h"

std::string FamilyText(const char* name, const char* type, const char* help, const std::vector<MetricSample>& samples) {
    std::string out = std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    for (const auto& sample : samples) {
        out += name;
        if (!sample.labels.empty()) out += "{" + sample.labels + "}";
        out += " " + sample.value + "\n";
    }
    return out;
}
