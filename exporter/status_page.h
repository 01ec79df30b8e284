// The live status page at /: one card per modem, complete as the server renders it (a text
// browser or one with scripts off shows every figure), then kept current by /status.js from
// /api/v1/modems. The script fills the same markup the server writes (the <template> below
// the cards), so the two never drift apart. Nothing is inline and nothing comes from
// elsewhere: the page works under Content-Security-Policy default-src 'self'.
#pragma once

#include <string>

#include "fleet/modem_state.h"

// The page; every text a modem wrote is escaped. `intervalSeconds`: how often the script asks.
std::string StatusPageHtml(const ExporterSnapshot& snapshot, int intervalSeconds);

// The page's style sheet and script, served as /status.css and /status.js.
extern const char kStatusPageCss[];
extern const char kStatusPageScript[];
