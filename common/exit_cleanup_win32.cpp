// The steps run from atexit and from the console's control handler (Ctrl-C, Ctrl-Break, the
// window closed, logoff, shutdown). The handler answers FALSE, so the next handler, in the
// end the system's own, ends the process as it would have; a handler that a command installs
// later (watch's stop request) is asked first and may keep the process running.
#include <windows.h>

#include <cstdlib>

#include "common/exit_cleanup.h"
#include "common/exit_cleanup_steps.h"

namespace {

volatile LONG HandlersInstalled = 0;

// How long a second caller waits for the steps that another thread is running.
constexpr int kWaitForOtherRunMs = 3000;

void FinishSteps() {
    if (ClaimSteps()) {
        RunClaimedSteps();
        return;
    }
    for (int waited = 0; !StepsFinished() && waited < kWaitForOtherRunMs; ++waited) Sleep(1);
}

BOOL WINAPI OnConsoleEnd(DWORD) {
    FinishSteps();
    return FALSE;
}

void RunAtExit() { FinishSteps(); }

}  // namespace

bool AddExitCleanup(ExitCleanupStep step) {
    if (InterlockedCompareExchange(&HandlersInstalled, 1, 0) == 0) {
        SetConsoleCtrlHandler(OnConsoleEnd, TRUE);
        std::atexit(RunAtExit);
    }
    return AddStepToTable(step);
}

void RunExitCleanup() { FinishSteps(); }
