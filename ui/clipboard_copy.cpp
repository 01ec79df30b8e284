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

// The block belongs to the clipboard once handed over; when the clipboard cannot be opened
// it is freed again instead of being lost.
void PlaceOnClipboard(size_t length) {
    SIZE_T bytes = (length + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (block == nullptr) return;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return;
    }
    memcpy(target, UnicodeText, bytes);
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) GlobalFree(block);
    CloseClipboard();
}

}  // namespace

int CopyTable() {
    CopyRowSource source = {StateImageOfRow, ValueOfRow, nullptr};
    size_t length = BuildCopyText(source, CopyText, sizeof CopyText);
    memset(UnicodeText, 0, sizeof(UnicodeText));
    MultiByteToWideChar(kProgramCodePage, 0, CopyText, static_cast<int>(length + 1),
                        UnicodeText, kCopyUnicodeBufferUnits);
    PlaceOnClipboard(length);
    return MessageBoxA(nullptr, "Информация скопирована в буфер обмена.", "Информация", MB_OK);
}
