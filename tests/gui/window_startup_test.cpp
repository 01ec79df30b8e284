// The window as start-up leaves it: geometry, rows, check marks, controls, font and credits.
// These run first, before any test reads a modem or clicks.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "info/info_table.h"
#include "tests/gui/window_fixture.h"
#include "ui/credits_line.h"
#include "ui/rich_text.h"
#include "ui/startup.h"
#include "ui/ui_settings.h"

namespace {

std::string PaneText(HWND pane) {
    char text[1024] = {};
    GetWindowTextA(pane, text, sizeof(text));
    return text;
}

DWORD EffectsAt(HWND pane, int position) {
    SendMessageA(pane, EM_SETSEL, position, position + 1);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof(format);
    SendMessageA(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format.dwEffects;
}

}  // namespace

TEST(GuiWindowStartup, PhasesRunInTheirFixedOrder) {
    // The waiting picture must be up before the first scan, and the list shown only after it.
    EXPECT_EQ(AtStartup.phases,
              "rich edit;GDI+;common controls;class;window;surfaces;tab control;credits pane;"
              "credits line;skin;skin surfaces;list;list fill;port combo;terminal controls;"
              "update window;waiting picture;show credits;first scan;show list;");
}

TEST(GuiWindowStartup, WindowIsCentredAtTheTopWithFixedSize) {
    RECT frame;
    GetWindowRect(Ui.mainWindow, &frame);
    EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 345);
    EXPECT_EQ(frame.top, 10);
    EXPECT_EQ(frame.right - frame.left, 690);
    EXPECT_EQ(frame.bottom - frame.top, 640);
    char title[64] = {};
    GetWindowTextA(Ui.mainWindow, title, sizeof(title));
    EXPECT_STREQ(title, "  Vesmarin v1.2");
    LONG_PTR style = GetWindowLongPtrA(Ui.mainWindow, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    // No double-click messages: a second quick press is another press.
    EXPECT_EQ(GetClassLongPtrA(Ui.mainWindow, GCL_STYLE) & CS_DBLCLKS, 0u);
}

TEST(GuiWindowStartup, RowsCarryTheirNamesAndTheBasicRowsAreChecked) {
    ASSERT_EQ(SendMessageA(Ui.infoList, LVM_GETITEMCOUNT, 0, 0), kInfoRowCount);
    for (int index = 0; index < kInfoRowCount; ++index) {
        int position = InfoTable[index].position;
        SCOPED_TRACE(position);
        EXPECT_EQ(AtStartup.names[position], std::string("  ") + InfoTable[index].name);
        EXPECT_EQ(AtStartup.values[position], "");
        EXPECT_EQ(AtStartup.stateImages[position], position < 8 ? 2 : 1);
    }
    EXPECT_EQ(AtStartup.names[8], "   + Показать доп. информацию");
    EXPECT_EQ(AtStartup.showExtraRows, 0);
}

TEST(GuiWindowStartup, InformationTabControlsAreShownAndTerminalOnesHidden) {
    // Order of the snapshot: nine controls of the information tab, then four of the terminal.
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(AtStartup.visible[i]) << i;
    for (int i = 9; i < 13; ++i) EXPECT_FALSE(AtStartup.visible[i]) << i;
}

TEST(GuiWindowStartup, TheFirstScanListedTheModemWithNothingSelected) {
    ASSERT_EQ(AtStartup.portCount, 1);
    EXPECT_EQ(AtStartup.portEntries[0], "E173u-2 (COM5)");
    EXPECT_EQ(AtStartup.portSelection, CB_ERR);
}

TEST(GuiWindowStartup, FontAndTextHeightsFollowTheResolution) {
    struct Case {
        int dpi, fontHeight, twips;
    };
    for (Case c : {Case{96, -13, 220}, Case{120, -10, 176}, Case{144, -9, 146}}) {
        EXPECT_EQ(UiFontHeight(c.dpi), c.fontHeight) << c.dpi;
        EXPECT_EQ(RichTextHeightTwips(220, c.dpi), c.twips) << c.dpi;
    }
    LOGFONTA font = {};
    GetObjectA(Ui.uiFont, sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, UiFontHeight(GetDeviceCaps(Ui.windowSurface, LOGPIXELSY)));
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_STREQ(font.lfFaceName, "Arial");
}

TEST(GuiWindowStartup, CreditsLineFollowsTheDateGate) {
    std::string line = PaneText(Ui.creditsPane);
    EXPECT_EQ(line, std::string(kCreditsLead) + kCreditsSiteAddress + kCreditsMiddle +
                        kCreditsPartnerAddress + kCreditsTail);
    ASSERT_EQ(strlen(kCreditsLead), 14u);
    EXPECT_EQ(EffectsAt(Ui.creditsPane, 13) & CFE_LINK, 0u);
    EXPECT_NE(EffectsAt(Ui.creditsPane, 14) & CFE_LINK, 0u);
    EXPECT_STREQ(CreditsLinkAddress(14), kCreditsSiteAddress);
    int secondLink = static_cast<int>(strlen(kCreditsLead) + strlen(kCreditsSiteAddress) +
                                      strlen(kCreditsMiddle));
    EXPECT_STREQ(CreditsLinkAddress(secondLink), kCreditsPartnerAddress);

    struct Case {
        UtcDate date;
        bool filled;
    };
    for (Case c : {Case{{2014, 7, 31}, false}, Case{{2013, 12, 31}, false},
                   Case{{2014, 8, 1}, true}, Case{{2015, 1, 1}, true}}) {
        SetWindowTextA(Ui.creditsPane, "");
        TestDate = c.date;
        WriteCreditsLine();
        EXPECT_EQ(!PaneText(Ui.creditsPane).empty(), c.filled) << c.date.year << "-" << c.date.month;
    }
    TestDate = {2026, 12, 7};
}

TEST(GuiWindowStartup, TheLoopReleasesTheDrawingContextsOfStartUpWhenItEnds) {
    // Nothing draws through them after start-up, so the tests that follow do not miss them.
    ASSERT_NE(Ui.windowGraphics, nullptr);
    ASSERT_NE(Ui.backBufferGraphics, nullptr);
    PostQuitMessage(7);
    EXPECT_EQ(RunMessageLoop(), 7);
    EXPECT_EQ(Ui.windowGraphics, nullptr);
    EXPECT_EQ(Ui.backBufferGraphics, nullptr);
}
