// The tool's row store: the information table's values, kept in memory in table order.
#pragma once

#include <string>

#include "info/info_table.h"

class CapturedRows {
public:
    CapturedRows();
    ~CapturedRows();
    CapturedRows(const CapturedRows&) = delete;
    CapturedRows& operator=(const CapturedRows&) = delete;
    const std::string& Value(int tableIndex) const { return values_[tableIndex]; }

private:
    static void Write(int position, const char* text, void* context);
    std::string values_[kInfoRowCount];
};
