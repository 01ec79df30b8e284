#include "ui/window_proc.h"

#include <commctrl.h>
#include <richedit.h>

#include <initializer_list>

#include "info/info_run.h"
#include "info/info_table.h"
#include "link/discovery.h"
#include "ui/buy_code_cell.h"
#include "ui/clipboard_copy.h"
#include "ui/credits_line.h"
#include "ui/info_list.h"
#include "ui/list_colours.h"
#include "ui/port_list.h"
#include "ui/skin.h"
#include "ui/shutdown.h"
#include "ui/terminal_window.h"
#include "ui/ui_state.h"
#include "ui/web_page.h"

namespace {

constexpr int kInfoTab = 0;
constexpr int kTerminalTab = 1;

// What each image button runs, by button index.
constexpr Command kButtonCommands[kImageButtonCount] = {
    Command::ReadInfo, Command::CopyTable, Command::SendCommand, Command::ScanPorts};
static_assert(kReadButton == 0 && kCopyButton == 1 && kSendButton == 2 && kRescanButton == 3,
              "kButtonCommands is indexed by button");

// Live buttons per tab, in the order they are hovered and hit-tested.
constexpr int kInfoTabButtons[] = {kReadButton, kCopyButton, kRescanButton};
constexpr int kTerminalTabButtons[] = {kSendButton, kRescanButton};

template <typename Visit>
void ForEachLiveButton(Visit visit) {
    if (CurrentTab() == kTerminalTab) {
        for (int index : kTerminalTabButtons) visit(index);
    } else if (CurrentTab() == kInfoTab) {
        for (int index : kInfoTabButtons) visit(index);
    }
}

void OnMouseMove(LPARAM lParam) {
    int x = LOWORD(lParam), y = HIWORD(lParam);
    bool overButton = false;
    ForEachLiveButton([&](int index) {
        if (UpdateButtonHover(index, x, y)) overButton = true;
    });
    SetCursor(LoadCursor(nullptr, overButton ? IDC_HAND : IDC_ARROW));
}

void OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    // Another button or a modifier held down makes the press no command.
    if (wParam != MK_LBUTTON) return;
    int hit = HitTestButtons(LOWORD(lParam), HIWORD(lParam));
    if (hit >= 0) RunCommand(static_cast<int>(kButtonCommands[hit]));
}

void ShowControl(HWND control, bool shown) { ShowWindow(control, shown ? SW_SHOW : SW_HIDE); }

// A highlight is drawn on the window itself and reaches 3 pixels past its button, so hiding
// the button's surface would leave a pale ring on the other tab. The ring lies on the plain
// page, which shows the skin's background there; the button keeps its hover state, as a
// repaint of its surface would.
void EraseHiddenHighlights(bool info) {
    for (int index : {kReadButton, kCopyButton, kSendButton}) {
        bool hidden = (index == kSendButton) ? info : !info;
        const ImageButton& button = Ui.buttons[index];
        if (!hidden || button.hovered == 0) continue;
        RECT ring = {button.x - 3, button.y - 3, button.x + button.width + 3,
                     button.y + button.height + 3};
        HBRUSH background = CreateSolidBrush(kSkinBackgroundGdi);
        FillRect(Ui.windowSurface, &ring, background);
        DeleteObject(background);
    }
}

void OnTabChanged() {
    bool info = CurrentTab() == kInfoTab;
    ShowControl(Ui.infoList, info);
    ShowControl(Ui.buttonSurfaces[kReadButton], info);
    ShowControl(Ui.buttonSurfaces[kCopyButton], info);
    ShowControl(Ui.terminalPane, !info);
    ShowControl(Ui.commandLabel, !info);
    ShowControl(Ui.commandEdit, !info);
    ShowControl(Ui.buttonSurfaces[kSendButton], !info);
    ShowControl(Ui.buttonSurfaces[kRescanButton], true);
    EraseHiddenHighlights(info);
    if (!info) SetFocus(Ui.commandEdit);
}

void OnInfoListClick(const NMITEMACTIVATE* click) {
    if (click->iItem == kShowMorePosition) {
        ToggleExtraRows();
        return;
    }
    HandleBuyCodeClick(click->iItem, click->iSubItem);
}

void OnCreditsLink(const ENLINK* link) {
    if (link->msg != WM_LBUTTONUP) return;
    OpenWebPage(CreditsLinkAddress(link->chrg.cpMin));
}

void OnTerminalMouse(const MSGFILTER* filter) {
    if (filter->msg == WM_RBUTTONDOWN) ShowTerminalMenu();
}

// Returns true with `result` set when the notification must not get default handling.
bool OnNotify(const NMHDR* header, LRESULT* result) {
    if (header->hwndFrom == Ui.creditsPane && header->code == EN_LINK) {
        OnCreditsLink(reinterpret_cast<const ENLINK*>(header));
    } else if (header->hwndFrom == Ui.terminalPane && header->code == EN_MSGFILTER) {
        OnTerminalMouse(reinterpret_cast<const MSGFILTER*>(header));
    } else if (header->hwndFrom == Ui.tabControl && header->code == TCN_SELCHANGE) {
        OnTabChanged();
    } else if (header->hwndFrom == Ui.infoList && header->code == NM_CLICK) {
        OnInfoListClick(reinterpret_cast<const NMITEMACTIVATE*>(header));
    } else if (header->hwndFrom == Ui.infoList && header->code == NM_CUSTOMDRAW) {
        bool handled = false;
        *result = CustomDrawInfoList(
            reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header)), &handled);
        return handled;
    }
    return false;
}

void ReadSelectedModem() {
    char entry[kPortEntrySize];
    if (!SelectedPortEntry(entry, sizeof(entry))) return;
    ReadModemInfo(entry);
}

}  // namespace

int HitTestButtons(int x, int y) {
    int hit = -1;
    ForEachLiveButton([&](int index) {
        if (PointOnButton(index, x, y)) hit = index;
    });
    return hit;
}

void RunCommand(int command) {
    switch (static_cast<Command>(command)) {
        case Command::ReadInfo: ReadSelectedModem(); break;
        case Command::CopyTable: CopyTable(); break;
        case Command::SendCommand: SendCommand(); break;
        case Command::ScanPorts: ScanPorts(); break;
        default: break;
    }
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM:
            DrawOwnerItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (OnNotify(reinterpret_cast<const NMHDR*>(lParam), &result)) return result;
            break;
        }
        case WM_MOUSEMOVE:
            OnMouseMove(lParam);
            break;
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(wParam, lParam);
            break;
        case WM_DESTROY:
            // Last, so that nothing can follow it: the shutdown ends the process.
            ShutDownApplication();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
