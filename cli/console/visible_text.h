// Keeping modem replies and odd arguments from driving the user's terminal: control
// characters are shown as text instead of being obeyed.
#pragma once

#include <cstddef>
#include <string>

// Bytes 0x00-0x1f and 0x7f: the ones a terminal may act on instead of printing.
bool IsControlByte(unsigned char byte);

// Index of the first control byte in `text`, CR, LF and TAB included; npos when there is none.
size_t FindControlByte(const std::string& text);

// "\x1b": how a control byte is shown.
std::string ByteNotation(unsigned char byte);

// A Windows-1251 text with every control byte except CR, LF and TAB written as "\xNN". The
// bytes 0x80-0xff are letters and signs in 1251 and stay.
std::string Visible1251(const std::string& text);

// The same for a UTF-8 text such as a command-line argument: bytes that are not valid UTF-8
// are written as "\xNN" too, and the C1 controls U+0080-U+009F (which some terminals obey)
// as "\u0080"-"\u009f".
std::string VisibleUtf8(const std::string& text);

// One field of a line (a port as the user gave it, a device path, a model text), 1251: every
// control byte, CR, LF and TAB included, written as "\xNN", so the field can neither break
// the line it stands in nor move the cursor. Text from the system in UTF-8 takes
// Utf8ToCp1251Shown (common/cp1251.h), which follows the same rule.
std::string VisibleField1251(const std::string& text);
