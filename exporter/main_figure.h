// The one figure a modem's card leads with: RSRP where the radio gives it, else the radio's
// RSSI, else the +CSQ level of a 3G stick. The kept history counts as much as the last
// reading, so an LTE stick's reading without a measurement, or a modem that stopped
// answering, shows its figure as unknown instead of switching the card (and its sparkline)
// to another one. The JSON API names it too, so the page's script and the page the server
// renders choose alike.
#pragma once

#include <cmath>

#include "fleet/modem_state.h"
#include "radio/quality_grade.h"

struct MainFigure {
    bool chosen = false;                  // the modem gives or gave one of the three
    bool known = false;                   // the last reading, which answered, has its value
    MetricKind kind = MetricKind::Rsrp;   // whose label, bar span and grades it takes
    const char* key = "rsrp";             // its key in the history's points
    double value = 0;
    Grade grade = Grade::Unknown;
};

// Its value unknown while the modem does not answer, as in /metrics.
MainFigure MainFigureOf(const ExportedModem& modem);

// The point's value of the figure named `key` (MainFigure::key); NaN when it has none.
float PointFigure(const SignalPoint& point, const char* key);
