#include "radio/nr_bands.h"

namespace {

// 3GPP TS 38.101-1 Table 5.4.2.3-1, the downlink (and supplementary downlink) NR-ARFCN range
// of each FR1 band; uplink-only bands (n80..n89, n95, n97..n99) do not appear.
constexpr NrArfcnRange kBands[] = {
    {1, 422000, 434000},   {2, 386000, 398000},   {3, 361000, 376000},   {5, 173800, 178800},
    {7, 524000, 538000},   {8, 185000, 192000},   {12, 145800, 149200},  {13, 149200, 151200},
    {14, 151600, 153600},  {18, 172000, 175000},  {20, 158200, 164200},  {24, 305000, 311800},
    {25, 386000, 399000},  {26, 171800, 178800},  {28, 151600, 160600},  {29, 143400, 145600},
    {30, 470000, 472000},  {34, 402000, 405000},  {38, 514000, 524000},  {39, 376000, 384000},
    {40, 460000, 480000},  {41, 499200, 537999},  {46, 743334, 795000},  {48, 636667, 646666},
    {50, 286400, 303400},  {51, 285400, 286400},  {53, 496700, 499000},  {65, 422000, 440000},
    {66, 422000, 440000},  {67, 147600, 151600},  {70, 399000, 404000},  {71, 123400, 130400},
    {74, 295000, 303600},  {75, 286400, 303400},  {76, 285400, 286400},  {77, 620000, 680000},
    {78, 620000, 653333},  {79, 693334, 733333},  {85, 145600, 149200},  {90, 499200, 538000},
    {91, 285400, 286400},  {92, 286400, 303400},  {93, 285400, 286400},  {94, 286400, 303400},
    {96, 795000, 875000},  {100, 183880, 185000}, {101, 380000, 382000}, {102, 795000, 828333},
    {104, 828334, 875000}, {105, 122400, 130400}, {106, 179400, 180000},
};

}  // namespace

// 3GPP TS 38.104 Table 5.4.2.1-1: F_REF = F_REF-Offs + ΔF_Global (N_REF - N_REF-Offs), in
// three ranges: 0..599999 by 5 kHz from 0, 600000..2016666 by 15 kHz from 3000 MHz,
// 2016667..3279165 by 60 kHz from 24250.08 MHz.
long long NrArfcnFrequencyKhz(long long arfcn) {
    if (arfcn < 0 || arfcn > kMaxNrArfcn) return 0;
    if (arfcn < 600000) return arfcn * 5;
    if (arfcn < 2016667) return 3000000 + (arfcn - 600000) * 15;
    return 24250080 + (arfcn - 2016667) * 60;
}

int NrBandFromArfcn(long long arfcn) {
    const NrArfcnRange* best = nullptr;
    for (const NrArfcnRange& range : kBands) {
        if (arfcn < range.first || arfcn > range.last) continue;
        // The table is in band order, so a later band of the same width never replaces one.
        if (best == nullptr || range.last - range.first < best->last - best->first) best = &range;
    }
    return best != nullptr ? best->band : 0;
}

const NrArfcnRange* NrBandTable(int* count) {
    *count = static_cast<int>(sizeof kBands / sizeof kBands[0]);
    return kBands;
}

// The makers' NR DL bandwidth code (serving cell query and carrier list sections).
long long NrBandwidthCodeKhz(long long code) {
    static const long long kMhz[] = {5, 10, 15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100, 200, 400};
    if (code < 0 || code >= static_cast<long long>(sizeof kMhz / sizeof kMhz[0])) return 0;
    return kMhz[code] * 1000;
}

// 3GPP TS 36.101 Table 5.6-1: the transmission bandwidth configuration N_RB of each channel
// bandwidth.
long long LteResourceBlocksKhz(long long blocks) {
    switch (blocks) {
        case 6: return 1400;
        case 15: return 3000;
        case 25: return 5000;
        case 50: return 10000;
        case 75: return 15000;
        case 100: return 20000;
        default: return 0;
    }
}

// The +QENG family's LTE <UL_bandwidth>/<DL_bandwidth> code, in the order of the same table.
long long LteBandwidthCodeKhz(long long code) {
    static const long long kKhz[] = {1400, 3000, 5000, 10000, 15000, 20000};
    if (code < 0 || code > 5) return 0;
    return kKhz[code];
}
