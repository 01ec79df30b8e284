#include "ui/buy_code_cell.h"

#include <cstring>

#include "info/buy_code_url.h"
#include "info/info_table.h"
#include "ui/buy_code_layout.h"
#include "ui/gdiplus_include.h"
#include "ui/info_list.h"
#include "ui/list_colours.h"
#include "ui/skin.h"
#include "ui/ui_state.h"
#include "ui/web_page.h"

namespace {

constexpr size_t kCellTextSize = 256;
constexpr COLORREF kButtonFillColour = RGB(160, 255, 160);
constexpr unsigned int kButtonTextColour = 0xFFA00000u;
constexpr int kButtonTextSize = 14;

// The page is derived afresh from what the list shows now, and offered only while the date
// gate is open; an empty address means no offer.
void OfferedPage(char* address, size_t addressSize) {
    char model[kCellTextSize] = {};
    char versions[kCellTextSize] = {};
    ReadListCell(RowPosition(InfoRow::Model), 1, model, sizeof(model));
    ReadListCell(RowPosition(InfoRow::Versions), 1, versions, sizeof(versions));
    memset(address, 0, addressSize);
    OfferedBuyCodePage(model, versions, Ui.clock(), address, addressSize);
}

}  // namespace

void DrawBuyCodeCell(HDC context, const RECT& cell) {
    char address[kPageAddressSize];
    OfferedPage(address, sizeof(address));
    if (address[0] == '\0') {
        FrameCell(context, cell);
        return;
    }
    RECT status = {cell.left, cell.top, kBuyCodeStatusRight, cell.bottom};
    FrameCell(context, status);
    RECT button = {kBuyCodeButtonLeft, cell.top, cell.right, cell.bottom};
    HBRUSH fill = CreateSolidBrush(kButtonFillColour);
    FillRect(context, &button, fill);
    DeleteObject(fill);
    FrameCell(context, button);
    DrawSkinText(context, kBuyCodeButtonLeft, cell.top - 1, cell.right - kBuyCodeButtonLeft,
                 cell.bottom - cell.top, L"Купить код", kButtonTextSize, kButtonTextColour,
                 false, 'C', Gdiplus::FontStyleBold);
}

void HandleBuyCodeClick(int position, int column) {
    char address[kPageAddressSize];
    OfferedPage(address, sizeof(address));
    if (address[0] == '\0') return;
    POINT pointer;
    GetCursorPos(&pointer);
    ScreenToClient(Ui.infoList, &pointer);
    if (BuyCodeClickOnButton(position, column, pointer.x)) OpenWebPage(address);
}
