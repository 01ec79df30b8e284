// The credits line at the bottom of the window and its two links.
#pragma once

#include <windows.h>

// The August 2014 (UTC) gate shared by the credits line and the buy-code button.
bool DateGateOpen(int year, int month);

// Writes the five pieces of the credits line when the clock says the gate is open; leaves the
// pane as it is otherwise.
void WriteCreditsLine();

// The address a link click opens: the first link's when the clicked range starts where the
// first link starts, the second's otherwise.
const char* CreditsLinkAddress(LONG rangeStart);
