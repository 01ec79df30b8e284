#include "cli/console/visible_text.h"

#include <cstdio>

namespace {

bool KeptAsIs(unsigned char byte) { return byte == '\r' || byte == '\n' || byte == '\t'; }

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at `text[at]` and its code point; 0 when it is not one
// (overlong forms, surrogates and code points beyond U+10FFFF included).
size_t Utf8Sequence(const std::string& text, size_t at, unsigned* codePoint) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    unsigned value = 0;
    unsigned smallest = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte)) return 0;
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *codePoint = value;
    return length;
}

}  // namespace

bool IsControlByte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

size_t FindControlByte(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsControlByte(static_cast<unsigned char>(text[i]))) return i;
    }
    return std::string::npos;
}

std::string ByteNotation(unsigned char byte) {
    char notation[8];
    std::snprintf(notation, sizeof notation, "\\x%02x", byte);
    return notation;
}

namespace {

// Single-byte text with its control bytes written out; `keepLayout` lets the bytes that
// KeptAsIs names through, for text that is shown as lines rather than as one field.
std::string VisibleBytes(const std::string& text, bool keepLayout) {
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControlByte(byte) && !(keepLayout && KeptAsIs(byte))) {
            shown += ByteNotation(byte);
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

std::string Visible1251(const std::string& text) { return VisibleBytes(text, true); }

std::string VisibleField1251(const std::string& text) { return VisibleBytes(text, false); }

std::string VisibleUtf8(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        unsigned codePoint = 0;
        const size_t length = Utf8Sequence(text, at, &codePoint);
        if (length == 0) {
            shown += ByteNotation(static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        if (codePoint < 0x80 && IsControlByte(static_cast<unsigned char>(codePoint)) &&
            !KeptAsIs(static_cast<unsigned char>(codePoint))) {
            shown += ByteNotation(static_cast<unsigned char>(codePoint));
        } else if (codePoint >= 0x80 && codePoint <= 0x9F) {
            char notation[8];
            std::snprintf(notation, sizeof notation, "\\u%04x", codePoint);
            shown += notation;
        } else {
            shown.append(text, at, length);
        }
        at += length;
    }
    return shown;
}
