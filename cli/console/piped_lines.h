// Lines from a pipe or a file, for the terminal command when nobody types at a terminal.
#pragma once

#include <cstdio>
#include <string>

// A line keeps at most this many bytes; the rest of an over-long line is read and dropped,
// so a line without end cannot take all memory. Any line this long is refused as a command.
constexpr size_t kPipedLineMaxBytes = 4096;

// Reads one line without its line end ("\n" or "\r\n"). A cut line ends on a whole UTF-8
// character. False at the end of the stream when nothing was read; a last line without a
// line end is returned.
bool ReadPipedLine(std::FILE* stream, std::string* line);
