#include "ui/startup.h"

#include <commctrl.h>
#include <richedit.h>

#include "ui/credits_line.h"
#include "ui/gdiplus_include.h"
#include "ui/info_list.h"
#include "ui/port_list.h"
#include "ui/resource_numbers.h"
#include "ui/rich_text.h"
#include "ui/skin.h"
#include "ui/startup_trace.h"
#include "ui/tab_forwarding.h"
#include "ui/terminal_window.h"
#include "ui/window_proc.h"

namespace {

constexpr char kClassName[] = "Vesmarin";
constexpr char kWindowTitle[] = "  Vesmarin v1.2";

constexpr DWORD kTabStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                            TCS_OWNERDRAWFIXED | TCS_FOCUSNEVER;
constexpr DWORD kCreditsStyle = WS_CHILD | ES_READONLY;
constexpr DWORD kOwnerDrawnVisible = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW;
constexpr DWORD kOwnerDrawnHidden = WS_CHILD | SS_OWNERDRAW;
constexpr DWORD kPortComboStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | CBS_DROPDOWNLIST;
constexpr DWORD kTerminalStyle = WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                 ES_NOHIDESEL | ES_READONLY | ES_SUNKEN;
constexpr DWORD kCommandEditStyle = WS_CHILD | WS_BORDER;
constexpr int kComboFieldHeight = 18;

HWND CreateChild(const char* className, HWND parent, DWORD style, int x, int y, int width,
                 int height) {
    return CreateWindowExA(0, className, nullptr, style, x, y, width, height, parent, nullptr,
                           Ui.instance, nullptr);
}

void SetParagraphAlignment(HWND pane, WORD alignment) {
    PARAFORMAT2 format = {};
    format.cbSize = sizeof(format);
    format.dwMask = PFM_ALIGNMENT;
    format.wAlignment = alignment;
    SendMessageA(pane, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

void RegisterMainClass() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    // No CS_DBLCLKS: a second quick click is simply another press.
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = Ui.instance;
    windowClass.hIcon = Ui.icon;
    windowClass.hIconSm = Ui.icon;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);
}

void CreateSurfaces() {
    Ui.windowSurface = GetDC(Ui.mainWindow);
    Ui.backBufferBitmap =
        CreateCompatibleBitmap(Ui.windowSurface, Ui.windowWidth, Ui.windowHeight);
    Ui.backBuffer = CreateCompatibleDC(Ui.windowSurface);
    SelectObject(Ui.backBuffer, Ui.backBufferBitmap);
    Ui.highlightBitmap = LoadBitmapA(Ui.instance, MAKEINTRESOURCEA(VESMARIN_HIGHLIGHT_RESOURCE));
    Ui.highlightSurface = CreateCompatibleDC(Ui.windowSurface);
    Ui.highlightPreviousBitmap = SelectObject(Ui.highlightSurface, Ui.highlightBitmap);
}

void CreateUiFont() {
    int dpiY = GetDeviceCaps(Ui.windowSurface, LOGPIXELSY);
    Ui.uiFont = CreateFontA(UiFontHeight(dpiY), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
}

void InsertTab(int index, const char* caption) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(caption);
    SendMessageA(Ui.tabControl, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
}

void CreateTabControl() {
    Ui.tabControl =
        CreateChild(WC_TABCONTROLA, Ui.mainWindow, kTabStyle, 0, 0, Ui.clientWidth,
                    Ui.clientHeight);
    SendMessageA(Ui.tabControl, WM_SETFONT, reinterpret_cast<WPARAM>(Ui.uiFont), FALSE);
    SetClassLongPtrA(Ui.tabControl, GCLP_HBRBACKGROUND,
                     reinterpret_cast<LONG_PTR>(CreateSolidBrush(kSkinBackgroundGdi)));
    SetClassLongPtrA(Ui.tabControl, GCL_STYLE, CS_HREDRAW | CS_VREDRAW);
    InsertTab(0, "Информация");
    InsertTab(1, "Терминал");
    ForwardTabControlInput(Ui.tabControl, Ui.mainWindow);
}

void CreateCreditsPane() {
    int W = Ui.clientWidth, H = Ui.clientHeight;
    Ui.creditsPane = CreateChild(RICHEDIT_CLASSA, Ui.mainWindow, kCreditsStyle, 10, H - 25,
                                 W - 20, 23);
    SendMessageA(Ui.creditsPane, EM_SETEVENTMASK, 0, ENM_LINK);
    HDC paneContext = GetDC(Ui.creditsPane);
    Ui.dpiX = GetDeviceCaps(paneContext, LOGPIXELSX);
    ReleaseDC(Ui.creditsPane, paneContext);
    SetParagraphAlignment(Ui.creditsPane, PFA_CENTER);
    SendMessageA(Ui.creditsPane, EM_SETBKGNDCOLOR, 0, kSkinBackgroundGdi);
}

void CreateSkinSurfaces() {
    int W = Ui.clientWidth, H = Ui.clientHeight;
    Ui.modemLabel = CreateChild("static", Ui.mainWindow, kOwnerDrawnVisible, 10, 35, 55, 18);
    for (int index : {kReadButton, kCopyButton, kRescanButton}) {
        const ImageButton& button = Ui.buttons[index];
        Ui.buttonSurfaces[index] = CreateChild("static", Ui.mainWindow, kOwnerDrawnVisible,
                                               button.x, button.y, button.width, button.height);
    }
    Ui.topSeparator = CreateChild("static", Ui.mainWindow, kOwnerDrawnVisible, 10, 64, W - 20, 2);
    Ui.bottomSeparator =
        CreateChild("static", Ui.mainWindow, kOwnerDrawnVisible, 10, H - 31, W - 20, 2);
}

void CreatePortCombo() {
    Ui.portCombo = CreateChild("combobox", Ui.tabControl, kPortComboStyle, 65, 33, 180, 100);
    SendMessageA(Ui.portCombo, WM_SETFONT, reinterpret_cast<WPARAM>(Ui.uiFont), FALSE);
    SendMessageA(Ui.portCombo, CB_SETEXTENDEDUI, TRUE, 0);
    SendMessageA(Ui.portCombo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kComboFieldHeight);
    SendMessageA(Ui.portCombo, CB_SETITEMHEIGHT, 0, kComboFieldHeight);
}

void CreateTerminalControls() {
    int W = Ui.clientWidth, H = Ui.clientHeight;
    Ui.terminalPane =
        CreateChild(RICHEDIT_CLASSA, Ui.tabControl, kTerminalStyle, 10, 72, W - 20, H - 157);
    SendMessageA(Ui.terminalPane, EM_SETEVENTMASK, 0, ENM_MOUSEEVENTS);
    SetParagraphAlignment(Ui.terminalPane, PFA_LEFT);
    SendMessageA(Ui.terminalPane, EM_SETBKGNDCOLOR, 0, RGB(0, 0, 0));

    Ui.commandLabel = CreateChild("static", Ui.mainWindow, kOwnerDrawnHidden, 10, H - 60, 70, 20);
    Ui.commandEdit =
        CreateChild("edit", Ui.mainWindow, kCommandEditStyle, 80, H - 60, W - 135, 20);
    const ImageButton& send = Ui.buttons[kSendButton];
    Ui.buttonSurfaces[kSendButton] = CreateChild("static", Ui.mainWindow, kOwnerDrawnHidden,
                                                 send.x, send.y, send.width, send.height);
}

}  // namespace

UtcDate SystemUtcDate() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return UtcDate{now.wYear, now.wMonth, now.wDay};
}

