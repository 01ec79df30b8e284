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

// A text from outside the program (a file name, a device's strings, anything the system
// hands over as UTF-8) as one field of the program's 1251 text, shown rather than obeyed:
// each character 1251 has becomes its byte; a control character (CR, LF, TAB, ESC, NUL, DEL)
// becomes "\x0d" and the like, a C1 control or a character 1251 lacks "\u0085", "\u4e2d"
// ("\U0001f600" beyond U+FFFF), and a byte that is not UTF-8 "\xff", without harming the
// characters around it.
std::string Utf8ToCp1251Shown(const std::string& text);
