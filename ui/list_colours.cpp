#include "ui/list_colours.h"

#include "info/info_table.h"
#include "ui/buy_code_cell.h"
#include "ui/buy_code_layout.h"
#include "ui/skin.h"
#include "ui/ui_state.h"

namespace {

constexpr COLORREF kShowMoreTextColour = RGB(200, 0, 0);
constexpr COLORREF kValueTextColour = RGB(0, 100, 0);
constexpr COLORREF kValueBackgroundColour = RGB(255, 255, 200);
constexpr COLORREF kNameTextColour = RGB(0, 0, 160);
constexpr COLORREF kCellFrameColour = RGB(160, 160, 160);
constexpr LONG kCheckBoxCoverRight = 22;

void FillWithBackground(HDC context, const RECT& area) {
    HBRUSH brush = CreateSolidBrush(kSkinBackgroundGdi);
    FillRect(context, &area, brush);
    DeleteObject(brush);
}

void ColourCell(NMLVCUSTOMDRAW* draw) {
    int position = static_cast<int>(draw->nmcd.dwItemSpec);
    if (position == kShowMorePosition) {
        draw->clrText = kShowMoreTextColour;
    } else if (draw->iSubItem == 1) {
        draw->clrText = kValueTextColour;
        draw->clrTextBk = kValueBackgroundColour;
    } else if (draw->iSubItem == 0) {
        draw->clrText = kNameTextColour;
    }
}

// Some list implementations read a row's state before asking how to paint it, so the row
// being painted still shows the selection cleared here; the row is painted once more after
// this pass. Without that second paint the stale highlight would stay, because the list no
// longer thinks the row selected and never repaints it when another row is clicked.
void ClearRowSelection(NMLVCUSTOMDRAW* draw) {
    WPARAM position = draw->nmcd.dwItemSpec;
    LRESULT state = SendMessageA(Ui.infoList, LVM_GETITEMSTATE, position,
                                 LVIS_SELECTED | LVIS_FOCUSED);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageA(Ui.infoList, LVM_SETITEMSTATE, position, reinterpret_cast<LPARAM>(&item));
    draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
    if ((state & LVIS_SELECTED) != 0) {
        PostMessageA(Ui.infoList, LVM_REDRAWITEMS, position, static_cast<LPARAM>(position));
    }
}

void FinishRow(int position) {
    HDC context = GetDC(Ui.infoList);
    RECT cell = {};
    if (position == kShowMorePosition) {
        cell.top = 0;
        cell.left = LVIR_BOUNDS;
        SendMessageA(Ui.infoList, LVM_GETSUBITEMRECT, position, reinterpret_cast<LPARAM>(&cell));
        cell.right = kCheckBoxCoverRight;
        FillWithBackground(context, cell);
    } else {
        cell.top = 1;
        cell.left = LVIR_BOUNDS;
        SendMessageA(Ui.infoList, LVM_GETSUBITEMRECT, position, reinterpret_cast<LPARAM>(&cell));
        cell.bottom -= 1;
        if (position == kBuyCodeRowPosition) {
            DrawBuyCodeCell(context, cell);
        } else {
            FrameCell(context, cell);
        }
    }
    if (Ui.showExtraRows == 0 && position > kShowMorePosition) {
        RECT row = {};
        row.left = LVIR_BOUNDS;
        SendMessageA(Ui.infoList, LVM_GETITEMRECT, position, reinterpret_cast<LPARAM>(&row));
        FillWithBackground(context, row);
    }
    ReleaseDC(Ui.infoList, context);
}

}  // namespace

void FrameCell(HDC context, const RECT& cell) {
    HBRUSH frame = CreateSolidBrush(kCellFrameColour);
    FrameRect(context, &cell, frame);
    DeleteObject(frame);
}

LRESULT CustomDrawInfoList(NMLVCUSTOMDRAW* draw, bool* handled) {
    *handled = true;
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            // No row is ever shown selected, even while the list has the focus.
            if (GetFocus() == Ui.infoList) ClearRowSelection(draw);
            return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_SUBITEM | CDDS_ITEMPREPAINT:
            ColourCell(draw);
            return CDRF_DODEFAULT;
        case CDDS_ITEMPOSTPAINT:
            FinishRow(static_cast<int>(draw->nmcd.dwItemSpec));
            return CDRF_DODEFAULT;
        case CDDS_POSTPAINT:
            return CDRF_DODEFAULT;
        default:
            *handled = false;
            return 0;
    }
}
