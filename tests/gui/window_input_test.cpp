// Pointer input on the skinned face: which presses run commands, tabs, hover highlight, the
// show-more row and the list's colours.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "info/info_table.h"
#include "tests/gui/window_fixture.h"
#include "ui/skin.h"
#include "ui/window_proc.h"

namespace {

constexpr COLORREF kBackground = RGB(240, 240, 240);

bool Near(COLORREF actual, COLORREF expected, int tolerance) {
    return std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
           std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
           std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
}

// What AlphaBlend makes of one pixel at a constant alpha of 70 without per-pixel alpha.
COLORREF Blend70(COLORREF source, COLORREF destination) {
    auto mix = [](int s, int d) { return (s * 70 + d * (255 - 70)) / 255; };
    return RGB(mix(GetRValue(source), GetRValue(destination)),
               mix(GetGValue(source), GetGValue(destination)),
               mix(GetBValue(source), GetBValue(destination)));
}

void SelectFirstEntry() {
    SendMessageA(Ui.portCombo, CB_SETCURSEL, 0, 0);
    ASSERT_EQ(SendMessageA(Ui.portCombo, CB_GETCURSEL, 0, 0), 0);
}

class GuiWindowInput : public ::testing::Test {
protected:
    void TearDown() override {
        if (SendMessageA(Ui.tabControl, TCM_GETCURSEL, 0, 0) != 0) ClickTab(0);
        MovePointer(5, 300);
    }
};

}  // namespace

TEST_F(GuiWindowInput, ButtonsAreHotOnEveryEdgeAndNoFurther) {
    int H = Ui.clientHeight;
    struct Case {
        int tab, x, y, hit;
    };
    const Case cases[] = {
        {0, 308, 32, 0},  {0, 508, 56, 0},  {0, 509, 56, -1}, {0, 307, 40, -1},
        {0, 400, 31, -1}, {0, 400, 57, -1}, {0, 530, 32, 1},  {0, 650, 56, 1},
        {0, 651, 40, -1}, {0, 260, 32, 3},  {0, 284, 56, 3},  {0, 285, 56, -1},
        {0, Ui.clientWidth - 50, H - 80, -1},
        {1, Ui.clientWidth - 50, H - 80, 2}, {1, Ui.clientWidth - 10, H - 37, 2},
        {1, Ui.clientWidth - 9, H - 37, -1}, {1, 400, 40, -1}, {1, 284, 56, 3},
    };
    for (const Case& c : cases) {
        if (SendMessageA(Ui.tabControl, TCM_GETCURSEL, 0, 0) != c.tab) ClickTab(c.tab);
        EXPECT_EQ(HitTestButtons(c.x, c.y), c.hit) << "tab " << c.tab << " at " << c.x << "," << c.y;
    }
}

