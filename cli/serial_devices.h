// The serial devices that exist on this machine, for advice when a scan finds no modem.
#pragma once

#include <vector>

#include "cli/scan_report.h"

// Linux: the ttyS (with a UART behind them), ttyUSB and ttyACM devices under /dev, or the
// comN entries of $VESMARIN_PORTS when that names a directory, in COM order. Windows: the
// scan has already tried every name the system offers, so the list is empty and `surveyed`
// is false.
std::vector<SerialDevice> ListSerialDevices(bool* surveyed);
