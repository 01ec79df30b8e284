// The credits line at the bottom of the window and its two links.
#pragma once

#include <windows.h>

// Writes the five pieces of the credits line when the clock says the gate is open; leaves the
// pane as it is otherwise.
void WriteCreditsLine();

// The address a link click opens: the first link's when the clicked range starts where the
// first link starts, the second's otherwise.
const char* CreditsLinkAddress(LONG rangeStart);