TEST_F(GuiWindowInput, OnlyAPlainLeftPressOnALiveButtonRunsItsCommand) {
    // The rescan clears the selection, which makes a run visible without a modem's help.
    SelectFirstEntry();
    PressMainWindow(285, 56);
    PressMainWindow(284, 56, MK_LBUTTON | MK_SHIFT);
    PressMainWindow(284, 56, MK_LBUTTON | MK_CONTROL);
    PressMainWindow(284, 56, MK_LBUTTON | MK_RBUTTON);
    SendMessageA(Ui.mainWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(270, 40));
    PumpMessages();
    EXPECT_EQ(SendMessageA(Ui.portCombo, CB_GETCURSEL, 0, 0), 0);

    PressMainWindow(284, 56);
    EXPECT_EQ(SendMessageA(Ui.portCombo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(Ui.portCombo, CB_GETCOUNT, 0, 0), 1);

    // On the terminal tab the rescan is live too, the read button is not.
    ClickTab(1);
    SelectFirstEntry();
    SetListCell(RowPosition(InfoRow::Model), 1, "marker");
    PressMainWindow(400, 40);
    EXPECT_EQ(ListCell(RowPosition(InfoRow::Model), 1), "marker");
    PressMainWindow(260, 32);
    EXPECT_EQ(SendMessageA(Ui.portCombo, CB_GETCURSEL, 0, 0), CB_ERR);
    SetListCell(RowPosition(InfoRow::Model), 1, "");
}

TEST_F(GuiWindowInput, TabsSwitchTheirControlsAndTheTerminalTakesTheFocus) {
    SetFocus(Ui.portCombo);
    ClickTab(1);
    EXPECT_EQ(SendMessageA(Ui.tabControl, TCM_GETCURSEL, 0, 0), 1);
    for (HWND shown : {Ui.terminalPane, Ui.commandLabel, Ui.commandEdit, Ui.buttonSurfaces[2],
                       Ui.buttonSurfaces[3], Ui.portCombo, Ui.modemLabel, Ui.creditsPane}) {
        EXPECT_TRUE(IsShown(shown));
    }
    for (HWND hidden : {Ui.infoList, Ui.buttonSurfaces[0], Ui.buttonSurfaces[1]}) {
        EXPECT_FALSE(IsShown(hidden));
    }
    EXPECT_EQ(GetFocus(), Ui.commandEdit);

    SetFocus(Ui.portCombo);
    ClickTab(0);
    EXPECT_TRUE(IsShown(Ui.infoList));
    EXPECT_FALSE(IsShown(Ui.terminalPane));
    EXPECT_FALSE(IsShown(Ui.commandEdit));
    EXPECT_EQ(GetFocus(), Ui.portCombo);
}

TEST_F(GuiWindowInput, HoverBlendsTheHighlightAndLeavingRestoresTheFace) {
    const ImageButton& copy = Ui.buttons[1];
    const int left = copy.x - 3, top = copy.y - 3, width = copy.width + 6, height = copy.height + 6;
    ASSERT_EQ(left, 527);
    ASSERT_EQ(width, 126);
    ASSERT_EQ(height, 30);
    const POINT probes[] = {{0, 0}, {width - 1, height - 1}, {3, 3}, {60, 15}, {100, 10}, {125, 29}};
    COLORREF before[6];
    for (int i = 0; i < 6; ++i) before[i] = SurfacePixel(left + probes[i].x, top + probes[i].y);

    MovePointer(copy.x + copy.width, copy.y + copy.height);
    EXPECT_EQ(Ui.buttons[1].hovered, 1);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
    for (int i = 0; i < 6; ++i) {
        COLORREF expected = Blend70(HighlightPixel(3 + probes[i].x, 3 + probes[i].y), before[i]);
        EXPECT_TRUE(Near(SurfacePixel(left + probes[i].x, top + probes[i].y), expected, 2))
            << "probe " << i;
    }
    // Staying inside draws nothing more.
    COLORREF lit = SurfacePixel(left + 60, top + 15);
    MovePointer(copy.x + 1, copy.y + 1);
    EXPECT_EQ(SurfacePixel(left + 60, top + 15), lit);

    MovePointer(copy.x + copy.width + 1, copy.y);
    EXPECT_EQ(Ui.buttons[1].hovered, 0);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(SurfacePixel(left + probes[i].x, top + probes[i].y),
                  BackBufferPixel(left + probes[i].x, top + probes[i].y))
            << "probe " << i;
    }
}

TEST_F(GuiWindowInput, OneMoveFromRescanIntoReadSwapsTheHighlights) {
    MovePointer(270, 40);
    ASSERT_EQ(Ui.buttons[3].hovered, 1);
    MovePointer(320, 40);
    EXPECT_EQ(Ui.buttons[3].hovered, 0);
    EXPECT_EQ(Ui.buttons[0].hovered, 1);
    EXPECT_EQ(SurfacePixel(262, 34), BackBufferPixel(262, 34));
    EXPECT_NE(SurfacePixel(320, 34), BackBufferPixel(320, 34));
}

