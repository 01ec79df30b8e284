// What a reading process does, in the process the parent started for one modem: the probe
// and the information run, or one signal reading. Each returns the message to print.
#pragma once

#include <string>
#include <vector>

#include "fleet/reading_protocol.h"
#include "radio/radio_families.h"

// Tries `ports` in interface order, as the scan asks (ATE0, then AT+CGMM), and runs the
// information run on the first that answers.
InfoMessage ReadModemInfoMessage(const std::vector<std::string>& ports);

// One signal reading on `port`; `family` is what an earlier reading of the modem found.
SignalMessage ReadSignalMessageAt(const std::string& port, RadioFamilyId family);
