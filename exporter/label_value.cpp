#include "exporter/label_value.h"

#include "cli/console/visible_text.h"

namespace {

// Bytes in the UTF-8 sequence that starts at `at`; 1 for a byte that starts none (VisibleUtf8
// then shows it as "\xNN").
size_t SequenceLength(const std::string& text, size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    if (at + length > text.size()) return 1;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

// How one character is shown: VisibleUtf8's notation, which keeps CR, LF and TAB for text on
// a terminal; a label keeps none.
std::string Shown(const std::string& character) {
    if (character == "\r" || character == "\n" || character == "\t") {
        return ByteNotation(static_cast<unsigned char>(character[0]));
    }
    return VisibleUtf8(character);
}

}  // namespace

std::string LabelValue(const std::string& utf8) {
    // Cut whole characters and whole notations only: a label never ends in half a "\x1b".
    std::string visible;
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = SequenceLength(utf8, at);
        const std::string piece = Shown(utf8.substr(at, length));
        if (visible.size() + piece.size() > kLabelValueBytes) break;
        visible += piece;
        at += length;
    }
    std::string escaped;
    for (char c : visible) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}
