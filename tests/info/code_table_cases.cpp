#include "tests/info/code_table_cases.h"

#include <gtest/gtest.h>

#include "info/captured_rows.h"
#include "tests/info/row_checks.h"

void CheckCodeTable(const CodeTableCase& table) {
    SCOPED_TRACE(table.name);
    for (const auto& code : table.codes) {
        const std::string value = table.fieldsBefore + code.first;
        CapturedRows rows;
        MarkAllRows();
        table.decode(value.c_str());
        EXPECT_EQ(rows.Value(table.row), code.second)
            << "value " << value << " gave " << Shown(rows.Value(table.row)) << ", want "
            << Shown(code.second);
    }
    for (const std::string& other : table.nonCodes) {
        const std::string value = table.fieldsBefore + other;
        CapturedRows rows;
        MarkAllRows();
        table.decode(value.c_str());
        EXPECT_EQ(rows.Value(table.row), kUntouchedRow)
            << "value '" << value << "' gave " << Shown(rows.Value(table.row));
    }
}
