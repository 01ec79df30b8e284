// The few facts of the user's terminal that a screen redrawn in place needs; one file per
// system.
#pragma once

#include <cstddef>

// The width of the terminal on stdout in columns; 0 when unknown (not a terminal).
int TerminalColumns();

// Writes to stdout's descriptor at once, past stdio's buffer: safe inside a signal handler.
void WriteToTerminalNow(const char* bytes, size_t length);
