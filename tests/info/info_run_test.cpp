// Whole information runs against simulated modems. Suites are named after their layout
// (tests/layouts/RunFullStick.txt, RunOddModems.txt): only the suites of the running layout
// are selected.
#include "info/info_run.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "info/info_table.h"
#include "link/serial_port.h"
#include "tests/info/row_checks.h"
#include "tests/support/memory_rows.h"
#include "tests/support/test_paths.h"

namespace {

// Runs the entry with every row marked first, so a row the run failed to clear shows up.
// `writes` receives the number of row writes the run made.
int RunEntry(const MemoryRows& rows, const char* entry, int* writes = nullptr) {
    MarkAllRows();
    const int before = rows.Writes();
    const int result = ReadModemInfo(entry);
    if (writes != nullptr) *writes = rows.Writes() - before;
    return result;
}

// ---------------------------------------------------------------- layout RunFullStick

const RowTexts kFullStickRows = {
    {0, "Zentrawave Technologies Co., Ltd."},
    {1, "E173u-2"},
    {2, "11.126.85.00.209.B427"},
    {3, "CD1E173M"},
    {4, "E173 11.126.85.00.209,CD1E173M"},
    {5, "351111111111119"},
    {6, "250011234567890"},
    {7, "+CGSM,+DS,+ES"},
    {8, "Нормальный сервис"},
    {9, "Сервисы PS+CS"},
    {10, "Не в роуминге"},
    {11, "WCDMA"},
    {12, "WCDMA"},
    {13, "Нормальное состояние карты USIM"},
    {14, ""},
    {15, "READY"},
    {16, "Полная"},
    {17, "-77 dBm (Хорошо)"},
    {18, "Автоматический"},
    {19, "Zentra Mobile"},
    {20, "Автоматический поиск"},
    {21, "Сначала 3G, затем 2G"},
    {22, "Любой диапазон"},
    {23, "Поддерживается"},
    {24, "Oct 19 2011, 17:25:51"},
    {25, "UTPS11.300.05.21.209_MAC11.301.06.02.209"},
    {26, "Разблокирован (код не требуется)"},
    {27, "10"},
};

// Carets rejected, AT+CGMI answered with an error line, AT+CGMM with only OK.
const RowTexts kPlainModemRows = {
    {0, "ERROR"},
    {1, "MF180"},
    {2, "BD_MF180V1.0.0B04"},
    {5, "861111111111112"},
    {6, "250991234567890"},
    {7, "+CGSM,+FCLASS,+DS"},
    {15, "READY"},
    {16, "Полная"},
    {17, "Неизвестно"},
    {18, "Автоматический"},
    {19, "25099"},
};

TEST(RunFullStickTable, FullStickFillsEveryRow) {
    MemoryRows rows;
    EXPECT_EQ(RunEntry(rows, "E173 (COM5)"), 0);
    ExpectRows(rows, kFullStickRows, "");
    // The run closed the port: it can be opened again at once.
    PortHandle port = OpenPort(ComPath(5).c_str());
    EXPECT_NE(port, nullptr) << "the run left COM5 open";
    ClosePort(port);
}

TEST(RunFullStickTable, PlainModemKeepsWhatOnlyAtiAnswered) {
    MemoryRows rows;
    EXPECT_EQ(RunEntry(rows, "MF180 (COM12)"), 0);
    ExpectRows(rows, kPlainModemRows, "");
}

TEST(RunFullStickTable, SecondRunOnAnotherModemEmptiesEveryRowFirst) {
    MemoryRows rows;
    ASSERT_EQ(RunEntry(rows, "E173 (COM5)"), 0);
    ExpectRows(rows, kFullStickRows, "");
    EXPECT_EQ(ReadModemInfo("MF180 (COM12)"), 0);
    ExpectRows(rows, kPlainModemRows, "");
}

struct ProgressLog {
    std::vector<std::pair<int, std::string>> steps;
    int writesAtFirstStep = -1;
    const MemoryRows* rows = nullptr;
    static void Report(int step, const char* command, void* context) {
        auto* self = static_cast<ProgressLog*>(context);
        if (self->steps.empty()) self->writesAtFirstStep = self->rows->Writes();
        self->steps.emplace_back(step, command);
    }
};

TEST(RunFullStickProgress, ReportsEveryStepBeforeItRuns) {
    MemoryRows rows;
    ProgressLog log;
    log.rows = &rows;
    MarkAllRows();
    const int before = rows.Writes();
    SetInfoRunProgress(&ProgressLog::Report, &log);
    const int result = ReadModemInfo("E173 (COM5)");
    SetInfoRunProgress(nullptr, nullptr);
    EXPECT_EQ(result, 0);
    const std::vector<std::pair<int, std::string>> want = {
        {1, "ATE0"},         {2, "ATI"},          {3, "AT^FHVER"},     {4, "AT+CGMI"},
        {5, "AT+CGMM"},      {6, "AT+CGMR"},      {7, "AT+CIMI"},      {8, "AT+CGSN"},
        {9, "AT^HWVER"},     {10, "AT^SYSINFO"},  {11, "AT+CPIN?"},    {12, "AT+CFUN?"},
        {13, "AT+CSQ"},      {14, "AT+COPS?"},    {15, "AT^SYSCFG?"},  {16, "AT^VERSION?"},
        {17, "AT^CARDLOCK?"}};
    EXPECT_EQ(log.steps, want);
    // Only the clearing of the 29 rows comes before the first step.
    EXPECT_EQ(log.writesAtFirstStep - before, kInfoRowCount);
    ExpectRows(rows, kFullStickRows, "");
}

// COM9 is the full stick pulled out when it receives AT+CSQ, query 13.
TEST(RunFullStickUnplugged, KeepsTheRowsReadBeforeAndSaysWhere) {
#ifdef _WIN32
    GTEST_SKIP() << "the simulator cannot unplug a port the Wine server holds";
#else
    MemoryRows rows;
    EXPECT_EQ(RunEntry(rows, "E173 (COM9)"), 0);
    RowTexts before;
    for (const auto& [index, text] : kFullStickRows) {
        if (index < 17) before[index] = text;   // rows of queries 1 to 12
    }
    ExpectRows(rows, before, "");
    int step = 0;
    const char* command = nullptr;
    ASSERT_TRUE(InfoRunLostThePort(&step, &command));
    EXPECT_EQ(step, 13);
    EXPECT_STREQ(command, "AT+CSQ");

    // A run that keeps its port says nothing was lost.
    EXPECT_EQ(RunEntry(rows, "E173 (COM5)"), 0);
    EXPECT_FALSE(InfoRunLostThePort(&step, &command));
#endif
}

TEST(RunFullStickEntry, EmptyEntryClearsTheTableAndFails) {
    MemoryRows rows;
    int writes = 0;
    EXPECT_EQ(RunEntry(rows, "", &writes), 1);
    ExpectRows(rows, {}, "");
    EXPECT_EQ(writes, kInfoRowCount);
}

TEST(RunFullStickEntry, NullEntryCountsAsEmpty) {
    MemoryRows rows;
    int writes = 0;
    EXPECT_EQ(RunEntry(rows, nullptr, &writes), 1);
    ExpectRows(rows, {}, "");
    EXPECT_EQ(writes, kInfoRowCount);
}

TEST(RunFullStickEntry, MissingPortClearsTheTableAndFails) {
    MemoryRows rows;
    EXPECT_EQ(RunEntry(rows, "E173 (COM7)"), 1);
    ExpectRows(rows, {}, "");
    EXPECT_EQ(RunEntry(rows, "no port named here"), 1);
    ExpectRows(rows, {}, "");
}

TEST(RunFullStickEntry, BusyPortClearsTheTableAndFails) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine does not enforce exclusive opens";
#else
    MemoryRows rows;
    PortHandle held = OpenPort(ComPath(5).c_str());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(RunEntry(rows, "E173 (COM5)"), 1);
    ClosePort(held);
    ExpectRows(rows, {}, "");
#endif
}

