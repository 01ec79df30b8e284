// The buy-code button in the lock-status cell: when it shows, how it looks, where a click
// opens the shop.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "info/buy_code_url.h"
#include "info/info_table.h"
#include "tests/gui/window_fixture.h"
#include "ui/buy_code_layout.h"
#include "ui/web_page.h"

namespace {

constexpr int kModelPosition = RowPosition(InfoRow::Model);
constexpr int kVersionsPosition = RowPosition(InfoRow::Versions);

std::vector<std::string> OpenedPages;
void RecordPage(const char* address) { OpenedPages.push_back(address); }

class GuiWindowBuyCode : public ::testing::Test {
protected:
    void SetUp() override {
        savedModel_ = ListCell(kModelPosition, 1);
        savedVersions_ = ListCell(kVersionsPosition, 1);
        OpenedPages.clear();
        ReplaceWebPageOpener(RecordPage);
    }
    void TearDown() override {
        SetListCell(kModelPosition, 1, savedModel_.c_str());
        SetListCell(kVersionsPosition, 1, savedVersions_.c_str());
        ReplaceWebPageOpener(nullptr);
        TestDate = {2026, 12, 7};
    }
    static void ShowModel(const char* model, const char* versions = "") {
        SetListCell(kModelPosition, 1, model);
        SetListCell(kVersionsPosition, 1, versions);
    }
    static int RowMiddle() {
        RECT cell = ListCellRect(kBuyCodeRowPosition, 1);
        return (cell.top + cell.bottom) / 2;
    }
    // A click on the list at client x, with the pointer really there: the click handling
    // reads the pointer's position, not the message's.
    static void ClickCellAt(int x, int column = 1) {
        POINT screen = {x, RowMiddle()};
        ClientToScreen(Ui.infoList, &screen);
        SetCursorPos(screen.x, screen.y);
        RECT cell = ListCellRect(kBuyCodeRowPosition, column);
        ClickListCell(kBuyCodeRowPosition, column, x - cell.left);
    }

private:
    std::string savedModel_, savedVersions_;
};

}  // namespace

TEST_F(GuiWindowBuyCode, AListedModelShowsTheGreenButtonBesideTheStatus) {
    ShowModel("E1550");
    RECT cell = ListCellRect(kBuyCodeRowPosition, 1);
    int y = RowMiddle();
    EXPECT_EQ(ListPixel(cell.left, y), RGB(160, 160, 160));
    EXPECT_EQ(ListPixel(499, y), RGB(160, 160, 160));
    EXPECT_EQ(ListPixel(502, y), RGB(160, 160, 160));
    EXPECT_EQ(ListPixel(505, cell.top + 2), RGB(160, 255, 160));
    EXPECT_EQ(ListPixel(cell.right - 3, cell.bottom - 3), RGB(160, 255, 160));
    // Some of the button's text is drawn in its own dark red.
    int reddish = 0;
    for (int x = 503; x < cell.right - 1; ++x) {
        COLORREF pixel = ListPixel(x, y);
        if (GetRValue(pixel) > 120 && GetGValue(pixel) < 110 && GetBValue(pixel) < 110) ++reddish;
    }
    EXPECT_GT(reddish, 3);
}

TEST_F(GuiWindowBuyCode, AnUnlistedModelOrAnEarlyDateLeavesAPlainCell) {
    struct Case {
        const char* model;
        UtcDate date;
    };
    for (Case c : {Case{"e1550", {2026, 12, 7}}, Case{"X9999", {2026, 12, 7}},
                   Case{"", {2026, 12, 7}}, Case{"E1550", {2014, 7, 31}}}) {
        ShowModel(c.model);
        TestDate = c.date;
        RECT cell = ListCellRect(kBuyCodeRowPosition, 1);
        EXPECT_EQ(ListPixel(505, cell.top + 2), RGB(255, 255, 200)) << c.model;
        EXPECT_EQ(ListPixel(cell.right - 1, RowMiddle()), RGB(160, 160, 160)) << c.model;
        ClickCellAt(600);
        EXPECT_TRUE(OpenedPages.empty()) << c.model;
    }
    // From the first of August 2014 the button is there at the next paint.
    ShowModel("E1550");
    TestDate = {2014, 8, 1};
    EXPECT_EQ(ListPixel(505, ListCellRect(kBuyCodeRowPosition, 1).top + 2), RGB(160, 255, 160));
}

TEST_F(GuiWindowBuyCode, OnlyAClickOnTheButtonPartOpensTheModelsPage) {
    ShowModel("E3372h-153", "21.200.07.00.00 E3372H");
    char expected[kPageAddressSize] = {};
    ASSERT_EQ(BuildBuyCodeUrl("E3372h-153", "21.200.07.00.00 E3372H", expected, sizeof(expected)), 0);

    ClickCellAt(501);
    ClickCellAt(300, 0);
    EXPECT_TRUE(OpenedPages.empty());
    ClickCellAt(502);
    ASSERT_EQ(OpenedPages.size(), 1u);
    EXPECT_EQ(OpenedPages[0], expected);
    EXPECT_EQ(OpenedPages[0], std::string(ShopBaseUrl) + std::to_string(ProductNumber3));
}
