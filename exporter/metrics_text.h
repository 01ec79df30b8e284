// The Prometheus text of a snapshot of the fleet (the page at / is exporter/status_page.h).
#pragma once

#include <string>

#include "fleet/modem_state.h"

// The Prometheus text exposition (format 0.0.4) of a snapshot: one HELP and TYPE per family.
std::string MetricsText(const ExporterSnapshot& snapshot);