TEST(RunFullStickPath, RunsOnADevicePathDirectly) {
    MemoryRows rows;
    MarkAllRows();
    EXPECT_EQ(ReadModemInfoAtPath(ComPath(12).c_str()), 0);
    ExpectRows(rows, kPlainModemRows, "");
}

TEST(RunFullStickPath, NoPathClearsTheTableAndFails) {
    MemoryRows rows;
    for (const char* path : {static_cast<const char*>(nullptr), "", "\\\\.\\COM7"}) {
        MarkAllRows();
        EXPECT_EQ(ReadModemInfoAtPath(path), 1);
        ExpectRows(rows, {}, "");
    }
}

// ---------------------------------------------------------------- layout RunOddModems

// ^SYSINFO in its five-field form, +CPIN, AT+CIMI and ^CARDLOCK rejected, +COPS with only
// the selection mode, ^VERSION without the dashboard line.
TEST(RunOddModemsNoSim, SimRowsStayEmpty) {
    MemoryRows rows;
    EXPECT_EQ(RunEntry(rows, "E1550 (COM3)"), 0);
    ExpectRows(rows,
               {{0, "zentrawave"},
                {1, "E1550"},
                {2, "11.608.12.02.143"},
                {3, "CD25TCPU"},
                {4, "E1550 11.608.12.02.143,CD25TCPU"},
                {5, "353333333333333"},
                {6, "+CME ERROR: 10"},
                {7, "+CGSM,+DS,+ES"},
                {8, "Нет сервиса"},
                {9, "Нет сервиса"},
                {10, "Не в роуминге"},
                {11, "Нет сервиса"},
                {13, "USIM карта отсутствует"},
                {16, "Полная"},
                {17, "-103 dBm (Плохо)"},
                {18, "Автоматический"},
                {20, "Автоматический поиск"},
                {21, "Автоматический поиск"},
                {22, "Любой диапазон"},
                {23, "Поддерживается"},
                {24, "Jun 10 2010, 11:02:44"}},
               "");
}

