// The port list: filled by a scan, read by the commands that need the chosen modem.
#pragma once

#include <cstddef>

// Empties the port list, probes every port and lists one entry per modem (or the empty
// entry when none answered). Nothing is selected afterwards.
void ScanPorts();

// Copies the selected entry into a zero-filled `entry`; false when nothing is selected.
bool SelectedPortEntry(char* entry, size_t entrySize);
