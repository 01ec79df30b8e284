// Cost of one pointer movement over a button of the real window, measured inside the
// process: the window's own start-up builds the window (and runs the first scan), then
// WM_MOUSEMOVE goes straight to the main window for the three cases of the hover rule:
// entering the read button (the highlight is blended), moving inside it (nothing is drawn)
// and leaving it (the area is copied back from the back buffer).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/shutdown.h"
#include "ui/startup.h"
#include "ui/ui_state.h"

namespace {

constexpr int kRounds = 2000;
// Client points: the read button's middle, a second point inside it, and bare page beside it.
constexpr int kInsideX = 407, kInsideY = 43;
constexpr int kInsideOtherX = 320, kInsideOtherY = 50;
constexpr int kOutsideX = 296, kOutsideY = 44;

struct Timer {
    LARGE_INTEGER frequency;
    Timer() { QueryPerformanceFrequency(&frequency); }
    double MicrosecondsSince(const LARGE_INTEGER& start) const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start.QuadPart) * 1e6 /
               static_cast<double>(frequency.QuadPart);
    }
};

double TimedMove(const Timer& timer, HWND window, int x, int y) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    return timer.MicrosecondsSince(start);
}

void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

void Report(const char* name, const std::vector<double>& microseconds) {
    std::vector<double> sorted = microseconds;
    std::sort(sorted.begin(), sorted.end());
    std::printf("hover %-6s median %.1f us, mean %.1f us, 90th percentile %.1f us per call "
                "(%zu calls)\n",
                name, Median(microseconds), Mean(microseconds),
                sorted[sorted.size() * 9 / 10], microseconds.size());
}

}  // namespace

int main() {
    HWND window = StartApplication(GetModuleHandleA(nullptr), SystemUtcDate);
    // Let the window finish its first painting before anything is timed.
    DrainMessages();
    if (!Ui.buttons[kReadButton].highlightEnabled) {
        std::printf("hover: the window has no read button to hover\n");
        return 1;
    }

    Timer timer;
    std::vector<double> enter, stay, leave;
    enter.reserve(kRounds);
    stay.reserve(kRounds);
    leave.reserve(kRounds);
    TimedMove(timer, window, kOutsideX, kOutsideY);
    for (int round = 0; round < kRounds; ++round) {
        enter.push_back(TimedMove(timer, window, kInsideX, kInsideY));
        stay.push_back(TimedMove(timer, window, kInsideOtherX, kInsideOtherY));
        leave.push_back(TimedMove(timer, window, kOutsideX, kOutsideY));
        if (round % 100 == 0) DrainMessages();
    }
    if (Ui.buttons[kReadButton].hovered != 0) {
        std::printf("hover: the read button still counts as hovered after leaving\n");
        return 1;
    }
    Report("enter", enter);
    Report("stay", stay);
    Report("leave", leave);
    std::fflush(stdout);
    ShutDownApplication();
}
