// The terminal tab, driven as a user drives it: type, send with the button or Enter, and use
// the transcript's menu.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "tests/gui/dialog_closer.h"
#include "tests/gui/window_fixture.h"

namespace {

std::string Transcript() {
    static char text[70000];
    text[0] = '\0';
    GetWindowTextA(Ui.terminalPane, text, sizeof(text));
    return text;
}

// Line ends as the pane hands them out: each paragraph break may come back as CR or CR LF.
std::string WithLineFeeds(std::string text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            plain += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

// Counts the Enter key presses that reach the command field itself.
WNDPROC FieldProcedure = nullptr;
int EnterKeysInField = 0;
LRESULT CALLBACK CountingFieldProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_KEYDOWN || message == WM_CHAR) &&
        (wParam == VK_RETURN || wParam == '\r')) {
        ++EnterKeysInField;
    }
    return CallWindowProcA(FieldProcedure, window, message, wParam, lParam);
}

class GuiWindowTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        if (SendMessageA(Ui.tabControl, TCM_GETCURSEL, 0, 0) != 1) ClickTab(1);
        SetWindowTextA(Ui.terminalPane, "");
        SendMessageA(Ui.portCombo, CB_SETCURSEL, FindEntry("(COM5)"), 0);
    }
    void TearDown() override { ClickTab(0); }

    // The entry whose text ends with `ending`; -1 (no selection) when there is none.
    static WPARAM FindEntry(const char* ending) {
        std::string wanted = ending;
        LRESULT count = SendMessageA(Ui.portCombo, CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            char text[256] = {};
            if (SendMessageA(Ui.portCombo, CB_GETLBTEXTLEN, index, 0) >= 256) continue;
            SendMessageA(Ui.portCombo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
            std::string entry = text;
            if (entry.size() >= wanted.size() &&
                entry.compare(entry.size() - wanted.size(), wanted.size(), wanted) == 0) {
                return static_cast<WPARAM>(index);
            }
        }
        return static_cast<WPARAM>(-1);
    }
    static void Type(const char* command) { SetWindowTextA(Ui.commandEdit, command); }
    static void PressSend() {
        const ImageButton& send = Ui.buttons[2];
        PressMainWindow(send.x + send.width / 2, send.y + send.height / 2);
    }
    static std::string Field() {
        char text[300] = {};
        GetWindowTextA(Ui.commandEdit, text, sizeof(text));
        return text;
    }
};

}  // namespace

TEST_F(GuiWindowTerminal, SendButtonShowsThePromptTheRawReplyAndALineBreak) {
    Type("ATI");
    PressSend();
    std::string text = WithLineFeeds(Transcript());
    EXPECT_EQ(text.rfind("cmd> ATI\n", 0), 0u) << text;
    EXPECT_NE(text.find("Manufacturer: zentrawave\n"), std::string::npos) << text;
    EXPECT_NE(text.find("OK\n"), std::string::npos) << text;
    EXPECT_EQ(Field(), "");
    EXPECT_EQ(GetFocus(), Ui.commandEdit);
}

TEST_F(GuiWindowTerminal, EnterSendsLikeTheButtonAndNeverReachesTheField) {
    FieldProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        Ui.commandEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingFieldProcedure)));
    EnterKeysInField = 0;
    SetFocus(Ui.commandEdit);
    Type("AT+CSQ");
    PostMessageA(Ui.commandEdit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PumpMessages();
    SetWindowLongPtrA(Ui.commandEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FieldProcedure));

    std::string text = WithLineFeeds(Transcript());
    EXPECT_EQ(text.rfind("cmd> AT+CSQ\n", 0), 0u) << text;
    EXPECT_NE(text.find("+CSQ: 18,99"), std::string::npos) << text;
    EXPECT_EQ(EnterKeysInField, 0);
    EXPECT_EQ(Field(), "");
    EXPECT_EQ(GetFocus(), Ui.commandEdit);

    // Enter anywhere else is passed on as usual.
    SetFocus(Ui.portCombo);
    Type("ATI");
    PostMessageA(Ui.portCombo, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PumpMessages();
    EXPECT_EQ(Field(), "ATI");
    EXPECT_EQ(WithLineFeeds(Transcript()), text);
}

TEST_F(GuiWindowTerminal, NothingSelectedLeavesTheTranscriptAloneButEmptiesTheField) {
    SendMessageA(Ui.portCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Type("ATI");
    PressSend();
    EXPECT_EQ(Transcript(), "");
    EXPECT_EQ(Field(), "");
    EXPECT_EQ(GetFocus(), Ui.commandEdit);
}

TEST_F(GuiWindowTerminal, ASilentPortLeavesOnlyTheEchoAndAMissingPortToo) {
    // Entries the scan did not list (the silent port never answers the probe) reach the ports
    // by their names all the same.
    SendMessageA(Ui.portCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("quiet (COM7)"));
    SendMessageA(Ui.portCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("gone (COM9)"));
    SendMessageA(Ui.portCombo, CB_SETCURSEL, FindEntry("quiet (COM7)"), 0);
    Type("ATI");
    PressSend();
    EXPECT_EQ(WithLineFeeds(Transcript()), "cmd> ATI\n");
    SendMessageA(Ui.portCombo, CB_SETCURSEL, FindEntry("gone (COM9)"), 0);
    Type("");
    PressSend();
    EXPECT_EQ(WithLineFeeds(Transcript()), "cmd> ATI\ncmd> \n");
    SendMessageA(Ui.portCombo, CB_DELETESTRING, FindEntry("quiet (COM7)"), 0);
    SendMessageA(Ui.portCombo, CB_DELETESTRING, FindEntry("gone (COM9)"), 0);
}

TEST_F(GuiWindowTerminal, MenuSelectsAllCopiesAndClears) {
    Type("ATI");
    PressSend();
    std::string text = Transcript();
    ASSERT_FALSE(text.empty());
    {
        DialogCloser menu(kPickThirdItem);
        SendMessageA(Ui.terminalPane, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
        SendMessageA(Ui.terminalPane, WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
        PumpMessages();
        ASSERT_TRUE(menu.Seen());
    }
    CHARRANGE selection = {};
    SendMessageA(Ui.terminalPane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 0);
    EXPECT_GE(selection.cpMax, static_cast<LONG>(WithLineFeeds(text).size()) - 1);
    {
        DialogCloser menu(kPickFirstItem);
        SendMessageA(Ui.terminalPane, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
        SendMessageA(Ui.terminalPane, WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
        PumpMessages();
        ASSERT_TRUE(menu.Seen());
    }
    std::wstring copied = ClipboardUnicode();
    EXPECT_EQ(copied.rfind(L"cmd> ATI", 0), 0u);
    EXPECT_NE(copied.find(L"Manufacturer: zentrawave"), std::wstring::npos);
    {
        // "&Clear" erases everything, not only the selection.
        SendMessageA(Ui.terminalPane, EM_SETSEL, 0, 3);
        DialogCloser menu(kPickSecondItem);
        SendMessageA(Ui.terminalPane, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
        SendMessageA(Ui.terminalPane, WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
        PumpMessages();
        ASSERT_TRUE(menu.Seen());
    }
    EXPECT_EQ(Transcript(), "");
}
