#include "fuzz/fuzz_checks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void FuzzCheck(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz invariant violated: %s\n", what);
    std::abort();
}

CheckedRows::CheckedRows() { InstallRowStore(&CheckedRows::Write, this); }

CheckedRows::~CheckedRows() { InstallRowStore(nullptr, nullptr); }

void CheckedRows::Reset() {
    for (int i = 0; i < kInfoRowCount; ++i) {
        writes_[i] = 0;
        values_[i].clear();
    }
}

int CheckedRows::TotalWrites() const {
    int total = 0;
    for (int count : writes_) total += count;
    return total;
}

void CheckedRows::Write(int position, const char* text, void* context) {
    auto* rows = static_cast<CheckedRows*>(context);
    const int tableIndex = TableIndexAtPosition(position);
    FuzzCheck(tableIndex >= 0, "a value was written to a position that is no table row");
    FuzzCheck(text != nullptr, "a row value is a null pointer");
    // strnlen reads no further than the bound: an unterminated text shows as a full-length
    // one here, or as an overflow under AddressSanitizer.
    FuzzCheck(strnlen(text, kMaxRowText + 1) <= kMaxRowText, "a row value is longer than a value can be");
    ++rows->writes_[tableIndex];
    rows->values_[tableIndex] = text;
}
