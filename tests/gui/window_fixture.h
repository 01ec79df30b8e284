// Drives the real main window inside the test process: start-up runs once, without the
// message loop, and the tests send the window the messages a user's input would produce.
#pragma once

#include <windows.h>

#include <string>

#include "ui/ui_state.h"

// The clock the window reads; tests move it to check the date gates.
extern UtcDate TestDate;

// What start-up left in the list and the port list, taken before any test runs, so the
// start-up checks do not depend on the order the tests run in.
struct StartupSnapshot {
    std::string names[29];
    std::string values[29];
    int stateImages[29];
    int showExtraRows;
    std::string portEntries[4];
    int portCount;
    int portSelection;
    bool visible[16];
    std::string phases;   // start-up's phases in the order they ended, each followed by ';'
};
extern StartupSnapshot AtStartup;

// Dispatches everything queued, with the message loop's own key rule.
void PumpMessages();

// A left press and release at (x, y) of the main window's client area, with `keys` as the
// press's wParam (MK_LBUTTON alone for a plain click).
void PressMainWindow(int x, int y, WPARAM keys = MK_LBUTTON);
void MovePointer(int x, int y);

// Selects tab `index` by clicking its caption, as a user does.
void ClickTab(int index);

// Clicks the information list at row `position`, column `column`, `offsetX` pixels into the
// cell.
void ClickListCell(int position, int column, int offsetX = 5);

std::string ListCell(int position, int column);
void SetListCell(int position, int column, const char* text);

COLORREF SurfacePixel(int x, int y);
COLORREF BackBufferPixel(int x, int y);
COLORREF HighlightPixel(int x, int y);
// A pixel of the information list as painted (the list is repainted first).
COLORREF ListPixel(int x, int y);
// A pixel of the list as it stands after pending messages and paints, without a fresh paint.
COLORREF ListPixelAsShown(int x, int y);

RECT ListCellRect(int position, int column);
bool IsShown(HWND control);
