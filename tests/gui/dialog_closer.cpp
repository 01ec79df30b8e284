#include "tests/gui/dialog_closer.h"

#include <chrono>

namespace {

// Generous: the wait ends as soon as the box or menu appears.
constexpr auto kAppearLimit = std::chrono::seconds(30);

HWND WaitForWindowOfClass(const char* className) {
    auto deadline = std::chrono::steady_clock::now() + kAppearLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        HWND found = FindWindowA(className, nullptr);
        if (found != nullptr && IsWindowVisible(found)) return found;
        Sleep(10);
    }
    return nullptr;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

}  // namespace

DialogCloser::DialogCloser(const char* menuKeys)
    : menuKeys_(menuKeys != nullptr ? menuKeys : ""), watcher_([this] { Watch(); }) {}

DialogCloser::~DialogCloser() {
    if (watcher_.joinable()) watcher_.join();
}

void DialogCloser::Watch() {
    if (menuKeys_.empty()) {
        HWND box = WaitForWindowOfClass("#32770");
        if (box == nullptr) return;
        seenAt_ = std::chrono::steady_clock::now();
        seen_ = true;
        caption_ = TextOf(box);
        // The message text is the box's static control (identifier 0xFFFF).
        text_ = TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    } else {
        HWND menu = WaitForWindowOfClass("#32768");
        if (menu == nullptr) return;
        seenAt_ = std::chrono::steady_clock::now();
        seen_ = true;
        for (char key : menuKeys_) PostMessageA(menu, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    }
}

bool DialogCloser::Seen() {
    if (watcher_.joinable()) watcher_.join();
    return seen_;
}
std::string DialogCloser::Caption() {
    if (watcher_.joinable()) watcher_.join();
    return caption_;
}
std::string DialogCloser::Text() {
    if (watcher_.joinable()) watcher_.join();
    return text_;
}
std::chrono::steady_clock::time_point DialogCloser::SeenAt() {
    if (watcher_.joinable()) watcher_.join();
    return seenAt_;
}

std::wstring ClipboardUnicode() {
    std::wstring text = L"<none>";
    if (!OpenClipboard(nullptr)) return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data != nullptr) {
        const wchar_t* units = static_cast<const wchar_t*>(GlobalLock(data));
        if (units != nullptr) text = units;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}
