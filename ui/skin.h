// The painted face of the window: pictures, back buffer, hover highlight and labels.
#pragma once

#include <windows.h>

namespace Gdiplus {
class Bitmap;
}

// Decodes the PNG held as raw-data resource `resourceNumber` of the program's own module.
// The result owns its pixels; a missing or broken resource gives a picture that draws nothing.
Gdiplus::Bitmap* LoadPngResource(int resourceNumber);

// Fills the back buffer and the four image buttons; called once at start-up.
void ComposeBackBuffer(int W, int H);

// Draws the waiting picture in the middle of the client area, straight onto the window.
void DrawWaitPicture(const RECT& client);

// Paints one owner-drawn item of the main window (tab caption, label, button surface or
// separator); requests from any other control draw nothing.
void DrawOwnerItem(const DRAWITEMSTRUCT* item);

// Updates button `index`'s hover state for a pointer at (x, y) in client coordinates, drawing
// or removing its highlight on the two transitions. Returns whether the point is inside.
bool UpdateButtonHover(int index, int x, int y);

// Whether (x, y) lies on button `index`, all four edges included.
bool PointOnButton(int index, int x, int y);

// Anti-aliased text with GDI+ into a layout rectangle. `alignment` is 'L', 'C' or 'R';
// `style` holds GDI+ font-style bits (bold 1, italic 2).
void DrawSkinText(HDC surface, int x, int y, int width, int height, const wchar_t* text,
                  int size, unsigned int colour, bool vertical, char alignment, int style);
