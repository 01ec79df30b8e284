// The yardstick of the start-up benchmark: the least a Win32 program does to show a window of
// the window program's size and place. Its face is one plain colour, so the benchmark sees it
// painted when the middle of the client area turns that colour.
// Built a second time with VESMARIN_BENCH_LOAD_LIBRARIES, it first loads what the window
// program loads before its first window (rich edit, GDI+, the common controls), which tells
// how much of the window program's start-up those libraries account for.
// Both mark on standard output when they reach WinMain and when their window is up, as the
// window program's trace does (bench/window/trace_marks.h).
#include <windows.h>

#include "bench/window/trace_marks.h"

#ifdef VESMARIN_BENCH_LOAD_LIBRARIES
#include <commctrl.h>

#include "ui/gdiplus_include.h"
#endif

namespace {

// Unlike anything Wine shows before a window is painted (black, white or grey).
constexpr COLORREF kFaceColour = RGB(32, 128, 64);
constexpr int kWidth = 690;
constexpr int kHeight = 640;

LRESULT CALLBACK EmptyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    StartTraceMarks();
    WriteTraceMark("process start to WinMain");
#ifdef VESMARIN_BENCH_LOAD_LIBRARIES
    LoadLibraryA("riched20.dll");
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WriteTraceMark("libraries");
#endif
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = EmptyWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(kFaceColour);
    windowClass.lpszClassName = "EmptyWindow";
    RegisterClassExA(&windowClass);

    // The same frame, place and size as the window program's main window.
    int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kWidth / 2;
    HWND window = CreateWindowExA(WS_EX_APPWINDOW, "EmptyWindow", "Empty window",
                                  WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, 10,
                                  kWidth, kHeight, nullptr, nullptr, instance, nullptr);
    UpdateWindow(window);
    WriteTraceMark("window shown");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
