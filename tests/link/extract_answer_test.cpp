// Cutting values out of raw replies, from the replies real modems send.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "info/captured_rows.h"
#include "link/answer.h"
#include "link/transact.h"

namespace {

void SetReply(const std::string& reply) {
    std::memset(ReplyBuffer, 0, kReplyBufferSize);
    std::memcpy(ReplyBuffer, reply.data(), std::min<size_t>(reply.size(), kReplyCapacity));
}

struct ExtractCase {
    const char* name;
    std::string reply;
    const char* prefix;
    const char* value;
    bool found;
};

class ExtractAnswerTable : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractAnswerTable, CutsTheValue) {
    const ExtractCase& c = GetParam();
    SetReply(c.reply);
    std::memset(AnswerBuffer, 'x', kAnswerBufferSize);   // stale content must not survive
    CapturedRows rows;
    const bool found = ExtractAnswer(c.prefix, 3, true);
    EXPECT_EQ(found, c.found);
    EXPECT_STREQ(AnswerBuffer, c.value);
    // A row is written exactly when the value is not empty.
    EXPECT_EQ(rows.Writes(), c.value[0] ? 1 : 0);
    EXPECT_EQ(rows.Value(3), c.value);
    EXPECT_EQ(AnswerBuffer[kAnswerBufferSize - 2], '\0');
}

const ExtractCase kCases[] = {
    {"PlainModel", "\r\nE173\r\n\r\nOK\r\n", "", "E173", true},
    {"OnlyOk", "\r\nOK\r\n", "", "", true},
    {"ErrorIsAValue", "\r\nERROR\r\n", "", "ERROR", true},
    {"CmeErrorIsAValue", "\r\n+CME ERROR: 10\r\n", "", "+CME ERROR: 10", true},
    {"EchoStillOn", "AT+CGMM\r\r\nE173\r\n\r\nOK\r\n", "", "AT+CGMM", true},
    {"Signal", "\r\n+CSQ: 17,99\r\n\r\nOK\r\n", "+CSQ", "17,99", true},
    {"AtiLine", "\r\nManufacturer: maker\r\nModel: E173\r\nRevision: 1\r\n", "Model", "E173", true},
    {"OperatorKeepsInnerQuotes", "\r\n+COPS: 0,0,\"Nordlink\",2\r\n", "+COPS", "0,0,\"Nordlink\",2", true},
    {"PrefixMissing", "\r\nERROR\r\n", "+CSQ", "", false},
    {"EchoedPrefixMatchesFirst", "AT+COPS?\r\r\n+COPS: 0,0,\"X\",2\r\n\r\nOK\r\n", "+COPS", "", true},
    {"BlankCrLfThenValue", " \r\nE173\r\n", "", "E173", true},
    {"SecondBlankLineEmpties", "\r\n\r\nE173\r\n", "", "", true},
    {"OkLowerIsValue", "\r\nOk\r\n", "", "Ok", true},
    {"Ok1IsValue", "\r\nOK1\r\n", "", "OK1", true},
    {"OkBlankIsValue", "\r\nOK \r\n", "", "OK ", true},
    {"QuotedValue", "\r\n^HWVER: \"CD1E173M\"\r\n", "^HWVER", "CD1E173M", true},
    {"QuotedWithoutBlank", "\r\n^HWVER:\"CD1E173M\"\r\n", "^HWVER", "CD1E173M", true},
    {"OnlyClosingQuote", "\r\n+X: abc\"\r\n", "+X", "abc", true},
    {"InnerQuotesStay", "\r\n+X: \"a\"b\"\r\n", "+X", "a\"b", true},
    {"PrefixThenLineEnd", "\r\n+CPIN\r\nREADY\r\n", "+CPIN", "", true},
    {"PrefixAtVeryEnd", "\r\n+CPIN", "+CPIN", "", true},
    {"PrefixPlusSeparatorAtEnd", "\r\n+CPIN:", "+CPIN", "", true},
    {"EmptyReply", "", "", "", true},
    {"EmptyReplyWithPrefix", "", "+CSQ", "", false},
    {"NulEndsTheText", std::string("\0E173\r\n", 7), "", "", true},
    {"NotAnchoredToLineStart", "\r\nxx+CSQ: 5,0\r\n", "+CSQ", "5,0", true},
    {"CrOnlyLineEnd", "\r\n+CSQ: 9,9\rOK", "+CSQ", "9,9", true},
    {"LoneQuote", "\r\n+X: \"\r\n", "+X", "", true},
    {"TwoQuotes", "\r\n+X: \"\"\r\n", "+X", "", true},
    {"VersionPrefixWithColonInside", "\r\n^VERSION:BDT:Oct 12 2011, 16:30:44\r\n", "^VERSION:BDT",
     "Oct 12 2011, 16:30:44", true},
};

INSTANTIATE_TEST_SUITE_P(Replies, ExtractAnswerTable, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ExtractAnswer, PlaceOffWritesNoRow) {
    SetReply("\r\nE173\r\n");
    CapturedRows rows;
    EXPECT_TRUE(ExtractAnswer("", 1, false));
    EXPECT_STREQ(AnswerBuffer, "E173");
    EXPECT_EQ(rows.Writes(), 0);
}

TEST(ExtractAnswer, NullPrefixIsEmpty) {
    SetReply("\r\nE173\r\n");
    EXPECT_TRUE(ExtractAnswer(nullptr, 0, false));
    EXPECT_STREQ(AnswerBuffer, "E173");
}

TEST(ExtractAnswer, FullBufferWithoutLineEndIsCutToCapacity) {
    // 65535 bytes with the value starting at the first byte: one more than AnswerBuffer takes.
    SetReply(std::string(kReplyCapacity, 'A'));
    EXPECT_TRUE(ExtractAnswer("", 0, false));
    EXPECT_EQ(std::strlen(AnswerBuffer), kAnswerCapacity);
}

TEST(ExtractAnswer, LongFirstLineSurvivesWholeWhenItFits) {
    std::string line(kAnswerCapacity, 'B');
    std::string reply = line + "\r";
    reply.resize(kReplyCapacity, 'C');
    SetReply(reply);
    EXPECT_TRUE(ExtractAnswer("", 0, false));
    EXPECT_EQ(std::string(AnswerBuffer), line);
}

TEST(ExtractAnswer, PrefixNearBufferEnd) {
    std::string reply(kReplyCapacity - 6, '.');
    reply += "+CSQ:";
    reply += "7";
    SetReply(reply);
    EXPECT_TRUE(ExtractAnswer("+CSQ", 0, false));
    EXPECT_STREQ(AnswerBuffer, "7");
}

TEST(ExtractAnswer, KeepsEarlierRowOnEmptyValue) {
    CapturedRows rows;
    SetReply("\r\nFirst\r\n");
    ExtractAnswer("", 0, true);
    SetReply("\r\nOK\r\n");
    ExtractAnswer("", 0, true);
    EXPECT_EQ(rows.Value(0), "First");
}

}  // namespace
