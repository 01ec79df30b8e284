// Start-up, the message loop and shutdown of the window program. Start-up is separate from
// the loop so a test can build the real window and drive it without ever entering the loop.
#pragma once

#include <windows.h>

#include "ui/ui_state.h"

constexpr int kMainWindowWidth = 690;
constexpr int kMainWindowHeight = 640;

// The UTC date from the system clock.
UtcDate SystemUtcDate();

// Height of the UI font for a vertical resolution: the font is given in pixels, so it gets
// smaller as the DPI grows.
int UiFontHeight(int dpiY);

// Runs every start-up step up to showing the information list (the first port scan
// included). `clock` decides the credits line and the buy-code gate; `instance` supplies the
// resources. Returns the main window.
HWND StartApplication(HINSTANCE instance, UtcClock clock);

// The loop's own key rule: Enter in the command field sends the command and is swallowed.
// Returns true when the message was consumed.
bool HandleLoopMessage(const MSG& message);

// Runs the message loop until WM_QUIT; returns the quit code.
int RunMessageLoop();
