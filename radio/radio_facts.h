// What one reading of a modem's radio says: the serving cell, its signal and where each fact
// came from. Unknown is always unknown (no value), never a made-up number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/signal_level.h"

// The access technology, as +COPS <AcT> and the vendor families name it.
enum class RadioTech { Unknown, Gsm, Umts, Lte, LteNr, Nr5g };

// "GSM", "UMTS", "LTE", "LTE+NR" (E-UTRAN with NR, EN-DC), "NR"; nullptr when unknown.
const char* TechName(RadioTech tech);
// The technology TechName gives that name; Unknown for any other text.
RadioTech TechNamed(std::string_view name);

// Who named the technology, weakest first. Readings disagree (+CEREG AcT 7 while +COPS says 13
// and the family's serving cell has an NR leg): the serving-cell reply of a family knows best,
// then the operator's AcT, then the registration's.
enum class TechRank { None, Registration, Operator, ServingCell };

// 3GPP TS 27.007 <stat> of +CREG/+CGREG/+CEREG, folded to what a user acts on.
enum class Registration { Unknown, NotSearching, Home, Searching, Denied, Roaming };

// Why nothing (or little) can be reported; None when the modem serves a cell.
enum class Absence { None, NoSim, PinRequired, RadioOff, NotRegistered, Searching, Denied };

enum class ChannelKind { None, Earfcn, Uarfcn, Arfcn };

// "EARFCN", "UARFCN", "ARFCN"; nullptr for None.
const char* ChannelKindName(ChannelKind kind);

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
    TechRank techRank = TechRank::None;
    // An NR leg beside the LTE anchor was seen (a NR5G-NSA line, an NR ^HCSQ line, AcT 13):
    // CompleteFacts makes LTE into LTE+NR.
    bool nrLeg = false;

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

// E-UTRAN (LTE, LTE+NR, or a channel given as an EARFCN): the cell id is an eNB id and a sector.
bool OnEutran(const RadioFacts& facts);
// E-UTRAN or NR: the area is a tracking area (TAC) and `pci` a physical cell id; below them a
// location area (LAC) and a primary scrambling code.
bool HasTrackingArea(const RadioFacts& facts);

// Whether `value` lies in the metric's plausible range (radio/metric_table.h).
bool InRange(MetricKind kind, double value);

// Fills what `into` does not know yet from `from`: the first source asked wins, except for the
// technology, where the stronger TechRank wins; an NR leg seen by either is kept.
void MergeFacts(const RadioFacts& from, RadioFacts* into);

// What follows from a whole reading, applied once at its end: the band of an EARFCN where the
// modem named only the channel, LTE+NR where an NR leg was seen beside LTE, and no metrics
// under NR (NR's own are not read yet: what a family gave beside it is not believed).
void CompleteFacts(RadioFacts* facts);

// Names `command` as the source of every fact in `facts` that has none yet (what a parser
// filled in from that command's reply).
void StampSources(RadioFacts* facts, const char* command);
