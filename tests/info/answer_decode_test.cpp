// Raw replies through the extraction and a decoder, the way the run handles a decoded query.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "info/answer_decode.h"
#include "info/captured_rows.h"
#include "info/config_decoders.h"
#include "info/status_decoders.h"
#include "link/answer.h"
#include "link/transact.h"
#include "tests/info/row_checks.h"

namespace {

void SetReply(const std::string& reply) {
    ASSERT_LT(reply.size(), sizeof ReplyBuffer);
    std::memset(ReplyBuffer, 0, sizeof ReplyBuffer);
    std::memcpy(ReplyBuffer, reply.data(), reply.size());
}

struct ReplyCase {
    const char* prefix;
    void (*decode)(const char*);
    std::string reply;
    bool decoded;
    RowTexts rows;   // rows written; all others must stay untouched
};

void RunCases(const std::vector<ReplyCase>& cases) {
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.prefix + (" reply: " + c.reply));
        CapturedRows rows;
        MarkAllRows();
        SetReply(c.reply);
        EXPECT_EQ(DecodeAnswer(c.prefix, c.decode), c.decoded);
        ExpectRows(rows, c.rows, kUntouchedRow);
    }
}

TEST(DecodeAnswer, TypicalReplies) {
    RunCases({
        {"^SYSINFO", DecodeSystemInfo, "\r\n^SYSINFO:2,3,0,5,1,,4\r\n\r\nOK\r\n", true,
         {{InfoRow::ServiceStatus, "Нормальный сервис"}, {InfoRow::ServiceDomain, "Сервисы PS+CS"},
          {InfoRow::RoamingState, "Не в роуминге"}, {InfoRow::SystemMode, "WCDMA"},
          {InfoRow::SimState, "Нормальное состояние карты USIM"}, {InfoRow::SimLockState, ""},
          {InfoRow::SystemSubmode, "WCDMA"}}},
        {"+CFUN", DecodeFunctionality, "\r\n+CFUN: 1\r\n\r\nOK\r\n", true,
         {{InfoRow::Functionality, "Полная"}}},
        {"+CSQ", DecodeSignal, "\r\n+CSQ: 17,99\r\n\r\nOK\r\n", true,
         {{InfoRow::Signal, "-79 dBm (Хорошо)"}}},
        {"+CSQ", DecodeSignal, "\r\n+CSQ: 99,99\r\n\r\nOK\r\n", true,
         {{InfoRow::Signal, "Неизвестно"}}},
        {"+COPS", DecodeOperator, "\r\n+COPS: 0,0,\"Zentra Mobile\",2\r\n\r\nOK\r\n", true,
         {{InfoRow::SelectionMode, "Автоматический"}, {InfoRow::Operator, "Zentra Mobile"}}},
        // Three fields: the line's closing quote is taken by the extraction, the opening one
        // by the operator rule.
        {"+COPS", DecodeOperator, "\r\n+COPS: 1,0,\"Nordlink\"\r\n\r\nOK\r\n", true,
         {{InfoRow::SelectionMode, "Ручной"}, {InfoRow::Operator, "Nordlink"}}},
        {"+COPS", DecodeOperator, "\r\n+COPS: 0\r\n\r\nOK\r\n", true,
         {{InfoRow::SelectionMode, "Автоматический"}}},
        {"^SYSCFG", DecodeSystemConfig, "\r\n^SYSCFG:2,2,3FFFFFFF,1,2\r\n\r\nOK\r\n", true,
         {{InfoRow::NetworkTechnology, "Автоматический поиск"},
          {InfoRow::SearchOrder, "Сначала 3G, затем 2G"},
          {InfoRow::Band, "Любой диапазон"}, {InfoRow::RoamingSupport, "Поддерживается"}}},
        {"^CARDLOCK", DecodeCardLock, "\r\n^CARDLOCK: 1,3,0\r\n\r\nOK\r\n", true,
         {{InfoRow::LockStatus, "Заблокирован (требуется код)"}, {InfoRow::AttemptsLeft, "3"}}},
    });
}

TEST(DecodeAnswer, OnlyTheFirstLineAfterThePrefixCounts) {
    RunCases({
        {"^CARDLOCK", DecodeCardLock, "\r\n^CARDLOCK: 2\r\n10,0\r\n\r\nOK\r\n", true,
         {{InfoRow::LockStatus, "Разблокирован (код не требуется)"}}},
        {"+CSQ", DecodeSignal, "\r\n+CSQ: 18\r,99\r\n", true,
         {{InfoRow::Signal, "-77 dBm (Хорошо)"}}},
        // The extraction takes a leading quote; the field reader sees 18" and reads 18.
        {"+CSQ", DecodeSignal, "\r\n+CSQ: \"18\",99\r\n", true,
         {{InfoRow::Signal, "-77 dBm (Хорошо)"}}},
    });
}

TEST(DecodeAnswer, ErrorRepliesDecodeNothing) {
    RunCases({
        {"^SYSINFO", DecodeSystemInfo, "\r\nERROR\r\n", false, {}},
        {"+CSQ", DecodeSignal, "\r\n+CME ERROR: 10\r\n", false, {}},
        {"^CARDLOCK", DecodeCardLock, "\r\nCOMMAND NOT SUPPORT\r\n", false, {}},
        {"+COPS", DecodeOperator, "", false, {}},
    });
}

// No value is no answer: in particular the signal row does not claim -113 dBm.
TEST(DecodeAnswer, EmptyValuesDecodeNothing) {
    RunCases({
        // Echo left on: the prefix is found in the echoed command line.
        {"+CSQ", DecodeSignal, "AT+CSQ\r\r\n+CSQ: 18,99\r\n\r\nOK\r\n", false, {}},
        {"^SYSINFO", DecodeSystemInfo, "AT^SYSINFO\r\r\n^SYSINFO:2,3,0,5,1,,4\r\n", false, {}},
        {"+CSQ", DecodeSignal, "\r\n+CSQ: \r\n\r\nOK\r\n", false, {}},
        {"+CSQ", DecodeSignal, "\r\n+CSQ\r\n", false, {}},
        {"+CSQ", DecodeSignal, "\r\n+CSQ: OK\r\n", false, {}},
        {"^CARDLOCK", DecodeCardLock, "\r\n^CARDLOCK: \"\"\r\n", false, {}},
    });
}

// Replies that fill ReplyBuffer: the value is read to its end and no further.
TEST(DecodeAnswer, LongestReplies) {
    CapturedRows rows;
    const std::string head = "+CSQ: ";
    SetReply(head + std::string(kReplyCapacity - head.size(), '7'));
    EXPECT_TRUE(DecodeAnswer("+CSQ", DecodeSignal));
    EXPECT_EQ(rows.Value(InfoRow::Signal), "Неизвестно");

    const std::string front = "^SYSINFO:2,3,0,5,1,";
    const std::string back = ",4";
    const std::string lock(kReplyCapacity - front.size() - back.size(), 'L');
    SetReply(front + lock + back);
    EXPECT_TRUE(DecodeAnswer("^SYSINFO", DecodeSystemInfo));
    EXPECT_EQ(rows.Value(InfoRow::SimLockState), lock);
    EXPECT_EQ(rows.Value(InfoRow::SystemSubmode), "WCDMA");
}

}  // namespace
