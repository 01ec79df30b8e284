// NR channels: the frequency of an NR-ARFCN on the global raster of 3GPP TS 38.104 §5.4.2.1,
// and the FR1 operating band of a downlink NR-ARFCN by 3GPP TS 38.101-1 Table 5.4.2.3-1.
//
// Band ranges overlap (n1 inside n65 and n66, n78 inside n77, n38 inside n41 and n90, ...).
// The band the modem names always wins; where it names none, the band is the narrowest whose
// downlink range holds the channel, and of two equally narrow ranges the lower band number.
// So 627264 is n78, 432000 n1, 520000 n38, 504990 n41.
#pragma once

struct NrArfcnRange {
    int band;
    long first;   // the band's first and last downlink NR-ARFCN
    long last;
};

// The highest NR-ARFCN of the global raster (FR2 included).
constexpr long long kMaxNrArfcn = 3279165;

// The frequency in kHz (F_REF), 0 for a number off the raster.
long long NrArfcnFrequencyKhz(long long arfcn);

// 0 when no FR1 band holds the channel.
int NrBandFromArfcn(long long arfcn);

// The table itself, for the tests that check every band's two ends.
const NrArfcnRange* NrBandTable(int* count);

// The downlink bandwidth in kHz of the makers' NR bandwidth code (0 = 5 MHz ... 14 = 400
// MHz), and of an LTE bandwidth given in resource blocks (6, 15, 25, 50, 75, 100) or as
// the LTE code 0..5 (1.4, 3, 5, 10, 15, 20 MHz); 0 for any other value.
long long NrBandwidthCodeKhz(long long code);
long long LteResourceBlocksKhz(long long blocks);
long long LteBandwidthCodeKhz(long long code);
