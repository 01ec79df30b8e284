// Closes the dialog boxes that a command opens on the test's own thread (a message box, a
// pop-up menu), from a second thread, and reports what they showed. Create it right before
// the command; it waits for the box in the background.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

// Menu key sequences: the first two items share their access key, so items are picked by
// moving down to them.
constexpr char kPickFirstItem[] = {VK_DOWN, VK_RETURN, 0};
constexpr char kPickSecondItem[] = {VK_DOWN, VK_DOWN, VK_RETURN, 0};
constexpr char kPickThirdItem[] = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN, 0};

class DialogCloser {
public:
    // No keys: wait for a message box and press OK. Otherwise wait for a pop-up menu and
    // press these virtual keys in it, in order.
    explicit DialogCloser(const char* menuKeys = nullptr);
    ~DialogCloser();
    DialogCloser(const DialogCloser&) = delete;
    DialogCloser& operator=(const DialogCloser&) = delete;

    // After the command returned: whether a box or menu was seen, and a box's texts.
    bool Seen();
    std::string Caption();
    std::string Text();
    // When the box or menu was found (polled every 10 ms).
    std::chrono::steady_clock::time_point SeenAt();

private:
    void Watch();
    std::string menuKeys_;
    bool seen_ = false;
    std::chrono::steady_clock::time_point seenAt_;
    std::string caption_;
    std::string text_;
    std::thread watcher_;
};

// The clipboard's Unicode text, or "<none>" when it holds none.
std::wstring ClipboardUnicode();