int UiFontHeight(int dpiY) {
    if (dpiY <= 0) dpiY = 96;   // a context that reports nothing gets the common resolution
    return -1296 / dpiY;
}

HWND StartApplication(HINSTANCE instance, UtcClock clock) {
    Ui.instance = instance;
    Ui.clock = clock != nullptr ? clock : SystemUtcDate;

    Ui.richEditLibrary = LoadLibraryA("riched20.dll");
    Ui.windowWidth = kMainWindowWidth;
    Ui.windowHeight = kMainWindowHeight;
    MarkStartupPhase("rich edit");

    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&Ui.gdiplusToken, &gdiplusInput, nullptr);
    MarkStartupPhase("GDI+");

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    MarkStartupPhase("common controls");

    Ui.icon = LoadIconA(instance, MAKEINTRESOURCEA(VESMARIN_ICON_RESOURCE));
    RegisterMainClass();
    MarkStartupPhase("class");
    Ui.mainWindow = CreateWindowExA(
        WS_EX_APPWINDOW, kClassName, kWindowTitle,
        WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
        GetSystemMetrics(SM_CXSCREEN) / 2 - kMainWindowWidth / 2, 10, Ui.windowWidth,
        Ui.windowHeight, nullptr, nullptr, instance, nullptr);
    MarkStartupPhase("window");

    CreateSurfaces();
    CreateUiFont();
    MarkStartupPhase("surfaces");

    RECT client;
    GetClientRect(Ui.mainWindow, &client);
    Ui.clientWidth = client.right;
    Ui.clientHeight = client.bottom;

    CreateTabControl();
    MarkStartupPhase("tab control");
    CreateCreditsPane();
    MarkStartupPhase("credits pane");
    PrepareRichTextFormat();
    WriteCreditsLine();
    MarkStartupPhase("credits line");

    ComposeBackBuffer(Ui.clientWidth, Ui.clientHeight);
    MarkStartupPhase("skin");
    CreateSkinSurfaces();
    MarkStartupPhase("skin surfaces");

    Ui.infoList = CreateInfoList(Ui.mainWindow, 10, 72, Ui.clientWidth - 30,
                                 Ui.clientHeight - 102);
    MarkStartupPhase("list");
    FillInfoList();
    MarkStartupPhase("list fill");

    CreatePortCombo();
    MarkStartupPhase("port combo");
    CreateTerminalControls();
    MarkStartupPhase("terminal controls");

    UpdateWindow(Ui.mainWindow);
    MarkStartupPhase("update window");
    DrawWaitPicture(client);
    MarkStartupPhase("waiting picture");
    ShowWindow(Ui.creditsPane, SW_SHOW);
    MarkStartupPhase("show credits");
    ScanPorts();
    MarkStartupPhase("first scan");
    ShowWindow(Ui.infoList, SW_SHOW);
    MarkStartupPhase("show list");
    return Ui.mainWindow;
}

bool HandleLoopMessage(const MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
        GetFocus() == Ui.commandEdit && Ui.commandEdit != nullptr) {
        SendCommand();
        return true;
    }
    return false;
}

int RunMessageLoop() {
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (HandleLoopMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // WM_QUIT comes only from the shutdown, which ends the process right after posting it, so
    // the loop ends here only when GetMessageA itself fails; the drawing contexts that
    // start-up made are released all the same.
    delete Ui.windowGraphics;
    delete Ui.backBufferGraphics;
    Ui.windowGraphics = nullptr;
    Ui.backBufferGraphics = nullptr;
    return static_cast<int>(message.wParam);
}
