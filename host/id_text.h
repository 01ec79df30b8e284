// USB ids as sysfs, udev rules and Windows spell them: hex digits in either case, compared
// lowercased, in ASCII whatever the locale.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

inline std::string AsciiLower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

inline std::string AsciiUpper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

inline bool IsHexDigits(const std::string& text, size_t digits) {
    return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}
