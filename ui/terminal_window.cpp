#include "ui/terminal_window.h"

#include <windows.h>
#include <richedit.h>

#include "ui/ui_state.h"

namespace {

constexpr UINT kCopyItem = WM_COPY;       // 769: the pane's own copy
constexpr UINT kClearItem = 771;
constexpr UINT kSelectAllItem = EM_SETSEL;   // 177

}  // namespace

void SendCommand() {}

void ShowTerminalMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kCopyItem, "&Copy");
    AppendMenuA(menu, MF_STRING, kClearItem, "&Clear");
    AppendMenuA(menu, MF_STRING, kSelectAllItem, "Select &All");
    POINT pointer;
    GetCursorPos(&pointer);
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                   pointer.x, pointer.y, 0, Ui.terminalPane,
                                                   nullptr));
    DestroyMenu(menu);
    switch (chosen) {
        case kCopyItem:
            SendMessageA(Ui.terminalPane, WM_COPY, 0, 0);
            break;
        case kClearItem:
            SendMessageA(Ui.terminalPane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
            break;
        case kSelectAllItem:
            SendMessageA(Ui.terminalPane, EM_SETSEL, static_cast<WPARAM>(-1), -1);
            SendMessageA(Ui.terminalPane, EM_SETSEL, 0, -1);
            break;
        default:
            break;
    }
}
