// What a simulated modem received, read from its transcript (tests/run-with-modems.sh).
#pragma once

#include <string>
#include <vector>

// The escaped bytes of every "rx" line of port N's transcript, in order (as the simulator
// writes them: "\r" for a carriage return, "\xHH" for other bytes outside printable ASCII).
// False when the transcript cannot be read (no VESMARIN_MODEM_LOGS, or no such port).
bool ReceivedByModem(int portNumber, std::vector<std::string>* lines);
