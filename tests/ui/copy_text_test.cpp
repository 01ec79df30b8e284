// The clipboard text of the copy command, from rows held in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "info/info_table.h"
#include "link/answer.h"
#include "ui/copy_text.h"

namespace {

constexpr int kChecked = 2;
constexpr int kUnchecked = 1;
constexpr int kNoCheckBox = 0;
constexpr size_t kTextSize = 65536;   // the program builds the copy text in ReplyBuffer's size

// Rows by screen position, as the list view holds them.
struct ListRows {
    int state[kInfoRowCount];
    std::string value[kInfoRowCount];

    ListRows() {
        for (int position = 0; position < kInfoRowCount; ++position) state[position] = kUnchecked;
    }
    // The check marks the list starts with.
    static ListRows AsStarted() {
        ListRows rows;
        for (int position = 0; position < kInfoRowCount; ++position) {
            rows.state[position] = IsInitiallyChecked(position) ? kChecked : kUnchecked;
        }
        return rows;
    }
    void SetByIndex(int tableIndex, int checkState, const std::string& text) {
        state[InfoTable[tableIndex].position] = checkState;
        value[InfoTable[tableIndex].position] = text;
    }

    static int State(int position, void* context) {
        return static_cast<ListRows*>(context)->state[position];
    }
    static void Value(int position, char* text, size_t size, void* context) {
        std::snprintf(text, size, "%s", static_cast<ListRows*>(context)->value[position].c_str());
    }
    CopyRowSource Source() { return {&State, &Value, this}; }
};

std::string Copy(ListRows& rows, size_t textSize = kTextSize) {
    static char text[kTextSize + 16];
    std::memset(text, 'x', sizeof text);
    const size_t length = BuildCopyText(rows.Source(), text, textSize);
    EXPECT_EQ(std::strlen(text), length);
    // Everything after the text up to textSize is zero; nothing beyond it is touched.
    for (size_t i = length; i < textSize; ++i) {
        if (text[i] != '\0') {
            ADD_FAILURE() << "byte " << i << " not cleared";
            break;
        }
    }
    EXPECT_EQ(text[textSize], 'x');
    return std::string(text, length);
}

TEST(CopyText, UntouchedCheckMarksCopyTheEightBasicRowsInTableOrder) {
    ListRows rows = ListRows::AsStarted();
    for (int index = 0; index < kInfoRowCount; ++index) {
        rows.value[InfoTable[index].position] = "v" + std::to_string(index);
    }
    EXPECT_EQ(Copy(rows),
              "Производитель: v0\r\n"
              "Модель: v1\r\n"
              "Версии (прошивки и железа): v4\r\n"
              "IMEI: v5\r\n"
              "Дата/время компиляции: v24\r\n"
              "Версия Dashboard: v25\r\n"
              "Статус блокировки: v26\r\n"
              "Осталось попыток ввода кода: v27\r\n");
}

TEST(CopyText, BeforeAnyRunEachLineIsNameColonAndLineEnd) {
    ListRows rows = ListRows::AsStarted();
    const std::string text = Copy(rows);
    EXPECT_EQ(text.rfind("Производитель: \r\nМодель: \r\n", 0), 0u) << text;
    // The names are 8-bit Windows-1251 (П is 0xCF), which the clipboard conversion expects.
    EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xCF);
}

TEST(CopyText, TableOrderNotScreenOrder) {
    ListRows rows;
    rows.SetByIndex(4, kChecked, "11.126,CH1E173");   // screen position 2
    rows.SetByIndex(2, kChecked, "11.126");           // screen position 9, table index 2
    EXPECT_EQ(Copy(rows), "Версия прошивки: 11.126\r\nВерсии (прошивки и железа): 11.126,CH1E173\r\n");
}

TEST(CopyText, OnlyAClearedCheckBoxSkipsARow) {
    struct Case {
        int state;
        bool copied;
    };
    const Case cases[] = {{kUnchecked, false}, {kChecked, true}, {kNoCheckBox, true}, {3, true}, {15, true}};
    for (const Case& c : cases) {
        ListRows rows;
        rows.SetByIndex(19, c.state, "Polaris");
        EXPECT_EQ(Copy(rows), c.copied ? "Оператор: Polaris\r\n" : "") << "state " << c.state;
    }
}

