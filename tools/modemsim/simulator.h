// The running simulator: every port's pty, link, transcript and modem, served by one poll loop.
#pragma once

#include "tools/modemsim/options.h"

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;    // the system refused something (pty, link, log file)
constexpr int kExitBadInput = 2;   // bad arguments or a bad profile
// With a command to run: what a shell says when it cannot run one.
constexpr int kExitCannotRun = 126;
constexpr int kExitCommandNotFound = 127;

// Loads the profiles, brings the ports up, prints "ready" and serves them until SIGINT,
// SIGTERM or SIGHUP; or, given a command, runs it once the ports are up and serves them until
// it ends. Returns the process exit code (the command's status in the second case).
int RunSimulator(const Options& options);
