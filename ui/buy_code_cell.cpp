#include "ui/buy_code_cell.h"

void DrawBuyCodeCell(HDC context, const RECT& cell) { FrameCell(context, cell); }

void HandleBuyCodeClick(int, int) {}
