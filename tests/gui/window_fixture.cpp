#include "tests/gui/window_fixture.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/startup.h"
#include "ui/startup_trace.h"

UtcDate TestDate = {2026, 12, 7};
StartupSnapshot AtStartup = {};

namespace {

UtcDate ReadTestDate() { return TestDate; }

void RecordPhase(const char* phase) { AtStartup.phases += std::string(phase) + ";"; }

class WindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        SetStartupTraceHook(RecordPhase);
        StartApplication(GetModuleHandleA(nullptr), ReadTestDate);
        SetStartupTraceHook(nullptr);
        PumpMessages();
        TakeSnapshot();
    }

private:
    static void TakeSnapshot() {
        for (int position = 0; position < 29; ++position) {
            AtStartup.names[position] = ListCell(position, 0);
            AtStartup.values[position] = ListCell(position, 1);
            LRESULT state =
                SendMessageA(Ui.infoList, LVM_GETITEMSTATE, position, LVIS_STATEIMAGEMASK);
            AtStartup.stateImages[position] = static_cast<int>(state >> 12);
        }
        AtStartup.showExtraRows = Ui.showExtraRows;
        AtStartup.portCount = static_cast<int>(SendMessageA(Ui.portCombo, CB_GETCOUNT, 0, 0));
        for (int entry = 0; entry < AtStartup.portCount && entry < 4; ++entry) {
            char text[256] = {};
            if (SendMessageA(Ui.portCombo, CB_GETLBTEXTLEN, entry, 0) < 256) {
                SendMessageA(Ui.portCombo, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(text));
            }
            AtStartup.portEntries[entry] = text;
        }
        AtStartup.portSelection = static_cast<int>(SendMessageA(Ui.portCombo, CB_GETCURSEL, 0, 0));
        const HWND controls[] = {Ui.infoList, Ui.modemLabel, Ui.portCombo, Ui.buttonSurfaces[0],
                                 Ui.buttonSurfaces[1], Ui.buttonSurfaces[3], Ui.topSeparator,
                                 Ui.bottomSeparator, Ui.creditsPane, Ui.terminalPane,
                                 Ui.commandLabel, Ui.commandEdit, Ui.buttonSurfaces[2]};
        for (size_t i = 0; i < sizeof(controls) / sizeof(controls[0]); ++i) {
            AtStartup.visible[i] = IsShown(controls[i]);
        }
    }
};

const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

void ClickWindow(HWND window, int x, int y) {
    // The list tracks a press until the release arrives, so the release is queued first.
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PumpMessages();
}

}  // namespace

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (HandleLoopMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PressMainWindow(int x, int y, WPARAM keys) {
    SendMessageA(Ui.mainWindow, WM_LBUTTONDOWN, keys, MAKELPARAM(x, y));
    SendMessageA(Ui.mainWindow, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    PumpMessages();
}

void MovePointer(int x, int y) {
    SendMessageA(Ui.mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

void ClickTab(int index) {
    RECT caption = {};
    SendMessageA(Ui.tabControl, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&caption));
    ClickWindow(Ui.tabControl, (caption.left + caption.right) / 2,
                (caption.top + caption.bottom) / 2);
}

RECT ListCellRect(int position, int column) {
    RECT cell = {};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    SendMessageA(Ui.infoList, LVM_GETSUBITEMRECT, position, reinterpret_cast<LPARAM>(&cell));
    if (column == 0) {
        // The bounds of column 0 are the whole row's; its own part ends where column 1 starts.
        RECT value = ListCellRect(position, 1);
        cell.right = value.left;
    }
    return cell;
}

void ClickListCell(int position, int column, int offsetX) {
    RECT cell = ListCellRect(position, column);
    ClickWindow(Ui.infoList, cell.left + offsetX, (cell.top + cell.bottom) / 2);
}

std::string ListCell(int position, int column) {
    char text[1024] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(Ui.infoList, LVM_GETITEMTEXTA, position, reinterpret_cast<LPARAM>(&item));
    return text;
}

void SetListCell(int position, int column, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(Ui.infoList, LVM_SETITEMTEXTA, position, reinterpret_cast<LPARAM>(&item));
}

COLORREF SurfacePixel(int x, int y) { return GetPixel(Ui.windowSurface, x, y); }
COLORREF BackBufferPixel(int x, int y) { return GetPixel(Ui.backBuffer, x, y); }
COLORREF HighlightPixel(int x, int y) { return GetPixel(Ui.highlightSurface, x, y); }

COLORREF ListPixel(int x, int y) {
    RedrawWindow(Ui.infoList, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC context = GetDC(Ui.infoList);
    COLORREF pixel = GetPixel(context, x, y);
    ReleaseDC(Ui.infoList, context);
    return pixel;
}

COLORREF ListPixelAsShown(int x, int y) {
    PumpMessages();
    UpdateWindow(Ui.infoList);
    HDC context = GetDC(Ui.infoList);
    COLORREF pixel = GetPixel(context, x, y);
    ReleaseDC(Ui.infoList, context);
    return pixel;
}

bool IsShown(HWND control) { return (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0; }
