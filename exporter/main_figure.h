// The one figure a modem's card leads with: RSRP where the radio gives it, else the radio's
// RSSI, else the +CSQ level of a 3G stick. The JSON API names it too, so the page's script
// and the page the server renders choose alike.
#pragma once

#include <cmath>

#include "fleet/modem_state.h"
#include "radio/quality_grade.h"

struct MainFigure {
    bool known = false;
    MetricKind kind = MetricKind::Rsrp;   // whose label, bar span and grades it takes
    const char* key = "rsrp";             // its key in the history's points
    double value = 0;
    Grade grade = Grade::Unknown;
};

// Unknown while the modem does not answer, as in /metrics.
MainFigure MainFigureOf(const ExportedModem& modem);

// The point's value of the figure named `key` (MainFigure::key); NaN when it has none.
float PointFigure(const SignalPoint& point, const char* key);
