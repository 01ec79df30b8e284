// Conversions between the program's Windows-1251 texts and UTF-8, the same on every platform.
#pragma once

#include <cstddef>
#include <string>

// Every 1251 byte has a Unicode character (0x98, unassigned, maps to U+FFFD).
std::string Cp1251ToUtf8(const char* text, size_t length);
std::string Cp1251ToUtf8(const std::string& text);

// Converts one UTF-8 character starting at `text` (at most `length` bytes). On success stores
// its 1251 byte in `byte`, returns the bytes consumed; returns 0 when the sequence is not valid
// UTF-8 or the character has no 1251 byte.
size_t Utf8CharToCp1251(const char* text, size_t length, unsigned char* byte);

// Whole-string conversion; false (and `out` incomplete) on the first unconvertible character.
bool Utf8ToCp1251(const std::string& text, std::string* out);
