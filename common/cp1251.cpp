#include "common/cp1251.h"

#include <cstdint>
#include <cstdio>

namespace {

// Unicode code points of bytes 0x80..0xFF; 0x98 has none in Windows-1251.
constexpr uint16_t kHighHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF are the contiguous Cyrillic letters U+0410..U+044F, filled in below.
};

uint32_t CodePointOf(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return 0x0410u + (byte - 0xC0u);
    return kHighHalf[byte - 0x80];
}

void AppendUtf8(uint32_t cp, std::string* out) {
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool ByteForCodePoint(uint32_t cp, unsigned char* byte) {
    if (cp < 0x80) {
        *byte = static_cast<unsigned char>(cp);
        return true;
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        *byte = static_cast<unsigned char>(0xC0 + (cp - 0x0410));
        return true;
    }
    for (int i = 0; i < 64; ++i) {
        if (kHighHalf[i] == cp && cp != 0xFFFD) {
            *byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string Cp1251ToUtf8(const char* text, size_t length) {
    std::string out;
    out.reserve(length + length / 2);
    for (size_t i = 0; i < length; ++i) AppendUtf8(CodePointOf(static_cast<unsigned char>(text[i])), &out);
    return out;
}

std::string Cp1251ToUtf8(const std::string& text) { return Cp1251ToUtf8(text.data(), text.size()); }

size_t Utf8CharToCp1251(const char* text, size_t length, unsigned char* byte) {
    if (length == 0) return 0;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    uint32_t cp = 0;
    size_t need = 0;
    if (s[0] < 0x80) {
        cp = s[0];
        need = 1;
    } else if ((s[0] & 0xE0) == 0xC0) {
        cp = s[0] & 0x1F;
        need = 2;
    } else if ((s[0] & 0xF0) == 0xE0) {
        cp = s[0] & 0x0F;
        need = 3;
    } else {
        return 0;   // four-byte characters are all outside 1251, and stray bytes are invalid
    }
    if (length < need) return 0;
    for (size_t i = 1; i < need; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    // Overlong forms would let one byte be spelled several ways; refuse them.
    if ((need == 2 && cp < 0x80) || (need == 3 && cp < 0x800)) return 0;
    return ByteForCodePoint(cp, byte) ? need : 0;
}

bool Utf8ToCp1251(const std::string& text, std::string* out) {
    out->clear();
    size_t i = 0;
    while (i < text.size()) {
        unsigned char byte = 0;
        const size_t used = Utf8CharToCp1251(text.data() + i, text.size() - i, &byte);
        if (used == 0) return false;
        out->push_back(static_cast<char>(byte));
        i += used;
    }
    return true;
}

namespace {

// The code point of the valid UTF-8 sequence at `s` and its length; 0 when it is none
// (overlong forms, surrogates and code points beyond U+10FFFF included).
size_t DecodeUtf8(const unsigned char* s, size_t length, uint32_t* codePoint) {
    size_t need = 0;
    uint32_t value = 0;
    uint32_t smallest = 0;
    if (s[0] < 0x80) {
        *codePoint = s[0];
        return 1;
    } else if ((s[0] & 0xE0) == 0xC0) {
        need = 2, value = s[0] & 0x1Fu, smallest = 0x80;
    } else if ((s[0] & 0xF0) == 0xE0) {
        need = 3, value = s[0] & 0x0Fu, smallest = 0x800;
    } else if ((s[0] & 0xF8) == 0xF0) {
        need = 4, value = s[0] & 0x07u, smallest = 0x10000;
    } else {
        return 0;
    }
    if (length < need) return 0;
    for (size_t i = 1; i < need; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;
        value = (value << 6) | (s[i] & 0x3Fu);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *codePoint = value;
    return need;
}

void AppendNotation(const char* format, uint32_t value, std::string* out) {
    char notation[16];
    std::snprintf(notation, sizeof notation, format, static_cast<unsigned>(value));
    *out += notation;
}

}  // namespace

std::string Utf8ToCp1251Shown(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        const size_t used = DecodeUtf8(s + i, text.size() - i, &cp);
        unsigned char byte = 0;
        if (used == 0) {
            AppendNotation("\\x%02x", s[i], &out);
            ++i;
            continue;
        }
        if (cp < 0x20 || cp == 0x7F) {
            AppendNotation("\\x%02x", cp, &out);
        } else if (cp >= 0x80 && cp <= 0x9F) {
            AppendNotation("\\u%04x", cp, &out);
        } else if (ByteForCodePoint(cp, &byte)) {
            out.push_back(static_cast<char>(byte));
        } else {
            AppendNotation(cp <= 0xFFFF ? "\\u%04x" : "\\U%08x", cp, &out);
        }
        i += used;
    }
    return out;
}
