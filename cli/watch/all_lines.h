// What `watch --all` shows of each modem: a line of the live screen, and the JSON or
// tab-separated line written when stdout is no terminal. All UTF-8, without line ends.
#pragma once

#include <string>

#include "fleet/modem_state.h"

// "E173 (ttyUSB2)  imei:…012345  WCDMA  3 s  ██████░░░░ -77 dBm (Хорошо)", or on a modem that
// gives RSRP "… LTE  3 s  █████░░░░░ RSRP -95 dBm (Удовлетворительно)" (", NR -84 dBm" after
// it on EN-DC), cut to `width`
// characters; a modem not answering says so instead of a level.
std::string WatchAllScreenLine(const ExportedModem& modem, ExporterClock::time_point now, size_t width);

// {"time", "identity", "port", "model", "up", "csq", "dbm", "text", "technology", "rat", "rssi",
// "rsrp", "rsrq", "sinr", "band", "pci", "nr", "carrier_count", "age"}: the radio facts null
// where unknown.
std::string WatchAllJson(const ExportedModem& modem, ExporterClock::time_point now, const std::string& timeUtc);

// time, identity, port, up, csq, dBm, text (empty fields when unknown).
std::string WatchAllTabLine(const ExportedModem& modem, const std::string& timeUtc);
