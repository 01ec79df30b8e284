// The radio facts as JSON, written in one place for every command that shows them: the short
// form (rat, rssi, rsrp, rsrq, sinr, band, pci, nr, carrier_count) of `watch` and `watch
// --all`, the same with every carrier for the reading process (read back by the exporter),
// and the whole document of `cell --json`. Every key is always there, null when unknown.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include "radio/radio_facts.h"

enum class RadioJsonForm {
    Short,     // rat, the headline metrics (radio/metric_table.h), band, pci, the EN-DC NR leg
               // (as `cell` writes it) and the number of active carriers
    Reading,   // the short form and the carriers as `cell` writes them
    Cell,      // everything a reading knows, with grades, open ends and the command behind each
};

// The carriers that carry traffic: all but those the modem calls inactive or deconfigured.
int ActiveCarrierCount(const RadioFacts& facts);

// How a metric's number is written: as decoded (whole numbers as integers, "-95" and not
// "-95.0"; halves and tenths as they are), or rounded to tenths first (the finest any formula
// defines: the reading process hands its numbers to a parent).
enum class MetricPrecision { AsDecoded, Tenths };

// Adds the form's keys to `into` (an object), after what it holds already.
void AddRadioJson(const RadioFacts& facts, RadioJsonForm form, MetricPrecision precision,
                  nlohmann::ordered_json* into);

// The short or reading form read back (the reading process's line, in its parent): each key
// that is missing or of another type is unknown, never an error; at most kMaxCarriersRead
// carriers.
constexpr size_t kMaxCarriersRead = 16;
RadioFacts RadioFactsFromJson(const nlohmann::ordered_json& from);
