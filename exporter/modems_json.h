// /api/v1/modems: what /metrics says of each modem, as one JSON object per modem, with the
// radio facts in `cell --json`'s layout and the kept history of the main figures.
#pragma once

#include <string>

#include "fleet/modem_state.h"

// A JSON array in the snapshot's identity order; valid UTF-8 whatever the modems wrote.
std::string ModemsJson(const ExporterSnapshot& snapshot);
