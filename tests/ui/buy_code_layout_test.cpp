// Which part of the lock-status value cell is the buy-code button.
#include <gtest/gtest.h>

#include "ui/buy_code_layout.h"

namespace {

TEST(BuyCodeClick, OnlyTheButtonPartOfTheLockStatusValueCell) {
    struct Case {
        int position;
        int column;
        int x;
        bool onButton;
    };
    const Case cases[] = {
        {6, 1, 502, true},  {6, 1, 501, false}, {6, 1, 500, false}, {6, 1, 639, true},
        {6, 0, 502, false}, {6, 0, 100, false}, {5, 1, 600, false}, {7, 1, 600, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuyCodeClickOnButton(c.position, c.column, c.x), c.onButton)
            << c.position << "," << c.column << " x " << c.x;
    }
}

}  // namespace
