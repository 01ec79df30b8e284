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

// The block belongs to the clipboard once handed over; when it cannot be handed over it is
// freed again instead of being lost. Whether the text is on the clipboard now.
bool PlaceOnClipboard(size_t length) {
    SIZE_T bytes = (length + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (block == nullptr) return false;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return false;
    }
    memcpy(target, UnicodeText, bytes);
    GlobalUnlock(block);
    if (!OpenClipboardPatiently()) {
        GlobalFree(block);
        return false;
    }
    bool placed = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (!placed) GlobalFree(block);
    CloseClipboard();
    return placed;
}

}  // namespace

int CopyTable() {
    CopyRowSource source = {StateImageOfRow, ValueOfRow, nullptr};
    size_t length = BuildCopyText(source, CopyText, sizeof CopyText);
    memset(UnicodeText, 0, sizeof(UnicodeText));
    MultiByteToWideChar(kProgramCodePage, 0, CopyText, static_cast<int>(length + 1),
                        UnicodeText, kCopyUnicodeBufferUnits);
    if (!PlaceOnClipboard(length)) {
        // The confirmation would be untrue: the user would paste whatever was there before.
        return MessageBoxA(nullptr, kCopyFailedText, "Информация", MB_OK | MB_ICONWARNING);
    }
    return MessageBoxA(nullptr, "Информация скопирована в буфер обмена.", "Информация", MB_OK);
}
