// The E-UTRA operating band of a downlink EARFCN, for every band of 3GPP TS 36.101
// Table 5.7.3-1 (E-UTRA channel numbers), bands 1 to 88.
#pragma once

struct EarfcnRange {
    int band;
    long first;   // the band's first and last downlink EARFCN
    long last;
};

// 0 when no band holds the channel (an uplink-only or unused number).
int BandFromEarfcn(long long earfcn);

// The table itself, for the tests that check every band's two ends.
const EarfcnRange* LteBandTable(int* count);
