#include "cli/console/wait.h"

#include <windows.h>

namespace {

volatile LONG StopRequestedFlag = 0;

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        InterlockedExchange(&StopRequestedFlag, 1);
        return TRUE;
    }
    return FALSE;
}

// Short enough that Ctrl-C feels immediate, long enough to cost nothing between readings.
constexpr DWORD kSliceMs = 50;

}  // namespace

void CatchStopRequest() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

// The console's events are the only ones there are; closing the window ends the process
// whatever the handler answers.
void CatchEveryEndingSignalAsStopRequest() { CatchStopRequest(); }

bool StopRequested() { return InterlockedCompareExchange(&StopRequestedFlag, 0, 0) != 0; }

// The console tells of no resize; the next reading's redraw takes the new width.
void FollowTerminalSize() {}

WaitEnd WaitUntil(WatchClock::time_point deadline) {
    while (!StopRequested()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - WatchClock::now());
        if (left.count() <= 0) return WaitEnd::Due;
        Sleep(left.count() < kSliceMs ? static_cast<DWORD>(left.count()) : kSliceMs);
    }
    return WaitEnd::Stopped;
}
