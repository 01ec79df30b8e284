// Where the window's buy-code cell lies and which part of it is the button. Window-free, so
// the list's drawing, its click handling and the tests share these numbers.
#pragma once

#include "info/info_table.h"

// Where the buy-code cell lies in the information list (row position, value column) and the
// fixed client x positions that split it: the status text keeps up to kBuyCodeStatusRight,
// the button starts at kBuyCodeButtonLeft.
constexpr int kBuyCodeRowPosition = RowPosition(InfoRow::LockStatus);
constexpr int kBuyCodeColumn = 1;
constexpr int kBuyCodeStatusRight = 500;
constexpr int kBuyCodeButtonLeft = 502;

// True when a click at list client x on (rowPosition, column) lands on the button's part of
// the cell. The caller still needs a page address and an open date gate to open anything.
bool BuyCodeClickOnButton(int rowPosition, int column, int listX);
