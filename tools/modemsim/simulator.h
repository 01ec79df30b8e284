// The running simulator: every port's pty, link, transcript and modem, served by one poll loop.
#pragma once

#include "tools/modemsim/options.h"

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;    // the system refused something (pty, link, log file)
constexpr int kExitBadInput = 2;   // bad arguments or a bad profile

// Loads the profiles, brings the ports up, prints "ready" and serves them until SIGINT,
// SIGTERM or SIGHUP. Returns the process exit code.
int RunSimulator(const Options& options);
