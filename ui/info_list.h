// The information list: its columns, its 29 rows and check marks, the row store through
// which the information run's values reach it, and the show-more row's toggle.
#pragma once

#include <windows.h>

#include <cstddef>

// Creates the (still hidden) list with its font, colours, extended styles and two columns.
HWND CreateInfoList(HWND parent, int x, int y, int width, int height);

// Inserts the rows of the information table, checks the basic rows and installs the list as
// the table's row store.
void FillInfoList();

// Reads the text of one cell into `text` (always NUL-terminated).
void ReadListCell(int position, int column, char* text, size_t textSize);

// A click on the show-more row: collapses the extra rows when they are shown, else shows
// them, and relabels the show-more row to match.
void ToggleExtraRows();

// The state-image index of a row (1 unchecked, 2 checked, 0 no check box).
int RowStateImage(int position);
