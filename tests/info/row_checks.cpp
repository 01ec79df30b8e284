#include "tests/info/row_checks.h"

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "info/info_table.h"

const char* const kUntouchedRow = "<untouched>";

void MarkAllRows() {
    for (int index = 0; index < kInfoRowCount; ++index) SetRowValue(index, kUntouchedRow);
}

std::string Shown(const std::string& text) { return "\"" + Cp1251ToUtf8(text) + "\""; }

void ExpectRows(const CapturedRows& rows, const RowTexts& expected, const std::string& others) {
    for (int index = 0; index < kInfoRowCount; ++index) {
        const auto found = expected.find(static_cast<InfoRow>(index));
        const std::string& want = found != expected.end() ? found->second : others;
        if (rows.Value(index) == want) continue;
        ADD_FAILURE() << "row " << index << " " << Shown(InfoTable[index].name) << ": got "
                      << Shown(rows.Value(index)) << ", want " << Shown(want);
    }
}

void RunCases(void (*decode)(const char*), const std::vector<DecodeCase>& cases) {
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(std::string("value: ") + c.value);
        CapturedRows rows;
        MarkAllRows();
        decode(c.value);
        ExpectRows(rows, c.rows, kUntouchedRow);
    }
}
