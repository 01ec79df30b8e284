#include "ui/web_page.h"

#include <windows.h>
#include <shellapi.h>

#include "ui/ui_state.h"

void OpenWebPage(const char* address) {
    ShellExecuteA(Ui.mainWindow, "open", address, nullptr, nullptr, SW_SHOWMAXIMIZED);
}
