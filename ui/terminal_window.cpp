#include "ui/terminal_window.h"

#include <windows.h>
#include <richedit.h>

#include "link/transact.h"
#include "terminal/terminal_send.h"
#include "ui/port_list.h"
#include "ui/rich_text.h"
#include "ui/ui_state.h"

namespace {

constexpr UINT kCopyItem = WM_COPY;          // 769: the pane's own copy
constexpr UINT kClearItem = 771;
constexpr UINT kSelectAllItem = EM_SETSEL;   // 177
constexpr int kTranscriptSize = 220;
constexpr COLORREF kTranscriptColour = RGB(255, 255, 255);

// A reply is at most one ReplyBuffer long; its NUL bytes are shown as a stand-in so the text
// after them is not lost.
char DisplayText[kReplyBufferSize];

void AppendToTranscript(const char* bytes, uint32_t length, void*) {
    const char* text = bytes;
    if (memchr(bytes, '\0', length) != nullptr) {
        CopyDisplayText(bytes, length, DisplayText, sizeof(DisplayText));
        text = DisplayText;
    }
    AppendRichText(Ui.terminalPane, text, kTranscriptSize, CFE_BOLD, kTranscriptColour);
}

}  // namespace

void SendCommand() {
    char entry[kTerminalEntrySize];
    if (SelectedPortEntry(entry, sizeof(entry))) {
        CHARRANGE end = {-1, -1};
        SendMessageA(Ui.terminalPane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
        char command[kTerminalCommandSize] = {};
        GetWindowTextA(Ui.commandEdit, command, sizeof(command));
        SendTerminalCommand(entry, command, AppendToTranscript, nullptr);
    }
    SetFocus(Ui.terminalPane);
    SendMessageA(Ui.terminalPane, EM_SCROLLCARET, 0, 0);
    SetWindowTextA(Ui.commandEdit, "");
    SetFocus(Ui.commandEdit);
}

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
