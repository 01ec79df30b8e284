#include "ui/clipboard_copy.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "ui/copy_text.h"
#include "ui/info_list.h"
#include "ui/ui_state.h"

namespace {

// The program's texts are Windows-1251 whatever code page the system runs with.
constexpr UINT kProgramCodePage = 1251;

// The copy's own buffers, so that copying leaves the last reply of the link in place.
char CopyText[kCopyTextMaxBytes + 2];
wchar_t UnicodeText[kCopyUnicodeBufferUnits];

int StateImageOfRow(int position, void*) { return RowStateImage(position); }

void ValueOfRow(int position, char* value, size_t valueSize, void*) {
    ReadListCell(position, 1, value, valueSize);
}

// Another program may hold the clipboard open for a moment: a clipboard manager, or Wine's
// bridge to the X clipboard importing what an X program just offered. The copy waits for it a
// little (2 s at most) instead of losing the text.
constexpr int kOpenAttempts = 80;
constexpr DWORD kOpenRetryMs = 25;

bool OpenClipboardPatiently() {
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        if (OpenClipboard(nullptr)) return true;
        if (attempt < kOpenAttempts) Sleep(kOpenRetryMs);
    }
    return false;
}

enum class Placement { Placed, ClipboardBusy, Failed };

constexpr char kCopiedText[] = "Информация скопирована в буфер обмена.";
constexpr char kClipboardBusyText[] =
    "Информация не скопирована: буфер обмена занят другой программой.";
// The clipboard opened, so it was not another program: the cause is not named.
constexpr char kCopyFailedText[] = "Не удалось скопировать информацию в буфер обмена.";

// The block belongs to the clipboard once handed over; when it cannot be handed over it is
// freed again instead of being lost.
Placement PlaceOnClipboard(size_t length) {
    SIZE_T bytes = (length + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (block == nullptr) return Placement::Failed;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return Placement::Failed;
    }
    memcpy(target, UnicodeText, bytes);
    GlobalUnlock(block);
    if (!OpenClipboardPatiently()) {
        GlobalFree(block);
        return Placement::ClipboardBusy;
    }
    bool placed = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (!placed) GlobalFree(block);
    CloseClipboard();
    return placed ? Placement::Placed : Placement::Failed;
}

}  // namespace

int CopyTable() {
    CopyRowSource source = {StateImageOfRow, ValueOfRow, nullptr};
    size_t length = BuildCopyText(source, CopyText, sizeof CopyText);
    memset(UnicodeText, 0, sizeof(UnicodeText));
    MultiByteToWideChar(kProgramCodePage, 0, CopyText, static_cast<int>(length + 1),
                        UnicodeText, kCopyUnicodeBufferUnits);
    Placement placement = PlaceOnClipboard(length);
    if (placement == Placement::Placed) {
        return MessageBoxA(nullptr, kCopiedText, "Информация", MB_OK);
    }
    // The confirmation would be untrue: the user would paste whatever was there before.
    const char* text =
        placement == Placement::ClipboardBusy ? kClipboardBusyText : kCopyFailedText;
    return MessageBoxA(nullptr, text, "Информация", MB_OK | MB_ICONWARNING);
}
