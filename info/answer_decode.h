// Handing one answer of the last reply to a decoder.
#pragma once

// Looks `prefix` up in the last reply (ExtractAnswer, not placed) and hands the value to
// `decode`. A missing prefix or an empty value is no answer: nothing is decoded and false is
// returned.
bool DecodeAnswer(const char* prefix, void (*decode)(const char* value));
