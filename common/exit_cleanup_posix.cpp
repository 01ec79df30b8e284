// The steps run from atexit and from a handler on every signal whose default action ends the
// process. The handler runs them once, puts the signal's default action back and raises it
// again, so the process still ends the way the signal says (a shell prints "Quit", a parent
// sees WIFSIGNALED).
#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "common/ending_signals_posix.h"
#include "common/exit_cleanup.h"
#include "common/exit_cleanup_steps.h"

namespace {

// The process that registered the steps: a child made by fork() inherits the handlers and
// the atexit entry, but the locks and the terminal are its parent's to put back.
std::atomic<pid_t> OwnerPid{0};

enum : int { kNotInstalled = 0, kInstalling = 1, kInstalled = 2 };
std::atomic<int> HandlersState{kNotInstalled};

// How long a second thread's signal waits for the steps that another thread is running.
constexpr int kWaitForOtherRunMs = 3000;

void SleepOneMillisecond() {
    timespec slice{0, 1000000};
    nanosleep(&slice, nullptr);   // async-signal-safe, unlike the C++ sleeps
}

// Async-signal-safe: atomics, getpid and nanosleep only (and the steps, which must be).
void FinishSteps() {
    if (OwnerPid.load() != getpid()) return;
    if (ClaimSteps()) {
        RunClaimedSteps();
        return;
    }
    for (int waited = 0; !StepsFinished() && waited < kWaitForOtherRunMs; ++waited) SleepOneMillisecond();
}

void OnEndingSignal(int signalNumber) {
    const int savedErrno = errno;
    FinishSteps();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signalNumber, &fallback, nullptr);
    // Blocked while this handler runs, the signal is delivered with its default action as the
    // handler returns (a fault that raised it would only repeat).
    raise(signalNumber);
    errno = savedErrno;
}

void RunAtExit() { RunExitCleanup(); }

void InstallHandlers() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    // One ending signal at a time in a thread: a second one must not cut the steps short.
    ForEachEndingSignal(EndingSignalKind::All, [&](int signalNumber) { sigaddset(&action.sa_mask, signalNumber); });
    ForEachEndingSignal(EndingSignalKind::All, [&](int signalNumber) {
        struct sigaction previous {};
        if (sigaction(signalNumber, nullptr, &previous) != 0) return;
        // Ignored stays ignored, and a handler of the program's own (set before the first
        // step, such as a sanitizer's) keeps deciding how the program ends.
        if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_DFL) {
            sigaction(signalNumber, &action, nullptr);
        }
    });
    std::atexit(RunAtExit);
}

void InstallHandlersOnce() {
    int expected = kNotInstalled;
    if (HandlersState.compare_exchange_strong(expected, kInstalling)) {
        OwnerPid.store(getpid());
        InstallHandlers();
        HandlersState.store(kInstalled);
        return;
    }
    while (HandlersState.load() != kInstalled) SleepOneMillisecond();
    // A child made by fork() that registers a step of its own takes the steps over.
    OwnerPid.store(getpid());
}

}  // namespace

bool AddExitCleanup(ExitCleanupStep step) {
    InstallHandlersOnce();
    return AddStepToTable(step);
}

void RunExitCleanup() {
    // The caller's thread takes no ending signal meanwhile: its handler would wait for the
    // very steps this thread is running.
    sigset_t ending;
    sigset_t saved;
    sigemptyset(&ending);
    ForEachEndingSignal(EndingSignalKind::All, [&](int signalNumber) { sigaddset(&ending, signalNumber); });
    pthread_sigmask(SIG_BLOCK, &ending, &saved);
    FinishSteps();
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}
