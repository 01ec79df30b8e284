#include "cli/watch/signal_meter.h"

#include <cstdio>

#include "cli/report/metric_text.h"

double MeterFraction(int dbm) { return ScaleFraction(dbm, kMeterLowestDbm, kMeterHighestDbm); }

void SignalMeter::Add(const SignalReading& reading) {
    ++readings_;
    last_ = reading;
    if (reading.modeAsked && !reading.mode.empty()) mode_ = reading.mode;
    if (reading.hasFamily) AddRadio(reading);
    Metric level;
    level.known = reading.answered && reading.level.known;
    level.value = level.known ? reading.level.dbm : 0;
    level_.Add(level);
}

void SignalMeter::AddRadio(const SignalReading& reading) {
    ++familyReadings_;
    const RadioFacts& radio = reading.radio;
    for (int kind = 0; kind < static_cast<int>(MetricKind::Count); ++kind) tracks_[kind].Add(radio.metrics[kind]);
    if (radio.tech != RadioTech::Unknown && radio.tech != tech_) {
        if (tech_ != RadioTech::Unknown) {
            techChange_ = TechChange{true, tech_, radio.tech, reading.unixMs};
            band_ = KnownInt{};
            pci_ = KnownInt{};
            carriersKnown_ = false;
            carriers_.clear();
        }
        tech_ = radio.tech;
    }
    if (radio.band.known) band_ = radio.band;
    if (radio.pci.known) pci_ = radio.pci;
    if (radio.carriersKnown) {
        carriersKnown_ = true;
        carriers_ = radio.carriers;
    }
}

std::string SignalMeter::History() const { return level_.History(kMeterLowestDbm, kMeterHighestDbm); }

std::string SignalMeter::Summary() const {
    std::string text = std::to_string(readings_) + (readings_ == 1 ? " reading" : " readings");
    if (level_.Count() == 0) {
        text += ", no signal level";
    } else {
        char figures[96];
        std::snprintf(figures, sizeof figures, ", min %d dBm, avg %.1f dBm, max %d dBm", MinDbm(),
                      AverageDbm(), MaxDbm());
        text += figures;
    }
    const MetricTrack& rsrp = Track(MetricKind::Rsrp);
    if (rsrp.Count() != 0) {
        char average[32];
        std::snprintf(average, sizeof average, "%.1f", rsrp.Average());
        text += "\nRSRP: min " + MetricNumber(rsrp.Min()) + " dBm, avg " + average + " dBm, max " +
                MetricNumber(rsrp.Max()) + " dBm";
    }
    return text;
}
