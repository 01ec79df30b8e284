// What the exporter answers at each path: /metrics, the JSON API, the status page and its two
// files. Every answer comes from one snapshot of memory, never from a modem.
#pragma once

#include <functional>
#include <string>

#include "exporter/http_message.h"
#include "fleet/modem_state.h"

struct ExporterSite {
    std::function<ExporterSnapshot()> snapshot;
    int intervalSeconds = 15;   // how often the page asks again
};

// 404 for any other path, 405 for a method but GET and HEAD.
HttpResponse ExporterAnswer(const ExporterSite& site, const std::string& method, const std::string& path);
