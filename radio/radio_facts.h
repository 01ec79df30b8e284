// What one reading of a modem's radio says: the serving cell, its signal and where each fact
// came from. Unknown is always unknown (no value), never a made-up number.
#pragma once

#include <cstdint>
#include <string>

// The access technology, as +COPS <AcT> and the vendor families name it.
enum class RadioTech { Unknown, Gsm, Umts, Lte, LteNr, Nr5g };

// "GSM", "UMTS", "LTE", "LTE+NR" (E-UTRAN with NR, EN-DC), "NR"; nullptr when unknown.
const char* TechName(RadioTech tech);

// 3GPP TS 27.007 <stat> of +CREG/+CGREG/+CEREG, folded to what a user acts on.
enum class Registration { Unknown, NotSearching, Home, Searching, Denied, Roaming };

// Why nothing (or little) can be reported; None when the modem serves a cell.
enum class Absence { None, NoSim, PinRequired, RadioOff, NotRegistered, Searching, Denied };

enum class ChannelKind { None, Earfcn, Uarfcn, Arfcn };

// Which end of a coded scale a value sits on. The coded scales give the lower bound of their
// interval (3GPP TS 27.007 +CESQ: "rsrp 1: -140 <= rsrp < -139 dBm"), so a value is
// normally that bound; the lowest code has no lower bound and reads "below" its upper one,
// and the highest reads "at or above".
enum class OpenEnd { None, Below, AtOrAbove };

enum class MetricKind { Rssi, Rsrp, Rsrq, Sinr, Rscp, Ecno, Count };

struct Metric {
    bool known = false;
    double value = 0;   // dBm or dB; with OpenEnd::Below the bound it lies under
    OpenEnd end = OpenEnd::None;
    const char* source = nullptr;   // the command that gave it
};

struct KnownInt {
    bool known = false;
    long long value = 0;
    const char* source = nullptr;   // the command that gave it
};

struct RadioFacts {
    RadioTech tech = RadioTech::Unknown;
    const char* techSource = nullptr;

    Registration registration = Registration::Unknown;
    const char* registrationSource = nullptr;
    Absence absence = Absence::None;

    std::string operatorName;      // as the modem wrote it (Windows-1251, may hold anything)
    const char* operatorNameSource = nullptr;
    std::string operatorNumeric;   // MCC and MNC, "25099"
    const char* operatorNumericSource = nullptr;

    KnownInt band;
    KnownInt channel;
    ChannelKind channelKind = ChannelKind::None;
    KnownInt pci;   // LTE physical cell id, or the UMTS primary scrambling code

    KnownInt area;  // TAC on LTE, LAC below
    KnownInt cellId;

    Metric metrics[static_cast<int>(MetricKind::Count)];

    Metric& Get(MetricKind kind) { return metrics[static_cast<int>(kind)]; }
    const Metric& Get(MetricKind kind) const { return metrics[static_cast<int>(kind)]; }
};

// Facts the cell id gives on E-UTRAN: the 28-bit id is the eNB id (upper 20 bits) and the
// cell of that eNB (lower 8 bits), 3GPP TS 36.413 Cell Identity.
inline long long EnbIdOf(long long cellId) { return cellId >> 8; }
inline long long SectorOf(long long cellId) { return cellId & 255; }

// The plausible range of each metric, beyond which a value is unknown rather than believed:
// the reporting ranges of 3GPP TS 36.133 (RSRP -156..-31 dBm, RSRQ -34..2.5 dB, extended
// ranges), TS 25.133 (RSCP -120..-25 dBm, Ec/No -24..0 dB), a receiver's RSSI, and SINR as the
// modems report it (-20..+40 dB, one coded step below for the open end).
struct MetricRange {
    double low;
    double high;
};
MetricRange RangeOf(MetricKind kind);
bool InRange(MetricKind kind, double value);

// Fills what `into` does not know yet from `from`: the first source asked wins.
void MergeFacts(const RadioFacts& from, RadioFacts* into);

// Names `command` as the source of every fact in `facts` that has none yet (what a parser
// filled in from that command's reply).
void StampSources(RadioFacts* facts, const char* command);
