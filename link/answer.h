// Cutting one value out of the raw reply of the last transaction.
#pragma once

#include <cstdint>

constexpr uint32_t kAnswerBufferSize = 65536;
constexpr uint32_t kAnswerCapacity = kAnswerBufferSize - 2;   // characters of one value

// The value last cut out of ReplyBuffer, NUL-terminated, without line end. Also used as
// scratch space by its callers between extractions.
extern char AnswerBuffer[kAnswerBufferSize];

// Where a placed value goes: the row store of the information table, which sits above the
// link and installs itself here, so the link never needs to know what a row is.
using AnswerPlacer = void (*)(int tableIndex, const char* value);
void SetAnswerPlacer(AnswerPlacer placer);

// Takes the rest of the line after the first occurrence of `prefix` and one separator
// character (or, for an empty prefix, the first line of the reply) into AnswerBuffer.
// Returns false only when a non-empty prefix does not occur. A value that is empty or exactly
// "OK" is emptied; any other value is also handed to the installed placer for row
// `tableIndex` when `place` is set (with no placer installed, nothing is placed).
bool ExtractAnswer(const char* prefix, int tableIndex, bool place);
