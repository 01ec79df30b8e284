#include "info/fields.h"

#include <cstring>

#include "info/info_table.h"
#include "link/answer.h"

namespace {

// A field is part of one value, so a value-sized buffer holds any field whole; the copy is
// still bounded for a caller that passes something longer.
char FieldText[kAnswerBufferSize];

}  // namespace

bool FieldReader::Next(FieldView* field) {
    if (next_ == nullptr) return false;
    const char* comma = std::strchr(next_, ',');
    field->text = next_;
    if (comma != nullptr) {
        field->length = static_cast<size_t>(comma - next_);
        next_ = comma + 1;
    } else {
        field->length = std::strlen(next_);
        next_ = nullptr;
    }
    return true;
}

bool FieldEquals(FieldView field, const char* text) {
    return std::strlen(text) == field.length && std::memcmp(field.text, text, field.length) == 0;
}

const char* LookUpCode(FieldView field, const CodeTable& table) {
    for (size_t i = 0; i < table.count; ++i) {
        if (FieldEquals(field, table.entries[i].code)) return table.entries[i].text;
    }
    return nullptr;
}

void WriteDecodedField(InfoRow row, FieldView field, const CodeTable& table) {
    const char* text = LookUpCode(field, table);
    if (text != nullptr) SetRowValue(row, text);
}

void WriteFieldAsIs(InfoRow row, FieldView field) {
    size_t length = field.length;
    if (length > sizeof FieldText - 1) length = sizeof FieldText - 1;
    std::memcpy(FieldText, field.text, length);
    FieldText[length] = '\0';
    SetRowValue(row, FieldText);
}

void DecodeFields(const char* value, const FieldRule* rules, size_t ruleCount) {
    FieldReader reader(value);
    FieldView field{};
    for (size_t i = 0; i < ruleCount; ++i) {
        if (!reader.Next(&field)) return;
        const FieldRule& rule = rules[i];
        switch (rule.handling) {
            case FieldHandling::Decoded:
                WriteDecodedField(rule.row, field, *rule.codes);
                break;
            case FieldHandling::AsIs:
                WriteFieldAsIs(rule.row, field);
                break;
            case FieldHandling::Ignored:
                break;
        }
    }
}
