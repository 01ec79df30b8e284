// Waiting for the next reading of `watch` on the monotonic clock, cut short by Ctrl-C and, on
// POSIX terminals, by a change of the terminal's size (so the live screen is redrawn at once).
#pragma once

#include <chrono>

using WatchClock = std::chrono::steady_clock;

// From now on Ctrl-C (and on POSIX SIGTERM) only asks the watch to stop.
void CatchStopRequest();
bool StopRequested();
// For a command that must set back what it changed on a modem (`cell`): from now on every
// signal that would end the process from outside only asks to stop, SIGHUP of a closing
// session, SIGQUIT, SIGUSR1, SIGALRM and the rest as much as Ctrl-C and SIGTERM. A signal
// the program was started ignoring stays ignored.
void CatchEveryEndingSignalAsStopRequest();

// From now on a change of the terminal's size ends a wait (where the system tells of one).
void FollowTerminalSize();

enum class WaitEnd { Due, Stopped, Resized };

// Sleeps until `deadline` on the monotonic clock; ends at once when a stop is requested before
// or during the wait, and early when the terminal's size changed since the last wait.
WaitEnd WaitUntil(WatchClock::time_point deadline);
