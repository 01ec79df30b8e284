// Shared by the fuzz targets: a failed invariant aborts with a message, so libFuzzer keeps the
// input as a crash artifact, and a row store that checks every value the code under test
// writes into the table.
#pragma once

#include <cstddef>
#include <string>

#include "info/info_table.h"

// Aborts with `what` when `condition` is false.
void FuzzCheck(bool condition, const char* what);

// The longest row text any writer can produce: one AnswerBuffer value.
constexpr size_t kMaxRowText = 65534;

// Installed while it lives. Records which rows were written and with what, after checking that
// each text is a C string of at most kMaxRowText characters and the position is a table row.
class CheckedRows {
public:
    CheckedRows();
    ~CheckedRows();
    CheckedRows(const CheckedRows&) = delete;
    CheckedRows& operator=(const CheckedRows&) = delete;

    void Reset();
    int Writes(int tableIndex) const { return writes_[tableIndex]; }
    int TotalWrites() const;
    const std::string& Value(int tableIndex) const { return values_[tableIndex]; }

private:
    static void Write(int position, const char* text, void* context);
    int writes_[kInfoRowCount] = {};
    std::string values_[kInfoRowCount];
};
