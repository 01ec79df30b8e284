#include "ui/shutdown.h"

#include <windows.h>

#include "ui/gdiplus_include.h"
#include "ui/ui_state.h"

void ShutDownApplication() {
    for (ImageButton& button : Ui.buttons) {
        delete button.picture;
        button.picture = nullptr;
    }
    SelectObject(Ui.highlightSurface, Ui.highlightPreviousBitmap);
    DeleteDC(Ui.highlightSurface);
    DeleteObject(Ui.highlightBitmap);
    DeleteObject(Ui.uiFont);
    Gdiplus::GdiplusShutdown(Ui.gdiplusToken);
    if (Ui.richEditLibrary != nullptr) FreeLibrary(Ui.richEditLibrary);
    PostQuitMessage(0);
    ExitProcess(0);
}
