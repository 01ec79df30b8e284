#include "cli/console/wait.h"

#include <signal.h>
#include <time.h>

#include <cerrno>

#include "common/ending_signals_posix.h"

namespace {

volatile sig_atomic_t StopRequestedFlag = 0;
volatile sig_atomic_t ResizedFlag = 0;

void OnStopSignal(int) { StopRequestedFlag = 1; }
void OnResize(int) { ResizedFlag = 1; }

// SA_RESTART, so that a Ctrl-C or a resize that comes while a frame is being written does not
// fail the write (the watch would end as if the terminal had gone). The waits that the signal
// must end still end at once: clock_nanosleep and the port layer's poll are never restarted
// (signal(7)), and the port layer takes their EINTR in its stride.
void Catch(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void CatchStopRequest() {
    Catch(SIGINT, OnStopSignal);
    Catch(SIGTERM, OnStopSignal);
}

void CatchEveryEndingSignalAsStopRequest() {
    ForEachEndingSignal(EndingSignalKind::SentToTheProcess, [](int signalNumber) {
        struct sigaction current {};
        if (sigaction(signalNumber, nullptr, &current) != 0) return;
        if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN) return;
        Catch(signalNumber, OnStopSignal);
    });
}

bool StopRequested() { return StopRequestedFlag != 0; }

void FollowTerminalSize() { Catch(SIGWINCH, OnResize); }

// steady_clock is CLOCK_MONOTONIC with glibc, so the deadline is slept on with an absolute
// time and never drifts by the cost of the readings.
WaitEnd WaitUntil(WatchClock::time_point deadline) {
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch());
    timespec until{};
    until.tv_sec = static_cast<time_t>(sinceEpoch.count() / 1000000000);
    until.tv_nsec = static_cast<long>(sinceEpoch.count() % 1000000000);
    for (;;) {
        if (StopRequested()) return WaitEnd::Stopped;
        if (ResizedFlag != 0) {
            ResizedFlag = 0;
            return WaitEnd::Resized;
        }
        const int result = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
        if (result != EINTR) return StopRequested() ? WaitEnd::Stopped : WaitEnd::Due;
    }
}
