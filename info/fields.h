// Comma-separated fields of one answer value and the code tables they are decoded with.
// Fields are read in place: a field is a view into the value, which is never changed.
#pragma once

#include <cstddef>

#include "info/info_table.h"

struct FieldView {
    const char* text;   // not NUL-terminated: the field ends after `length` characters
    size_t length;
};

// Walks the fields of a NUL-terminated value from field 1 on. Field 1 is always present (an
// empty value has one empty field); field k+1 is present only when a comma follows field k, so
// an empty field between two commas is present and empty. A nullptr value has no fields.
class FieldReader {
public:
    explicit FieldReader(const char* value) : next_(value) {}
    // Stores the next field and returns true, or returns false once the fields are exhausted.
    bool Next(FieldView* field);

private:
    const char* next_;   // start of the next field; nullptr when it is absent
};

// One (code, row text) pair. Codes are compared as text: whole, case-sensitive, byte for byte.
struct CodeText {
    const char* code;
    const char* text;
};

struct CodeTable {
    const CodeText* entries;
    size_t count;
};

template <size_t N>
constexpr CodeTable MakeCodeTable(const CodeText (&entries)[N]) {
    return CodeTable{entries, N};
}

bool FieldEquals(FieldView field, const char* text);

// Row text of the code equal to the field, or nullptr when the table has no such code.
const char* LookUpCode(FieldView field, const CodeTable& table);

// Writes the text of the field's code into the row; a field without a code leaves the row as
// it was.
void WriteDecodedField(InfoRow row, FieldView field, const CodeTable& table);

// Writes the field itself into the row, also when it is empty.
void WriteFieldAsIs(InfoRow row, FieldView field);

// How one field of an answer reaches its row.
enum class FieldHandling { Decoded, AsIs, Ignored };

struct FieldRule {
    FieldHandling handling;
    InfoRow row;               // unused for Ignored
    const CodeTable* codes;    // only for Decoded
};

// Applies rule k to field k in field order; the first absent field ends the decoding, so the
// rows of the absent field and of every later one are not written.
void DecodeFields(const char* value, const FieldRule* rules, size_t ruleCount);
