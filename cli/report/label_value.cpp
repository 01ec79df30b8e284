#include "cli/report/label_value.h"

#include "cli/report/visible_text.h"

std::string LabelValue(const std::string& utf8) {
    std::string visible;
    for (char c : VisibleUtf8(utf8)) {
        // VisibleUtf8 keeps CR, LF and TAB for text on a terminal; a label keeps none.
        if (c == '\r' || c == '\n' || c == '\t') {
            visible += ByteNotation(static_cast<unsigned char>(c));
        } else {
            visible += c;
        }
    }
    if (visible.size() > kLabelValueBytes) {
        size_t cut = kLabelValueBytes;
        // Back to the start of the character that straddles the limit.
        while (cut > 0 && (static_cast<unsigned char>(visible[cut]) & 0xC0) == 0x80) --cut;
        visible.resize(cut);
    }
    std::string escaped;
    for (char c : visible) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}