TEST_F(GuiWindowInput, ButtonsOfTheOtherTabNeitherLightUpNorShowTheHand) {
    ClickTab(1);
    COLORREF before = SurfacePixel(400, 40);
    MovePointer(400, 40);
    EXPECT_EQ(Ui.buttons[0].hovered, 0);
    EXPECT_EQ(SurfacePixel(400, 40), before);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}

TEST_F(GuiWindowInput, ALitButtonLeavesNoRingOnTheOtherTab) {
    const ImageButton& read = Ui.buttons[0];
    MovePointer(read.x + 5, read.y + 5);
    ASSERT_EQ(Ui.buttons[0].hovered, 1);
    ASSERT_NE(SurfacePixel(read.x - 2, read.y - 2), kBackground);
    ClickTab(1);
    PumpMessages();
    for (POINT ring : {POINT{read.x - 2, read.y - 2}, POINT{read.x + 100, read.y + read.height + 2},
                       POINT{read.x + read.width + 2, read.y + 10}}) {
        EXPECT_EQ(SurfacePixel(ring.x, ring.y), kBackground) << ring.x << "," << ring.y;
    }
}

TEST_F(GuiWindowInput, ShowMoreRowRevealsAndHidesTheExtraRows) {
    RECT extra = ListCellRect(12, 1);
    const int x = extra.left + 200, y = (extra.top + extra.bottom) / 2;
    EXPECT_EQ(ListPixel(x, y), kBackground);

    ClickListCell(kShowMorePosition, 0, 60);
    EXPECT_EQ(Ui.showExtraRows, 1);
    EXPECT_EQ(ListCell(kShowMorePosition, 0), " - Скрыть доп. информацию");
    EXPECT_EQ(ListPixel(x, y), RGB(255, 255, 200));
    EXPECT_EQ(ListPixel(extra.left, y), RGB(160, 160, 160));

    ClickListCell(kShowMorePosition, 1, 60);
    EXPECT_EQ(Ui.showExtraRows, 0);
    EXPECT_EQ(ListCell(kShowMorePosition, 0), " + Показать доп. информацию");
    EXPECT_EQ(ListPixel(x, y), kBackground);
    EXPECT_EQ(ListPixel(extra.left, y), kBackground);
}

TEST_F(GuiWindowInput, CellsHaveTheirColoursFramesAndNoVisibleSelection) {
    RECT value = ListCellRect(3, 1);
    int middle = (value.top + value.bottom) / 2;
    // Far enough right that no value's text reaches it.
    EXPECT_EQ(ListPixel(value.right - 10, middle), RGB(255, 255, 200));
    EXPECT_EQ(ListPixel(value.left, middle), RGB(160, 160, 160));
    EXPECT_EQ(ListPixel(value.right - 1, middle), RGB(160, 160, 160));
    EXPECT_EQ(ListPixel(value.left + 100, value.top), RGB(160, 160, 160));
    EXPECT_EQ(ListPixel(value.left + 100, value.bottom - 2), RGB(160, 160, 160));

    // The show-more row has no check box and no value frame.
    RECT more = ListCellRect(kShowMorePosition, 0);
    int moreMiddle = (more.top + more.bottom) / 2;
    for (int x = more.left; x < 22; ++x) EXPECT_EQ(ListPixel(x, moreMiddle), kBackground) << x;
    EXPECT_EQ(ListPixel(ListCellRect(kShowMorePosition, 1).left, moreMiddle), kBackground);

    // Clicks with the focus in the list leave no row drawn as selected, neither the last
    // one clicked nor an earlier one.
    SetFocus(Ui.infoList);
    ClickListCell(3, 0, 120);
    ClickListCell(5, 0, 120);
    for (int position : {3, 5}) {
        RECT name = ListCellRect(position, 0);
        RECT cell = ListCellRect(position, 1);
        int y = (name.top + name.bottom) / 2;
        EXPECT_EQ(ListPixelAsShown(name.right - 5, y), kBackground) << position;
        EXPECT_EQ(ListPixelAsShown(cell.right - 10, y), RGB(255, 255, 200)) << position;
    }
}
