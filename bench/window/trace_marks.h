// Timestamped marks on standard output for the start-up benchmark: each line is
// "MILLISECONDS PHASE", counted from the moment given in VESMARIN_TRACE_ORIGIN_US
// (microseconds since 1970 by the system clock, set by the launcher just before it starts the
// program), or from the first mark without it. Lines are written at once, unbuffered: the
// benchmark kills the program as soon as its face is painted.
#pragma once

// Reads the origin; call once, first thing in WinMain.
void StartTraceMarks();

// Writes one mark: the phase that has just ended.
void WriteTraceMark(const char* phase);
