#include "info/fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "info/captured_rows.h"
#include "link/answer.h"
#include "tests/info/row_checks.h"

namespace {

// All fields of a value, as strings; each view must lie inside the value itself, since fields
// are read in place.
std::vector<std::string> AllFields(const char* value) {
    std::vector<std::string> fields;
    FieldReader reader(value);
    FieldView field{};
    const char* end = value ? value + std::char_traits<char>::length(value) : nullptr;
    while (reader.Next(&field)) {
        EXPECT_GE(field.text, value);
        EXPECT_LE(field.text + field.length, end);
        fields.emplace_back(field.text, field.length);
    }
    EXPECT_FALSE(reader.Next(&field)) << "a reader must stay exhausted";
    return fields;
}

using Fields = std::vector<std::string>;

TEST(FieldReader, SplitsAtEveryCommaAndKeepsEmptyFields) {
    const struct {
        const char* value;
        Fields fields;
    } cases[] = {
        {"", {""}},
        {"2", {"2"}},
        {"2,3", {"2", "3"}},
        {"2,3,0,5,1,,4", {"2", "3", "0", "5", "1", "", "4"}},
        {"2,", {"2", ""}},
        {",", {"", ""}},
        {",,", {"", "", ""}},
        {",2", {"", "2"}},
        {" 2 , 3 ", {" 2 ", " 3 "}},
        // Quotes do not protect a comma.
        {"0,0,\"Z&W, Inc\",2", {"0", "0", "\"Z&W", " Inc\"", "2"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AllFields(c.value), c.fields) << c.value;
    }
}

TEST(FieldReader, NullValueHasNoFields) { EXPECT_EQ(AllFields(nullptr), Fields{}); }

FieldView View(const char* text) { return FieldView{text, std::char_traits<char>::length(text)}; }

TEST(FieldMatching, ComparesWholeFieldsCaseSensitively) {
    EXPECT_TRUE(FieldEquals(View("255"), "255"));
    EXPECT_FALSE(FieldEquals(View("25"), "255"));
    EXPECT_FALSE(FieldEquals(View("2555"), "255"));
    EXPECT_FALSE(FieldEquals(View("3fffffff"), "3FFFFFFF"));
    EXPECT_TRUE(FieldEquals(View(""), ""));
    // Only the view's length counts, not what follows it in memory.
    EXPECT_TRUE(FieldEquals(FieldView{"255,1", 3}, "255"));
    EXPECT_FALSE(FieldEquals(FieldView{"255,1", 2}, "255"));
}

constexpr CodeText kSampleCodes[] = {{"0", "zero"}, {"1", "one"}, {"255", "absent"}};
constexpr CodeTable kSampleTable = MakeCodeTable(kSampleCodes);

TEST(FieldMatching, LooksUpTheOneEqualCode) {
    EXPECT_STREQ(LookUpCode(View("0"), kSampleTable), "zero");
    EXPECT_STREQ(LookUpCode(View("255"), kSampleTable), "absent");
    for (const char* other : {"", "00", "01", " 1", "1 ", "+1", "2", "25", "2550"}) {
        EXPECT_EQ(LookUpCode(View(other), kSampleTable), nullptr) << "'" << other << "'";
    }
}

TEST(FieldRows, DecodedFieldWithoutCodeLeavesItsRow) {
    CapturedRows rows;
    MarkAllRows();
    WriteDecodedField(InfoRow::ServiceStatus, View("7"), kSampleTable);
    WriteDecodedField(InfoRow::ServiceDomain, View("1"), kSampleTable);
    ExpectRows(rows, {{InfoRow::ServiceDomain, "one"}}, kUntouchedRow);
}

TEST(FieldRows, AsIsFieldIsWrittenEvenWhenEmpty) {
    CapturedRows rows;
    MarkAllRows();
    WriteFieldAsIs(InfoRow::SimLockState, FieldView{"abc,def", 0});
    WriteFieldAsIs(InfoRow::AttemptsLeft, FieldView{"10,0", 2});
    ExpectRows(rows, {{InfoRow::SimLockState, ""}, {InfoRow::AttemptsLeft, "10"}}, kUntouchedRow);
}

TEST(FieldRows, LongestPossibleFieldIsWrittenWhole) {
    CapturedRows rows;
    const std::string longest(kAnswerCapacity, 'x');
    WriteFieldAsIs(InfoRow::SimLockState, View(longest.c_str()));
    EXPECT_EQ(rows.Value(InfoRow::SimLockState), longest);
}

const FieldRule kSampleRules[] = {
    {FieldHandling::Decoded, InfoRow::NetworkTechnology, &kSampleTable},
    {FieldHandling::Ignored, InfoRow::Manufacturer, nullptr},
    {FieldHandling::AsIs, InfoRow::SearchOrder, nullptr},
};

TEST(FieldRows, DecodingStopsAtTheFirstAbsentField) {
    const struct {
        const char* value;
        RowTexts rows;
    } cases[] = {
        {"1", {{InfoRow::NetworkTechnology, "one"}}},
        {"1,x", {{InfoRow::NetworkTechnology, "one"}}},
        {"1,x,", {{InfoRow::NetworkTechnology, "one"}, {InfoRow::SearchOrder, ""}}},
        {"1,x,y,z", {{InfoRow::NetworkTechnology, "one"}, {InfoRow::SearchOrder, "y"}}},
        {"9,,y", {{InfoRow::SearchOrder, "y"}}},
        {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        CapturedRows rows;
        MarkAllRows();
        DecodeFields(c.value, kSampleRules, 3);
        ExpectRows(rows, c.rows, kUntouchedRow);
    }
}

}  // namespace
