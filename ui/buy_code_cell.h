// The lock-status cell of the information list, which offers the buy-code button for a
// listed model.
#pragma once

#include <windows.h>

// Draws the lock-status cell `cell` (list client coordinates) on `context`.
void DrawBuyCodeCell(HDC context, const RECT& cell);

// A click on the list at row `position`, column `column` (not the show-more row).
void HandleBuyCodeClick(int position, int column);