TEST(RunOddModemsLocked, ShowsTheLockAndTheAttemptsLeft) {
    MemoryRows rows;
    EXPECT_EQ(RunEntry(rows, "E171 (COM4)"), 0);
    ExpectRows(rows,
               {{0, "zentrawave"},
                {1, "E171"},
                {2, "21.156.00.00.143"},
                {3, "CH1E171M"},
                {4, "E171 21.156.00.00.143,CH1E171M"},
                {5, "355555555555555"},
                {6, "250025555555555"},
                {7, "+CGSM,+DS,+ES"},
                {8, "Ограниченный сервис"},
                {9, "Только сервис CS"},
                {10, "В роуминге"},
                {11, "GSM/GPRS"},
                {12, "EDGE"},
                {13, "Нормальное состояние карты USIM"},
                {14, "1"},
                {15, "READY"},
                {16, "Полная"},
                {17, "-51 dBm (Отлично)"},
                {18, "Ручной"},
                {19, "Nordlink"},
                {20, "Только 2G"},
                {21, "Сначала 2G, затем 3G"},
                {22, "GSM DCS systems"},
                {23, "Не поддерживается"},
                {24, "Mar 22 2012, 10:31:07"},
                {25, "UTPS15.001.01.00.143"},
                {26, "Заблокирован (требуется код)"},
                {27, "3"}},
               "");
}

// A modem that keeps echoing after ATE0. Prefix-less queries take the echoed command as their
// first line; a prefix that also occurs in the echoed command is found there, with nothing
// after it, so those queries give no value. Only ATI and ^VERSION, whose prefixes the echo
// does not contain, come through.
TEST(RunOddModemsEcho, EchoedCommandsReplaceTheValues) {
    MemoryRows rows;
    EXPECT_EQ(RunEntry(rows, "E173 (COM6)"), 0);
    ExpectRows(rows,
               {{0, "AT+CGMI"},
                {1, "AT+CGMM"},
                {2, "AT+CGMR"},
                {5, "AT+CGSN"},
                {6, "AT+CIMI"},
                {7, "+CGSM,+DS,+ES"},
                {24, "Oct 19 2011, 17:25:51"},
                {25, "UTPS11.300.05.21.209"}},
               "");
}

// A read ends after 50 ms of silence. AT+CGMI's reply stalls after its value line: the run
// takes the head, and AT+CGMM's read then begins with the stalled tail (a blank line and OK),
// so the model stays as ATI gave it. ^SYSINFO stalls before its seventh field: the six fields
// read are decoded (the lock state present and empty), the submode is not, and the tail
// arrives in front of the +CPIN reply, which is still found.
TEST(RunOddModemsSlowReply, StalledTailStartsTheNextReply) {
    MemoryRows rows;
    EXPECT_EQ(RunEntry(rows, "E1550 (COM8)"), 0);
    ExpectRows(rows,
               {{0, "ZENTRAWAVE"},
                {1, "E1550"},
                {2, "11.608.12.02.143"},
                {5, "353333333333333"},
                {6, "250013333333333"},
                {7, "+CGSM,+DS,+ES"},
                {8, "Нормальный сервис"},
                {9, "Сервисы PS+CS"},
                {10, "Не в роуминге"},
                {11, "WCDMA"},
                {13, "Нормальное состояние карты USIM"},
                {14, ""},
                {15, "READY"},
                {17, "-73 dBm (Отлично)"}},
               "");
}

}  // namespace
