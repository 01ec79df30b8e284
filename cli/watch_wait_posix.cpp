#include "cli/watch_wait.h"

#include <signal.h>
#include <time.h>

#include <cerrno>

namespace {

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

}  // namespace

void CatchStopRequest() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;   // no SA_RESTART: the signal must end the sleep at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

// steady_clock is CLOCK_MONOTONIC with glibc, so the deadline is slept on with an absolute
// time and never drifts by the cost of the readings.
bool WaitUntil(WatchClock::time_point deadline) {
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch());
    timespec until{};
    until.tv_sec = static_cast<time_t>(sinceEpoch.count() / 1000000000);
    until.tv_nsec = static_cast<long>(sinceEpoch.count() % 1000000000);
    while (!StopRequested()) {
        const int result = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
        if (result == 0) return !StopRequested();
        if (result != EINTR) return !StopRequested();
    }
    return false;
}