TEST(CopyText, EveryRowCheckedGivesEveryLineInTableOrder) {
    ListRows rows;
    std::string expected;
    for (int index = 0; index < kInfoRowCount; ++index) {
        rows.SetByIndex(index, kChecked, std::to_string(index));
        expected += std::string(InfoTable[index].name) + ": " + std::to_string(index) + "\r\n";
    }
    EXPECT_EQ(Copy(rows), expected);
}

TEST(CopyText, AllUncheckedGivesTheEmptyText) {
    ListRows rows;
    rows.value[0] = "Testmaker";
    EXPECT_EQ(Copy(rows), "");
}

TEST(CopyText, ShowMoreRowCopiesItsTableNameWhateverItsLabel) {
    ListRows rows;
    rows.state[kShowMorePosition] = kChecked;
    EXPECT_EQ(Copy(rows), " + Показать доп. информацию: \r\n");
}

// A line is name + ": " + value + "\r\n".
size_t LineLength(int tableIndex, size_t valueLength) {
    return std::strlen(InfoTable[tableIndex].name) + 2 + valueLength + 2;
}

TEST(CopyText, WholeLinesUpToTheUnicodeBufferLimit) {
    const size_t limit = kCopyTextMaxCharacters;
    ASSERT_EQ(limit, 32766u);
    const size_t fillsAll = limit - LineLength(0, 0);
    struct Case {
        size_t firstValue;
        bool firstCopied;
    };
    for (const Case& c : {Case{fillsAll, true}, Case{fillsAll + 1, false}}) {
        ListRows rows;
        rows.SetByIndex(0, kChecked, std::string(c.firstValue, 'a'));
        const std::string text = Copy(rows);
        EXPECT_EQ(text.size(), c.firstCopied ? limit : 0u) << c.firstValue;
    }
}

TEST(CopyText, LineCrossingTheLimitEndsTheCopyEvenIfALaterOneFits) {
    ListRows rows;
    const size_t first = 20000;
    rows.SetByIndex(0, kChecked, std::string(first, 'a'));
    const size_t room = kCopyTextMaxCharacters - LineLength(0, first);
    // Reaches the limit exactly: copied, and nothing more fits.
    rows.SetByIndex(1, kChecked, std::string(room - LineLength(1, 0), 'b'));
    rows.SetByIndex(5, kChecked, "");
    std::string text = Copy(rows);
    EXPECT_EQ(text.size(), kCopyTextMaxCharacters);
    EXPECT_EQ(text.substr(text.size() - 3), "b\r\n");

    // One more: the second line is left out, and so is the short third one.
    rows.SetByIndex(1, kChecked, std::string(room - LineLength(1, 0) + 1, 'b'));
    text = Copy(rows);
    EXPECT_EQ(text.size(), LineLength(0, first));
    EXPECT_EQ(text.substr(text.size() - 3), "a\r\n");
}

TEST(CopyText, ValueAsLongAsTheListGivesIsLeftOutWhole) {
    ListRows rows;
    rows.SetByIndex(0, kChecked, "Testmaker");
    rows.SetByIndex(1, kChecked, std::string(kAnswerBufferSize + 100, 'z'));   // cut by the source
    EXPECT_EQ(Copy(rows), "Производитель: Testmaker\r\n");
}

TEST(CopyText, SmallTextBufferTakesWholeLinesOnly) {
    ListRows rows;
    rows.SetByIndex(0, kChecked, "ab");   // "Производитель: ab\r\n" is 19 bytes
    rows.SetByIndex(1, kChecked, "E173");
    EXPECT_EQ(Copy(rows, 20), "Производитель: ab\r\n");
    EXPECT_EQ(Copy(rows, 19), "");
    EXPECT_EQ(Copy(rows, 1), "");

    char untouched = 'x';
    EXPECT_EQ(BuildCopyText(rows.Source(), &untouched, 0), 0u);
    EXPECT_EQ(untouched, 'x');
}

}  // namespace
