// Waiting for the next reading of `watch` on the monotonic clock, cut short by Ctrl-C.
#pragma once

#include <chrono>

using WatchClock = std::chrono::steady_clock;

// From now on Ctrl-C (and on POSIX SIGTERM) only asks the watch to stop.
void CatchStopRequest();
bool StopRequested();

// Sleeps until `deadline` on the monotonic clock; returns false at once when a stop is
// requested before or during the wait.
bool WaitUntil(WatchClock::time_point deadline);
