// The copy button: which rows reach the clipboard, in what order and form, and the box that
// confirms it.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "info/info_table.h"
#include "ui/clipboard_copy.h"
#include "tests/gui/dialog_closer.h"
#include "tests/gui/window_fixture.h"

namespace {

std::wstring FromProgramText(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    int units = MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()),
                                    &wide[0], static_cast<int>(wide.size()));
    wide.resize(units > 0 ? units : 0);
    return wide;
}

void SetCheck(int position, bool checked) {
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(Ui.infoList, LVM_SETITEMSTATE, position, reinterpret_cast<LPARAM>(&item));
}

class GuiWindowCopy : public ::testing::Test {
protected:
    void TearDown() override {
        for (int position = 0; position < kInfoRowCount; ++position) SetCheck(position, position < kBasicRowCount);
    }
    // Presses the copy button and closes the confirmation; returns the clipboard's text.
    static std::wstring PressCopy() {
        DialogCloser box;
        const ImageButton& copy = Ui.buttons[1];
        PressMainWindow(copy.x + 10, copy.y + 10);
        EXPECT_TRUE(box.Seen());
        EXPECT_EQ(box.Caption(), "Информация");
        EXPECT_EQ(box.Text(), "Информация скопирована в буфер обмена.");
        return ClipboardUnicode();
    }
};

// Another thread holds the clipboard open, as another program would, until released.
class ClipboardHolder {
public:
    ClipboardHolder() {
        opened_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        holder_ = std::thread([this] {
            // With a window of its own: an open clipboard with no window does not keep out
            // another opener with no window, under Wine.
            HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       nullptr, nullptr);
            bool open = owner != nullptr && OpenClipboard(owner) != FALSE;
            SetEvent(opened_);
            WaitForSingleObject(release_, INFINITE);
            if (open) CloseClipboard();
            if (owner != nullptr) DestroyWindow(owner);
        });
        WaitForSingleObject(opened_, INFINITE);
    }
    ~ClipboardHolder() {
        Release();
        CloseHandle(opened_);
        CloseHandle(release_);
    }
    // Returns once the clipboard is closed again.
    void Release() {
        SetEvent(release_);
        if (holder_.joinable()) holder_.join();
    }

private:
    HANDLE opened_;
    HANDLE release_;
    std::thread holder_;
};

}  // namespace

TEST_F(GuiWindowCopy, AfterAReadTheEightBasicRowsGoInTableOrder) {
    SendMessageA(Ui.portCombo, CB_SETCURSEL, 0, 0);
    PressMainWindow(400, 40);
    ASSERT_EQ(ListCell(RowPosition(InfoRow::Model), 1), "E173u-2");

    std::string expected;
    for (int index = 0; index < kInfoRowCount; ++index) {
        if (InfoTable[index].position >= kBasicRowCount) continue;
        expected += std::string(InfoTable[index].name) + ": " +
                    ListCell(InfoTable[index].position, 1) + "\r\n";
    }
    std::wstring copied = PressCopy();
    EXPECT_EQ(copied, FromProgramText(expected));
    // Table order, not screen order: the firmware build date (index 24, shown fifth) comes
    // after the IMEI (index 5, shown fourth), and the versions (index 4) before the IMEI.
    EXPECT_LT(copied.find(L"Версии (прошивки и железа): "), copied.find(L"IMEI: "));
    EXPECT_EQ(copied.rfind(L"Производитель: Zentrawave Technologies Co., Ltd.\r\n", 0), 0u);
}

TEST_F(GuiWindowCopy, AllUncheckedGivesTheEmptyTextAndStillConfirms) {
    for (int position = 0; position < kInfoRowCount; ++position) SetCheck(position, false);
    EXPECT_EQ(PressCopy(), L"");
}

TEST_F(GuiWindowCopy, TheShowMoreRowCopiesItsTableNameWithAnEmptyValue) {
    for (int position = 0; position < kInfoRowCount; ++position) SetCheck(position, false);
    SetCheck(kShowMorePosition, true);
    EXPECT_EQ(PressCopy(), L" + Показать доп. информацию: \r\n");
}

TEST_F(GuiWindowCopy, WaitsForAClipboardHeldAMomentByAnotherProgram) {
    for (int position = 0; position < kInfoRowCount; ++position) SetCheck(position, false);
    SetCheck(kShowMorePosition, true);
    ClipboardHolder holder;
    // Released from a third thread while the copy, on this one, is still trying.
    std::thread releaser([&holder] {
        Sleep(100);
        holder.Release();
    });
    std::wstring copied = PressCopy();
    releaser.join();
    EXPECT_EQ(copied, L" + Показать доп. информацию: \r\n");
}

TEST_F(GuiWindowCopy, AClipboardHeldThroughoutIsReportedNotConfirmed) {
    for (int position = 0; position < kInfoRowCount; ++position) SetCheck(position, false);
    std::wstring before = ClipboardUnicode();
    ClipboardHolder holder;
    DialogCloser box;
    const ImageButton& copy = Ui.buttons[1];
    PressMainWindow(copy.x + 10, copy.y + 10);
    ASSERT_TRUE(box.Seen());
    EXPECT_EQ(box.Caption(), "Информация");
    EXPECT_EQ(box.Text(), kCopyFailedText);
    holder.Release();
    EXPECT_EQ(ClipboardUnicode(), before);
}

TEST_F(GuiWindowCopy, AnOverlongTextKeepsWholeLinesInTableOrder) {
    // Every row checked and 2000 characters long: 29 lines would not fit 32766 characters.
    std::string saved[kInfoRowCount];
    std::string longValue(2000, 'x');
    for (int position = 0; position < kInfoRowCount; ++position) {
        saved[position] = ListCell(position, 1);
        SetListCell(position, 1, longValue.c_str());
        SetCheck(position, true);
    }
    std::wstring copied = PressCopy();
    for (int position = 0; position < kInfoRowCount; ++position) {
        SetListCell(position, 1, saved[position].c_str());
    }
    ASSERT_LE(copied.size(), 32766u);
    ASSERT_GE(copied.size(), 32766u - 2100);
    EXPECT_EQ(copied.substr(copied.size() - 2), L"\r\n");
    size_t lines = 0;
    for (size_t at = copied.find(L"\r\n"); at != std::wstring::npos; at = copied.find(L"\r\n", at + 2)) {
        ++lines;
    }
    // Each copied line is whole: the name, ": " and all 2000 characters.
    EXPECT_EQ(copied.find(L"Производитель: " + std::wstring(2000, L'x') + L"\r\n"), 0u);
    EXPECT_GE(lines, 15u);
    EXPECT_LT(lines, static_cast<size_t>(kInfoRowCount));
}
