#include "cli/watch/lines.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "common/cp1251.h"
#include "common/utc_time.h"
#include "radio/radio_json.h"

std::string IsoUtcTime(int64_t unixMs) {
    UtcTime utc{};
    UtcTimeAt(unixMs / 1000, &utc);   // zeroed beyond the system's range
    char text[96];   // room for any int the fields could hold, though a date needs 24
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.date.year, utc.date.month,
                  utc.date.day, utc.hour, utc.minute, utc.second, static_cast<int>(unixMs % 1000));
    return text;
}

std::string ReadingText(const SignalReading& reading) {
    return reading.answered ? Cp1251ToUtf8(reading.text) : reading.gapText;
}

using Json = nlohmann::ordered_json;

std::string ReadingAsJson(const SignalReading& reading, const SignalMeter& meter) {
    Json line;
    line["time"] = IsoUtcTime(reading.unixMs);
    line["csq"] = reading.answered ? Json(reading.level.csq) : Json(nullptr);
    line["dbm"] = reading.answered && reading.level.known ? Json(reading.level.dbm) : Json(nullptr);
    line["text"] = ReadingText(reading);
    line["mode"] = meter.Mode().empty() ? Json(nullptr) : Json(Cp1251ToUtf8(meter.Mode()));
    // Band, PCI and the carriers are not read every time: the meter's last known ones.
    RadioFacts radio = reading.radio;
    radio.band = meter.Band();
    radio.pci = meter.Pci();
    radio.carriersKnown = meter.CarriersKnown();
    radio.carriers = meter.Carriers();
    AddRadioJson(radio, RadioJsonForm::Short, MetricPrecision::AsDecoded, &line);
    return line.dump();
}

std::string ReadingAsTabLine(const SignalReading& reading) {
    const bool dbm = reading.answered && reading.level.known;
    return IsoUtcTime(reading.unixMs) + "\t" +
           (reading.answered ? std::to_string(reading.level.csq) : "") + "\t" +
           (dbm ? std::to_string(reading.level.dbm) : "") + "\t" + ReadingText(reading);
}
