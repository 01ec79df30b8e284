#include "radio/radio_families.h"

#include "radio/reply_parsers.h"

namespace {

// In the order they are tried: a modem that lacks a family answers its probe with ERROR at
// once, so a miss costs one short transaction.
const RadioFamily kFamilies[] = {
    {"^HCSQ",
     {{"AT^HCSQ?", ParseHcsq},
      {"AT^SYSINFOEX", ParseSysinfoex},
      {"AT^HFREQINFO?", ParseHfreqinfo},
      {"AT^MONSC", ParseMonsc}},
     "RSSI, RSRP, SINR, RSRQ (RSCP, Ec/Io on UMTS), technology, SIM state, band, EARFCN, PCI, "
     "cell id, TAC"},
    {"+QENG",
     {{"AT+QENG=\"servingcell\"", ParseQeng}, {"AT+QCAINFO", ParseQcainfo}, {nullptr, nullptr}, {nullptr, nullptr}},
     "technology, MCC/MNC, cell id, PCI, EARFCN or NR-ARFCN, band, bandwidth, TAC, RSRP, RSRQ, RSSI, "
     "SINR, the EN-DC NR leg, the component carriers"},
    {"+CPSI",
     {{"AT+CPSI?", ParseCpsi}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}},
     "technology, MCC/MNC, TAC, cell id, PCI, band, EARFCN or NR-ARFCN, RSRQ, RSRP, RSSI, SINR, the "
     "EN-DC NR leg"},
};

}  // namespace

const RadioFamily* RadioFamilies(int* count) {
    *count = static_cast<int>(sizeof kFamilies / sizeof kFamilies[0]);
    return kFamilies;
}

const char* RadioFamilyText(RadioFamilyId id) {
    if (id.Family() != nullptr) return id.Family()->name;
    if (id.IsStandardOnly()) return "+CESQ";
    if (id.IsNone()) return "none";
    return "";
}

RadioFamilyId RadioFamilyFromText(std::string_view text) {
    for (RadioFamilyId id : {RadioFamilyId::StandardOnly(), RadioFamilyId::None()}) {
        if (text == RadioFamilyText(id)) return id;
    }
    for (const RadioFamily& family : kFamilies) {
        if (text == family.name) return RadioFamilyId::Of(&family);
    }
    return RadioFamilyId();
}
