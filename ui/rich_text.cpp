#include "ui/rich_text.h"

#include <richedit.h>

#include <cstring>

#include "ui/ui_state.h"

namespace {

CHARFORMAT2A RichEditCharFormat = {};

}  // namespace

int RichTextHeightTwips(int size, int dpiX) {
    if (dpiX <= 0) dpiX = 96;
    return size * 96 / dpiX;
}

void PrepareRichTextFormat() {
    RichEditCharFormat = {};
    RichEditCharFormat.cbSize = sizeof(RichEditCharFormat);
    RichEditCharFormat.dwMask = CFM_BOLD | CFM_LINK | CFM_FACE | CFM_COLOR | CFM_SIZE;
    strncpy(RichEditCharFormat.szFaceName, "Times New Roman",
            sizeof(RichEditCharFormat.szFaceName) - 1);
}

void AppendRichText(HWND pane, const char* text, int size, DWORD effects, COLORREF colour) {
    RichEditCharFormat.yHeight = RichTextHeightTwips(size, Ui.dpiX);
    RichEditCharFormat.dwEffects = effects;
    RichEditCharFormat.crTextColor = colour;
    SendMessageA(pane, EM_SETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&RichEditCharFormat));
    SendMessageA(pane, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text));
}
