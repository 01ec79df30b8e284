// What the exporter serves of a snapshot of the fleet: the Prometheus text and the page at /.
#pragma once

#include <string>

#include "fleet/modem_state.h"

// The Prometheus text exposition (format 0.0.4) of a snapshot: one HELP and TYPE per family.
std::string MetricsText(const ExporterSnapshot& snapshot);

// A short HTML page: what is served and the modems known, every modem text escaped.
std::string StatusPage(const ExporterSnapshot& snapshot);
