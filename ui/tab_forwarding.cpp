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
// (a theme's), which would only be painted over, and a theme may stretch a picture over the
// whole page to do it: under Wine that alone took a quarter of the start-up. So the control
// paints only the tab strip and the border, in the bands around the page, each clipped to its
// band (a clip no larger than the band is what makes the stretch cheap: it is worked out for
// the clip's bounding box), and the page is filled here with the class brush.
void PaintTabControl(HWND window) {
    PAINTSTRUCT paint;
    HDC context = BeginPaint(window, &paint);
    if (context == nullptr) return;
    RECT client, page;
    GetClientRect(window, &client);
    page = client;
    SendMessageA(window, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    const RECT bands[] = {
        {client.left, client.top, client.right, page.top},
        {client.left, page.top, page.left, page.bottom},
        {page.right, page.top, client.right, page.bottom},
        {client.left, page.bottom, client.right, client.bottom},
    };
    for (const RECT& band : bands) {
        RECT part;
        if (!IntersectRect(&part, &band, &paint.rcPaint)) continue;
        int saved = SaveDC(context);
        IntersectClipRect(context, part.left, part.top, part.right, part.bottom);
        // Common controls paint into the context that comes with WM_PAINT.
        CallWindowProcA(TabControlProcedure, window, WM_PAINT, reinterpret_cast<WPARAM>(context),
                        0);
        RestoreDC(context, saved);
    }
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    RECT pagePart;
    if (brush != nullptr && IntersectRect(&pagePart, &page, &paint.rcPaint)) {
        FillRect(context, &pagePart, brush);
    }
    EndPaint(window, &paint);
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
            if (wParam == 0) {
                PaintTabControl(window);
                return 0;
            }
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
