#include "ui/buy_code_layout.h"

bool BuyCodeClickOnButton(int rowPosition, int column, int listX) {
    return rowPosition == kBuyCodeRowPosition && column == kBuyCodeColumn &&
           listX >= kBuyCodeButtonLeft;
}
