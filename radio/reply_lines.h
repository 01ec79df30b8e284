// Reading the lines of a raw reply the way a modem's reply really arrives: with the echoed
// command, unsolicited lines before or between the reply's own, blank lines, stray NUL bytes.
// A line counts only when its prefix starts it (after blanks), so text inside a quoted
// operator name or another line never matches.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The lines of `reply`, split at CR and LF, empty ones dropped.
std::vector<std::string_view> ReplyLines(std::string_view reply);

// The text after `prefix` ("+CESQ") and its colon on each line that starts with it; a line
// that has the prefix but no colon after it (an echoed "AT+CESQ" is not one: it starts with
// "AT") does not count.
std::vector<std::string_view> PrefixedLines(std::string_view reply, std::string_view prefix);

struct Field {
    std::string_view text;   // trimmed of blanks, quotes removed
    bool quoted = false;
};

// Splits at commas outside double quotes. Always at least one field.
std::vector<Field> SplitFields(std::string_view rest);

// Strict numbers, at most 15 digits and nothing else: a field that is never negative (a code, a
// channel, an id) takes decimal digits only, so "-0" and "+5" are no values there; a signed
// field (a level in dBm) takes an optional sign. A fraction ("-14.5") is no integer.
bool ParseUnsigned(std::string_view text, long long* value);
bool ParseDecimal(std::string_view text, long long* value);
// Hexadecimal digits with an optional "0x" (at most 15 digits).
bool ParseHex(std::string_view text, long long* value);

enum class FinalResult { None, Ok, Error };

// The final result code that ends the reply (OK, ERROR, +CME ERROR: ..., +CMS ERROR: ...,
// NO CARRIER, COMMAND NOT SUPPORT), looked for on whole lines; None while the reply goes on.
FinalResult FinalResultOf(std::string_view reply);
