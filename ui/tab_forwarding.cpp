#include "ui/tab_forwarding.h"

#include <commctrl.h>

namespace {

WNDPROC TabControlProcedure = nullptr;
HWND ForwardTarget = nullptr;

// Presses on the tab strip itself stay with the tab control, which switches tabs with them.
bool OnTabStrip(HWND tabControl, LPARAM lParam) {
    TCHITTESTINFO hit = {};
    hit.pt.x = static_cast<short>(LOWORD(lParam));
    hit.pt.y = static_cast<short>(HIWORD(lParam));
    return SendMessageA(tabControl, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0;
}

// The page must show the window class's background, which start-up sets to the skin's colour,
// as the classic control does. Some implementations paint the page in a colour of their own
// (a theme's); the page is then painted over again, within the area that was to be repainted,
// leaving the tab strip and the border to the control.
void RepaintPageWithClassBrush(HWND window, HRGN updated) {
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    if (brush == nullptr) return;
    RECT page;
    GetClientRect(window, &page);
    SendMessageA(window, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    HDC context = GetDC(window);
    ExtSelectClipRgn(context, updated, RGN_AND);
    FillRect(context, &page, brush);
    ReleaseDC(window, context);
}

LRESULT PaintTabControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HRGN updated = CreateRectRgn(0, 0, 0, 0);
    bool anything = GetUpdateRgn(window, updated, FALSE) != NULLREGION;
    LRESULT result = CallWindowProcA(TabControlProcedure, window, message, wParam, lParam);
    if (anything) RepaintPageWithClassBrush(window, updated);
    DeleteObject(updated);
    return result;
}

LPARAM ToTargetCoordinates(HWND tabControl, LPARAM lParam) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    MapWindowPoints(tabControl, ForwardTarget, &point, 1);
    return MAKELPARAM(point.x, point.y);
}

LRESULT CALLBACK TabControlForwarder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY:
            // Notifications of the controls on the page (the terminal pane) belong to the
            // main window; the tab control has no use for them.
            if (reinterpret_cast<const NMHDR*>(lParam)->hwndFrom != window) {
                return SendMessageA(ForwardTarget, WM_NOTIFY, wParam, lParam);
            }
            break;
        case WM_PAINT:
            if (wParam == 0) return PaintTabControl(window, message, wParam, lParam);
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
            if (message == WM_MOUSEMOVE || !OnTabStrip(window, lParam)) {
                SendMessageA(ForwardTarget, message, wParam, ToTargetCoordinates(window, lParam));
            }
            break;
        default:
            break;
    }
    return CallWindowProcA(TabControlProcedure, window, message, wParam, lParam);
}

}  // namespace

void ForwardTabControlInput(HWND tabControl, HWND mainWindow) {
    ForwardTarget = mainWindow;
    TabControlProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        tabControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TabControlForwarder)));
}
