// The exit steps on Windows: an atexit hook, and a console control handler that runs them on
// Ctrl-C, Ctrl-Break and the console's closing, then lets the default handling end the process.
#include "common/exit_cleanup.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr int kMaxSteps = 16;
ExitCleanupStep Steps[kMaxSteps];
volatile LONG StepCount = 0;
volatile LONG StepsRan = 0;
bool Installed = false;

BOOL WINAPI OnConsoleControl(DWORD) {
    RunExitCleanup();
    return FALSE;
}

void RunAtExit() { RunExitCleanup(); }

}  // namespace

bool AddExitCleanup(ExitCleanupStep step) {
    const LONG index = StepCount;
    if (index >= kMaxSteps) return false;
    Steps[index] = step;
    InterlockedExchange(&StepCount, index + 1);
    if (!Installed) {
        Installed = true;
        std::atexit(RunAtExit);
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    }
    return true;
}

void RunExitCleanup() {
    if (InterlockedExchange(&StepsRan, 1) != 0) return;
    for (LONG i = StepCount - 1; i >= 0; --i) Steps[i]();
}
