// The window's lasting state: the main window, its controls, the font, the drawing surfaces
// and the image buttons all live for the whole process, so they are kept in one record that
// start-up fills and the other window files read.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/utc_time.h"

namespace Gdiplus {
class Bitmap;
class Graphics;
}  // namespace Gdiplus

enum class Command : int { ReadInfo = 0, CopyTable = 1, SendCommand = 2, ScanPorts = 3 };

constexpr int kImageButtonCount = 4;
constexpr int kReadButton = 0;
constexpr int kCopyButton = 1;
constexpr int kSendButton = 2;
constexpr int kRescanButton = 3;

struct ImageButton {
    Gdiplus::Bitmap* picture;   // owned until shutdown; null only when allocation failed
    int32_t hovered;
    int32_t width;
    int32_t height;
    int32_t x;
    int32_t y;
    int32_t highlightEnabled;
};

// The clock of the date (UTC) that gates the credits line and the buy-code button.
using UtcClock = UtcDate (*)();

struct UiState {
    HINSTANCE instance;
    UtcClock clock;

    int windowWidth;    // outer size of the main window, also the back buffer's size
    int windowHeight;
    int clientWidth;    // W and H of every child position
    int clientHeight;

    HWND mainWindow;
    HWND tabControl;
    HWND creditsPane;
    HWND modemLabel;
    HWND buttonSurfaces[kImageButtonCount];
    HWND topSeparator;
    HWND bottomSeparator;
    HWND infoList;
    HWND portCombo;
    HWND terminalPane;
    HWND commandLabel;
    HWND commandEdit;

    HMODULE richEditLibrary;
    ULONG_PTR gdiplusToken;
    HICON icon;
    HFONT uiFont;
    int dpiX;   // measured on the credits pane; scales rich-text heights

    HDC windowSurface;            // the main window's own persistent context
    HDC backBuffer;               // composed face of the window, never changed afterwards
    HBITMAP backBufferBitmap;
    HDC highlightSurface;         // source of the hover highlight
    HBITMAP highlightBitmap;
    HGDIOBJ highlightPreviousBitmap;

    Gdiplus::Graphics* backBufferGraphics;
    Gdiplus::Graphics* windowGraphics;
    Gdiplus::Bitmap* waitPicture;
    ImageButton buttons[kImageButtonCount];

    int showExtraRows;   // 0: the rows after the show-more row are painted over
};

extern UiState Ui;

constexpr COLORREF kSkinBackgroundGdi = RGB(240, 240, 240);
constexpr uint32_t kSkinBackgroundArgb = 0xFFF0F0F0u;

// Which tab is showing is always read from the tab control, never kept separately.
int CurrentTab();
