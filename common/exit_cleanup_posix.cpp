// The exit steps on POSIX systems: an atexit hook, and a handler on every signal whose default
// action ends the process, which runs the steps and then lets that default action happen.
#include "common/exit_cleanup.h"

#include <signal.h>

#include <atomic>
#include <cstdlib>

namespace {

constexpr int kMaxSteps = 16;
ExitCleanupStep Steps[kMaxSteps];
std::atomic<int> StepCount{0};
std::atomic_flag StepsRan = ATOMIC_FLAG_INIT;
bool Installed = false;

const int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGPIPE, SIGALRM, SIGUSR1,
                              SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};

void OnEndingSignal(int signalNumber) {
    RunExitCleanup();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signalNumber, &fallback, nullptr);
    sigset_t self;
    sigemptyset(&self);
    sigaddset(&self, signalNumber);
    sigprocmask(SIG_UNBLOCK, &self, nullptr);
    raise(signalNumber);
}

void RunAtExit() { RunExitCleanup(); }

void InstallHandlers() {
    Installed = true;
    std::atexit(RunAtExit);
    for (int signalNumber : kEndingSignals) {
        struct sigaction current {};
        if (sigaction(signalNumber, nullptr, &current) != 0) continue;
        // Ignored from the start (nohup, a shell's background job): it stays so.
        if (current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = OnEndingSignal;
        sigfillset(&action.sa_mask);   // no second ending signal in the middle of the steps
        sigaction(signalNumber, &action, nullptr);
    }
}

}  // namespace

bool AddExitCleanup(ExitCleanupStep step) {
    const int index = StepCount.load();
    if (index >= kMaxSteps) return false;
    Steps[index] = step;
    StepCount.store(index + 1);
    if (!Installed) InstallHandlers();
    return true;
}

void RunExitCleanup() {
    if (StepsRan.test_and_set()) return;
    for (int i = StepCount.load() - 1; i >= 0; --i) Steps[i]();
}
