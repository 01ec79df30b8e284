// Colouring of the information list: every cell gets its colours, value cells a frame, the
// show-more row loses its check box and, while collapsed, the extra rows are painted over.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Colours, frames and hides the rows of the information list; returns the custom-draw reply.
// `handled` is false for drawing stages the list should get default handling for.
LRESULT CustomDrawInfoList(NMLVCUSTOMDRAW* draw, bool* handled);

// Frames a value cell with the common one-pixel grey border.
void FrameCell(HDC context, const RECT& cell);
