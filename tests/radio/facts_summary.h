// The facts of a reading as one short line ("tech=LTE rsrp=-95 ..."), only what is known, so
// that a table row of a test states what a reply must give in one readable string.
#pragma once

#include <string>

#include "radio/radio_facts.h"

std::string FactsSummary(const RadioFacts& facts);
