// Formatted text appended to a rich-edit pane (the credits line and the terminal transcript).
#pragma once

#include <windows.h>

// Heights are given in twips at 96 pixels per inch and scaled to the pane's resolution.
int RichTextHeightTwips(int size, int dpiX);

// Sets the shared character format's face; called once at start-up.
void PrepareRichTextFormat();

// Appends `text` at the pane's current selection with the given height, effects (CFE_BOLD,
// CFE_LINK) and GDI colour; the caret ends after it, so successive calls append in order.
void AppendRichText(HWND pane, const char* text, int size, DWORD effects, COLORREF colour);
