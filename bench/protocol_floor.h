// The protocol floor of a simulated modem: the least time a transaction can take when every
// layer between the program and the modem costs nothing. The modem waits its latency before
// the first byte, sends the reply (instant on a pty except for the reply's own pauses), and the
// read ends only after kReadIntervalMs of silence. Whatever a run takes beyond the sum of its
// transactions' floors is the program's own cost.
#pragma once

#include <cstdint>
#include <string>

#include "tools/modemsim/profile.h"

struct CommandFloor {
    double ms = 0;
    // The reply pauses for at least the read's silence interval, so one read cannot take it
    // whole and the floor above is not the time of a single transaction.
    bool cutByPause = false;
};

// Floor of one transaction of `command` against `profile`.
CommandFloor FloorOfCommand(const Profile& profile, const std::string& command);

// Loads a profile file, printing the reader's message on failure.
bool LoadBenchProfile(const std::string& path, Profile* profile);
