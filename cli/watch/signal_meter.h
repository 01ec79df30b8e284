// The figures of a `watch` session: how many readings, the levels' minimum, average and
// maximum, the last readings as block characters, and the summary line at its end; on a modem
// of a radio family also each metric's figures, the technology (and when it changed), band
// and PCI.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/watch/metric_track.h"
#include "cli/watch/reading.h"

constexpr size_t kMeterHistoryLength = kTrackHistoryLength;

// The levels a +CSQ value of 0 to 31 stands for; the bar and the history span them, and a
// level beyond (the 100-191 extension reaches -116 and -25) shows as the nearest end.
constexpr int kMeterLowestDbm = kCsqLowestDbm;
constexpr int kMeterHighestDbm = kCsqHighestDbm;

class SignalMeter {
public:
    void Add(const SignalReading& reading);

    uint64_t Readings() const { return readings_; }
    uint64_t Levels() const { return level_.Count(); }   // readings with a level in dBm
    int MinDbm() const { return static_cast<int>(level_.Min()); }
    int MaxDbm() const { return static_cast<int>(level_.Max()); }
    double AverageDbm() const { return level_.Average(); }
    const SignalReading& Last() const { return last_; }
    // The last mode read, kept between the readings that ask it and past those it stays
    // unknown (Windows-1251).
    const std::string& Mode() const { return mode_; }

    // Whether the modem answers a radio family: then the figures below are kept.
    bool HasFamily() const { return familyReadings_ > 0; }
    const MetricTrack& Track(MetricKind kind) const { return tracks_[static_cast<int>(kind)]; }
    // The technology last known, and band and PCI last known on it (a change of technology
    // forgets them until they are read again).
    RadioTech Tech() const { return tech_; }
    const KnownInt& Band() const { return band_; }
    const KnownInt& Pci() const { return pci_; }
    // The component carriers last listed on the technology (read with band and PCI);
    // CarriersKnown false until a list came.
    bool CarriersKnown() const { return carriersKnown_; }
    const std::vector<Carrier>& Carriers() const { return carriers_; }
    struct TechChange {
        bool happened = false;
        RadioTech from = RadioTech::Unknown;
        RadioTech to = RadioTech::Unknown;
        int64_t unixMs = 0;   // the reading that found the new one
    };
    const TechChange& LastTechChange() const { return techChange_; }

    // The last readings, oldest left, one block character each by level; '·' for a reading
    // without a level. At most kMeterHistoryLength characters (UTF-8).
    std::string History() const;
    // "12 readings, min -89 dBm, avg -80.3 dBm, max -71 dBm" (UTF-8), and when the modem gave
    // RSRP a second line "RSRP: min -101 dBm, avg -95.3 dBm, max -90 dBm" (no line end).
    std::string Summary() const;

private:
    void AddRadio(const SignalReading& reading);

    uint64_t readings_ = 0;
    MetricTrack level_;   // the +CSQ level in dBm
    SignalReading last_;
    std::string mode_;
    uint64_t familyReadings_ = 0;
    MetricTrack tracks_[static_cast<int>(MetricKind::Count)];
    RadioTech tech_ = RadioTech::Unknown;
    KnownInt band_;
    KnownInt pci_;
    bool carriersKnown_ = false;
    std::vector<Carrier> carriers_;
    TechChange techChange_;
};

// 0.0 at the lowest level of the meter, 1.0 at the highest, clamped.
double MeterFraction(int dbm);
