// An in-memory row store for tests: installed while the object lives.
#pragma once

#include <string>

#include "info/info_table.h"

class MemoryRows {
public:
    MemoryRows();
    ~MemoryRows();
    MemoryRows(const MemoryRows&) = delete;
    MemoryRows& operator=(const MemoryRows&) = delete;

    // Value of the row with this table index.
    const std::string& Value(int tableIndex) const;
    // Number of SetRowValue calls that reached the store.
    int Writes() const { return writes_; }
    void Reset();

private:
    static void Write(int position, const char* text, void* context);
    std::string values_[kInfoRowCount];
    int writes_ = 0;
};
