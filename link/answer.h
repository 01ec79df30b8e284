// Cutting one value out of the raw reply of the last transaction.
#pragma once

#include <cstdint>

constexpr uint32_t kAnswerBufferSize = 65536;
constexpr uint32_t kAnswerCapacity = kAnswerBufferSize - 2;   // characters of one value

// The value last cut out of ReplyBuffer, NUL-terminated, without line end. Also used as
// scratch space by its callers between extractions.
extern char AnswerBuffer[kAnswerBufferSize];

// Takes the rest of the line after the first occurrence of `prefix` and one separator
// character (or, for an empty prefix, the first line of the reply) into AnswerBuffer.
// Returns false only when a non-empty prefix does not occur. A value that is empty or exactly
// "OK" is emptied; any other value is also written to row `tableIndex` when `place` is set.
bool ExtractAnswer(const char* prefix, int tableIndex, bool place);
