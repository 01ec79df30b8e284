#include "ui/info_list.h"

#include <commctrl.h>

#include <cstdio>

#include "info/info_table.h"
#include "ui/ui_state.h"

namespace {

constexpr DWORD kInfoListStyle = WS_CHILD | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER;
constexpr DWORD kInfoListExtendedStyle =
    LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_FLATSB;
constexpr COLORREF kListTextColour = RGB(0, 0, 170);
constexpr int kNameColumnWidth = 250;
constexpr int kValueColumnWidth = 390;
constexpr int kCheckedStateImage = 2;
constexpr size_t kCellTextSize = 256;

void InsertColumn(HWND list, int index, const char* caption, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(caption);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void WriteValueCell(int position, const char* text, void*) {
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(text);
    SendMessageA(Ui.infoList, LVM_SETITEMTEXTA, position, reinterpret_cast<LPARAM>(&item));
}

// The show-more row's label as stored, one leading blank, unlike the first fill's two.
void SetShowMoreLabel(const char* label) {
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = const_cast<char*>(label);
    SendMessageA(Ui.infoList, LVM_SETITEMTEXTA, kShowMorePosition,
                 reinterpret_cast<LPARAM>(&item));
}

}  // namespace

HWND CreateInfoList(HWND parent, int x, int y, int width, int height) {
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, nullptr, kInfoListStyle, x, y, width, height,
                                parent, nullptr, Ui.instance, nullptr);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(Ui.uiFont), FALSE);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kInfoListExtendedStyle);
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, kSkinBackgroundGdi);
    SendMessageA(list, LVM_SETBKCOLOR, 0, kSkinBackgroundGdi);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, kListTextColour);
    InsertColumn(list, 0, "Параметр", kNameColumnWidth);
    InsertColumn(list, 1, "Значение", kValueColumnWidth);
    return list;
}

// Rows go in by screen position: the table lists some later positions before earlier ones,
// and filling by position gives the same order on every list implementation, whether or not
// it appends an insertion past its end.
void FillInfoList() {
    char label[kCellTextSize];
    for (int position = 0; position < kInfoRowCount; ++position) {
        int index = TableIndexAtPosition(position);
        snprintf(label, sizeof(label), "  %s", index >= 0 ? InfoTable[index].name : "");
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = position;
        item.pszText = label;
        SendMessageA(Ui.infoList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (int position = 0; position < kInfoRowCount; ++position) {
        if (!IsInitiallyChecked(position)) continue;
        LVITEMA item = {};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(kCheckedStateImage);
        SendMessageA(Ui.infoList, LVM_SETITEMSTATE, position, reinterpret_cast<LPARAM>(&item));
    }
    InstallRowStore(WriteValueCell, nullptr);
}

void ReadListCell(int position, int column, char* text, size_t textSize) {
    if (textSize == 0) return;
    text[0] = '\0';
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(textSize);
    SendMessageA(Ui.infoList, LVM_GETITEMTEXTA, position, reinterpret_cast<LPARAM>(&item));
    text[textSize - 1] = '\0';
}

void ToggleExtraRows() {
    if (Ui.showExtraRows == 1) {
        SetShowMoreLabel(kShowMoreLabel);
        Ui.showExtraRows = 0;
    } else {
        SetShowMoreLabel(kShowLessLabel);
        Ui.showExtraRows = 1;
    }
    // The rows stay in the list either way; the list's colouring paints the extra ones over
    // while they are collapsed.
    LRESULT count = SendMessageA(Ui.infoList, LVM_GETITEMCOUNT, 0, 0);
    SendMessageA(Ui.infoList, LVM_REDRAWITEMS, kShowMorePosition, count);
}

int RowStateImage(int position) {
    LRESULT state = SendMessageA(Ui.infoList, LVM_GETITEMSTATE, position, LVIS_STATEIMAGEMASK);
    return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12);
}
