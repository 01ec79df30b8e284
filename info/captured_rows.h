// A row store that keeps the information table's values in memory, in table order: what the
// command-line tool prints and what the tests look at. Installed while the object lives.
#pragma once

#include <string>

#include "info/info_table.h"

class CapturedRows {
public:
    CapturedRows();
    ~CapturedRows();
    CapturedRows(const CapturedRows&) = delete;
    CapturedRows& operator=(const CapturedRows&) = delete;

    // Value of the row with this table index; the empty text outside the table.
    const std::string& Value(int tableIndex) const;
    const std::string& Value(InfoRow row) const { return Value(RowIndex(row)); }
    // Number of SetRowValue calls that reached the store.
    int Writes() const { return writes_; }
    void Reset();

private:
    static void Write(int position, const char* text, void* context);
    std::string values_[kInfoRowCount];
    int writes_ = 0;
};

// The page the window's buy-code cell would open for these rows (today in UTC); empty when the
// window would show a plain cell.
std::string BuyCodePage(const CapturedRows& rows);
