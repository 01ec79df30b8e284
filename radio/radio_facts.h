// What one reading of a modem's radio says: the serving cell, its signal and where each fact
// came from. Unknown is always unknown (no value), never a made-up number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

enum class ChannelKind { None, Earfcn, Uarfcn, Arfcn, NrArfcn };

// "EARFCN", "UARFCN", "ARFCN", "NR-ARFCN"; nullptr for None.
const char* ChannelKindName(ChannelKind kind);

enum class MetricKind { Rssi, Rsrp, Rsrq, Sinr, Rscp, Ecno, Count };

struct Metric {
    bool known = false;
    double value = 0;   // dBm or dB; with OpenEnd::Below the bound it lies under
    OpenEnd end = OpenEnd::None;
    const char* source = nullptr;   // the command that gave it
    // Set where the modem's scale for the figure is not settled (radio/metric_formulas.h):
    // the figure is given, and this says how it was read.
    const char* note = nullptr;
};

struct KnownInt {
    bool known = false;
    long long value = 0;
    const char* source = nullptr;   // the command that gave it
};

// The figures of one cell, in the order of MetricKind.
struct Metrics {
    Metric values[static_cast<int>(MetricKind::Count)];

    Metric& Get(MetricKind kind) { return values[static_cast<int>(kind)]; }
    const Metric& Get(MetricKind kind) const { return values[static_cast<int>(kind)]; }
};

// The NR leg of E-UTRA-NR dual connectivity (EN-DC), beside the LTE anchor the top of
// RadioFacts describes. On standalone NR the serving cell is the top itself and this stays
// empty.
struct NrLeg {
    KnownInt band;      // n<band>
    KnownInt channel;   // NR-ARFCN
    KnownInt pci;
    KnownInt bandwidthKhz;   // downlink
    Metrics metrics;         // RSRP, RSRQ, SINR
};

enum class CarrierState { Unknown, Active, Inactive, Deconfigured };

// One component carrier as the modem's carrier list gives it; the primary first.
struct Carrier {
    bool primary = false;
    RadioTech tech = RadioTech::Unknown;   // Lte or Nr5g
    KnownInt band;
    KnownInt channel;   // EARFCN on LTE, NR-ARFCN on NR
    KnownInt bandwidthKhz;
    KnownInt pci;
    CarrierState state = CarrierState::Unknown;
    Metrics metrics;   // RSRP, RSRQ, RSSI, SINR where given
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
    KnownInt pci;   // LTE or NR physical cell id, or the UMTS primary scrambling code
    KnownInt bandwidthKhz;   // the serving cell's downlink bandwidth

    KnownInt area;  // TAC on LTE and NR, LAC below
    KnownInt cellId;   // 36 bits on NR, 28 on LTE and UMTS, 16 on GSM

    Metric metrics[static_cast<int>(MetricKind::Count)];

    Metric& Get(MetricKind kind) { return metrics[static_cast<int>(kind)]; }
    const Metric& Get(MetricKind kind) const { return metrics[static_cast<int>(kind)]; }

    // The EN-DC NR leg's facts; kept once the reading is whole only when tech is LteNr.
    NrLeg nr;

    // Every component carrier the modem listed; `carriersKnown` false when the family has no
    // carrier list (or the modem did not answer it).
    std::vector<Carrier> carriers;
    bool carriersKnown = false;
    const char* carriersSource = nullptr;
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

// What follows from a whole reading, applied once at its end: the band of an EARFCN or
// NR-ARFCN where the modem named only the channel, LTE+NR where an NR leg was seen beside LTE,
// on standalone NR the serving cell's figures from the NR leg where no family gave them at the
// top (+CESQ's ss_ fields), no NR leg unless the technology is LTE+NR, and the carriers with
// the primary first.
void CompleteFacts(RadioFacts* facts);

// Names `command` as the source of every fact in `facts` that has none yet (what a parser
// filled in from that command's reply).
void StampSources(RadioFacts* facts, const char* command);
