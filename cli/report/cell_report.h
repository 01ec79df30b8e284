// How `cell` presents a reading of the radio: a short aligned text for people (80 columns,
// Windows-1251, every control character the modem wrote made visible) and one JSON object
// whose keys are always present (null when unknown).
#pragma once

#include <string>

#include "radio/radio_facts.h"

// The text, Windows-1251. `port1251` names the port as messages do.
std::string CellReportText(const std::string& port1251, const RadioFacts& facts);

// The JSON document, UTF-8, with a final line break.
std::string CellReportJson(const std::string& port1251, const RadioFacts& facts);

// The reason nothing (or little) can be reported, for people; nullptr for Absence::None.
const char* AbsenceText(Absence absence);
