// `watch`'s output for scripts: one reading as one line, JSON or tab-separated.
#pragma once

#include <cstdint>
#include <string>

#include "cli/watch/signal_meter.h"
#include "cli/watch/reading.h"

// "2026-12-07T16:20:01.123Z" for milliseconds since 1970 (UTC).
std::string IsoUtcTime(int64_t unixMs);

// What a reading shows as its text (UTF-8): the row's words, or why there are none.
std::string ReadingText(const SignalReading& reading);

// One reading as a JSON object on one line, and as "time TAB csq TAB dBm TAB text" (empty csq
// and dBm when the modem gave none). Both UTF-8, no line end. The JSON has time, csq, dbm,
// text, mode, then rat, rssi, rsrp, rsrq, sinr, band, pci, nr (the EN-DC NR leg as `cell
// --json` writes it) and carrier_count (null where unknown). The mode, band, PCI and carriers
// are the last known ones of `meter` (the reading already added), as they are not read every
// time; band, PCI and carriers are forgotten when the technology changes.
std::string ReadingAsJson(const SignalReading& reading, const SignalMeter& meter);
std::string ReadingAsTabLine(const SignalReading& reading);
