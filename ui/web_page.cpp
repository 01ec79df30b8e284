#include "ui/web_page.h"

#include <windows.h>
#include <shellapi.h>

#include "ui/ui_state.h"

namespace {

WebPageOpener ReplacementOpener = nullptr;

}  // namespace

void OpenWebPage(const char* address) {
    if (ReplacementOpener != nullptr) {
        ReplacementOpener(address);
        return;
    }
    ShellExecuteA(Ui.mainWindow, "open", address, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void ReplaceWebPageOpener(WebPageOpener opener) { ReplacementOpener = opener; }
