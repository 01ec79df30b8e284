// Whole information runs against simulated modems. Suites are named after their layout
// (tests/layouts/RunFullStick.txt, RunOddModems.txt): only the suites of the running layout
// are selected.
#include "info/info_run.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "info/captured_rows.h"
#include "info/info_table.h"
#include "link/serial_port.h"
#include "tests/info/row_checks.h"
#include "tests/support/test_paths.h"

namespace {

// Runs the entry with every row marked first, so a row the run failed to clear shows up.
// `writes` receives the number of row writes the run made.
int RunEntry(const CapturedRows& rows, const char* entry, int* writes = nullptr) {
    MarkAllRows();
    const int before = rows.Writes();
    const int result = ReadModemInfo(entry);
    if (writes != nullptr) *writes = rows.Writes() - before;
    return result;
}

// ---------------------------------------------------------------- layout RunFullStick

const RowTexts kFullStickRows = {
    {InfoRow::Manufacturer, "Zentrawave Technologies Co., Ltd."},
    {InfoRow::Model, "E173u-2"},
    {InfoRow::FirmwareVersion, "11.126.85.00.209.B427"},
    {InfoRow::HardwareVersion, "CD1E173M"},
    {InfoRow::Versions, "E173 11.126.85.00.209,CD1E173M"},
    {InfoRow::Imei, "351111111111119"},
    {InfoRow::Imsi, "250011234567890"},
    {InfoRow::CommandSets, "+CGSM,+DS,+ES"},
    {InfoRow::ServiceStatus, "Нормальный сервис"},
    {InfoRow::ServiceDomain, "Сервисы PS+CS"},
    {InfoRow::RoamingState, "Не в роуминге"},
    {InfoRow::SystemMode, "WCDMA"},
    {InfoRow::SystemSubmode, "WCDMA"},
    {InfoRow::SimState, "Нормальное состояние карты USIM"},
    {InfoRow::SimLockState, ""},
    {InfoRow::PinStatus, "READY"},
    {InfoRow::Functionality, "Полная"},
    {InfoRow::Signal, "-77 dBm (Хорошо)"},
    {InfoRow::SelectionMode, "Автоматический"},
    {InfoRow::Operator, "Zentra Mobile"},
    {InfoRow::NetworkTechnology, "Автоматический поиск"},
    {InfoRow::SearchOrder, "Сначала 3G, затем 2G"},
    {InfoRow::Band, "Любой диапазон"},
    {InfoRow::RoamingSupport, "Поддерживается"},
    {InfoRow::BuildDate, "Oct 19 2011, 17:25:51"},
    {InfoRow::DashboardVersion, "UTPS11.300.05.21.209_MAC11.301.06.02.209"},
    {InfoRow::LockStatus, "Разблокирован (код не требуется)"},
    {InfoRow::AttemptsLeft, "10"},
};

// Carets rejected, AT+CGMI answered with an error line, AT+CGMM with only OK.
const RowTexts kPlainModemRows = {
    {InfoRow::Manufacturer, "ERROR"},
    {InfoRow::Model, "MF180"},
    {InfoRow::FirmwareVersion, "BD_MF180V1.0.0B04"},
    {InfoRow::Imei, "861111111111112"},
    {InfoRow::Imsi, "250991234567890"},
    {InfoRow::CommandSets, "+CGSM,+FCLASS,+DS"},
    {InfoRow::PinStatus, "READY"},
    {InfoRow::Functionality, "Полная"},
    {InfoRow::Signal, "Неизвестно"},
    {InfoRow::SelectionMode, "Автоматический"},
    {InfoRow::Operator, "25099"},
};

TEST(RunFullStickTable, FullStickFillsEveryRow) {
    CapturedRows rows;
    EXPECT_EQ(RunEntry(rows, "E173 (COM5)"), 0);
    ExpectRows(rows, kFullStickRows, "");
    // The run closed the port: it can be opened again at once.
    PortHandle port = OpenPort(ComPath(5).c_str());
    EXPECT_NE(port, nullptr) << "the run left COM5 open";
    ClosePort(port);
}

TEST(RunFullStickTable, PlainModemKeepsWhatOnlyAtiAnswered) {
    CapturedRows rows;
    EXPECT_EQ(RunEntry(rows, "MF180 (COM12)"), 0);
    ExpectRows(rows, kPlainModemRows, "");
}

TEST(RunFullStickTable, SecondRunOnAnotherModemEmptiesEveryRowFirst) {
    CapturedRows rows;
    ASSERT_EQ(RunEntry(rows, "E173 (COM5)"), 0);
    ExpectRows(rows, kFullStickRows, "");
    EXPECT_EQ(ReadModemInfo("MF180 (COM12)"), 0);
    ExpectRows(rows, kPlainModemRows, "");
}

struct ProgressLog {
    std::vector<std::pair<int, std::string>> steps;
    int writesAtFirstStep = -1;
    const CapturedRows* rows = nullptr;
    static void Report(int step, const char* command, void* context) {
        auto* self = static_cast<ProgressLog*>(context);
        if (self->steps.empty()) self->writesAtFirstStep = self->rows->Writes();
        self->steps.emplace_back(step, command);
    }
};

TEST(RunFullStickProgress, ReportsEveryStepBeforeItRuns) {
    CapturedRows rows;
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
    CapturedRows rows;
    EXPECT_EQ(RunEntry(rows, "E173 (COM9)"), 0);
    RowTexts before;
    for (const auto& [row, text] : kFullStickRows) {
        if (RowIndex(row) < RowIndex(InfoRow::Signal)) before[row] = text;   // queries 1 to 12
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
    CapturedRows rows;
    int writes = 0;
    EXPECT_EQ(RunEntry(rows, "", &writes), 1);
    ExpectRows(rows, {}, "");
    EXPECT_EQ(writes, kInfoRowCount);
}

TEST(RunFullStickEntry, NullEntryCountsAsEmpty) {
    CapturedRows rows;
    int writes = 0;
    EXPECT_EQ(RunEntry(rows, nullptr, &writes), 1);
    ExpectRows(rows, {}, "");
    EXPECT_EQ(writes, kInfoRowCount);
}

TEST(RunFullStickEntry, MissingPortClearsTheTableAndFails) {
    CapturedRows rows;
    EXPECT_EQ(RunEntry(rows, "E173 (COM7)"), 1);
    ExpectRows(rows, {}, "");
    EXPECT_EQ(RunEntry(rows, "no port named here"), 1);
    ExpectRows(rows, {}, "");
}

TEST(RunFullStickEntry, BusyPortClearsTheTableAndFails) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine does not enforce exclusive opens";
#else
    CapturedRows rows;
    PortHandle held = OpenPort(ComPath(5).c_str());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(RunEntry(rows, "E173 (COM5)"), 1);
    ClosePort(held);
    ExpectRows(rows, {}, "");
#endif
}

TEST(RunFullStickPath, RunsOnADevicePathDirectly) {
    CapturedRows rows;
    MarkAllRows();
    EXPECT_EQ(ReadModemInfoAtPath(ComPath(12).c_str()), 0);
    ExpectRows(rows, kPlainModemRows, "");
}

TEST(RunFullStickPath, NoPathClearsTheTableAndFails) {
    CapturedRows rows;
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
    CapturedRows rows;
    EXPECT_EQ(RunEntry(rows, "E1550 (COM3)"), 0);
    ExpectRows(rows,
               {{InfoRow::Manufacturer, "zentrawave"},
                {InfoRow::Model, "E1550"},
                {InfoRow::FirmwareVersion, "11.608.12.02.143"},
                {InfoRow::HardwareVersion, "CD25TCPU"},
                {InfoRow::Versions, "E1550 11.608.12.02.143,CD25TCPU"},
                {InfoRow::Imei, "353333333333333"},
                {InfoRow::Imsi, "+CME ERROR: 10"},
                {InfoRow::CommandSets, "+CGSM,+DS,+ES"},
                {InfoRow::ServiceStatus, "Нет сервиса"},
                {InfoRow::ServiceDomain, "Нет сервиса"},
                {InfoRow::RoamingState, "Не в роуминге"},
                {InfoRow::SystemMode, "Нет сервиса"},
                {InfoRow::SimState, "USIM карта отсутствует"},
                {InfoRow::Functionality, "Полная"},
                {InfoRow::Signal, "-103 dBm (Плохо)"},
                {InfoRow::SelectionMode, "Автоматический"},
                {InfoRow::NetworkTechnology, "Автоматический поиск"},
                {InfoRow::SearchOrder, "Автоматический поиск"},
                {InfoRow::Band, "Любой диапазон"},
                {InfoRow::RoamingSupport, "Поддерживается"},
                {InfoRow::BuildDate, "Jun 10 2010, 11:02:44"}},
               "");
}

TEST(RunOddModemsLocked, ShowsTheLockAndTheAttemptsLeft) {
    CapturedRows rows;
    EXPECT_EQ(RunEntry(rows, "E171 (COM4)"), 0);
    ExpectRows(rows,
               {{InfoRow::Manufacturer, "zentrawave"},
                {InfoRow::Model, "E171"},
                {InfoRow::FirmwareVersion, "21.156.00.00.143"},
                {InfoRow::HardwareVersion, "CH1E171M"},
                {InfoRow::Versions, "E171 21.156.00.00.143,CH1E171M"},
                {InfoRow::Imei, "355555555555555"},
                {InfoRow::Imsi, "250025555555555"},
                {InfoRow::CommandSets, "+CGSM,+DS,+ES"},
                {InfoRow::ServiceStatus, "Ограниченный сервис"},
                {InfoRow::ServiceDomain, "Только сервис CS"},
                {InfoRow::RoamingState, "В роуминге"},
                {InfoRow::SystemMode, "GSM/GPRS"},
                {InfoRow::SystemSubmode, "EDGE"},
                {InfoRow::SimState, "Нормальное состояние карты USIM"},
                {InfoRow::SimLockState, "1"},
                {InfoRow::PinStatus, "READY"},
                {InfoRow::Functionality, "Полная"},
                {InfoRow::Signal, "-51 dBm (Отлично)"},
                {InfoRow::SelectionMode, "Ручной"},
                {InfoRow::Operator, "Nordlink"},
                {InfoRow::NetworkTechnology, "Только 2G"},
                {InfoRow::SearchOrder, "Сначала 2G, затем 3G"},
                {InfoRow::Band, "GSM DCS systems"},
                {InfoRow::RoamingSupport, "Не поддерживается"},
                {InfoRow::BuildDate, "Mar 22 2012, 10:31:07"},
                {InfoRow::DashboardVersion, "UTPS15.001.01.00.143"},
                {InfoRow::LockStatus, "Заблокирован (требуется код)"},
                {InfoRow::AttemptsLeft, "3"}},
               "");
}

// A modem that keeps echoing after ATE0. Prefix-less queries take the echoed command as their
// first line; a prefix that also occurs in the echoed command is found there, with nothing
// after it, so those queries give no value. Only ATI and ^VERSION, whose prefixes the echo
// does not contain, come through.
TEST(RunOddModemsEcho, EchoedCommandsReplaceTheValues) {
    CapturedRows rows;
    EXPECT_EQ(RunEntry(rows, "E173 (COM6)"), 0);
    ExpectRows(rows,
               {{InfoRow::Manufacturer, "AT+CGMI"},
                {InfoRow::Model, "AT+CGMM"},
                {InfoRow::FirmwareVersion, "AT+CGMR"},
                {InfoRow::Imei, "AT+CGSN"},
                {InfoRow::Imsi, "AT+CIMI"},
                {InfoRow::CommandSets, "+CGSM,+DS,+ES"},
                {InfoRow::BuildDate, "Oct 19 2011, 17:25:51"},
                {InfoRow::DashboardVersion, "UTPS11.300.05.21.209"}},
               "");
}

// A read ends after 50 ms of silence. AT+CGMI's reply stalls after its value line: the run
// takes the head, and AT+CGMM's read then begins with the stalled tail (a blank line and OK),
// so the model stays as ATI gave it. ^SYSINFO stalls before its seventh field: the six fields
// read are decoded (the lock state present and empty), the submode is not, and the tail
// arrives in front of the +CPIN reply, which is still found.
TEST(RunOddModemsSlowReply, StalledTailStartsTheNextReply) {
    CapturedRows rows;
    EXPECT_EQ(RunEntry(rows, "E1550 (COM8)"), 0);
    ExpectRows(rows,
               {{InfoRow::Manufacturer, "ZENTRAWAVE"},
                {InfoRow::Model, "E1550"},
                {InfoRow::FirmwareVersion, "11.608.12.02.143"},
                {InfoRow::Imei, "353333333333333"},
                {InfoRow::Imsi, "250013333333333"},
                {InfoRow::CommandSets, "+CGSM,+DS,+ES"},
                {InfoRow::ServiceStatus, "Нормальный сервис"},
                {InfoRow::ServiceDomain, "Сервисы PS+CS"},
                {InfoRow::RoamingState, "Не в роуминге"},
                {InfoRow::SystemMode, "WCDMA"},
                {InfoRow::SimState, "Нормальное состояние карты USIM"},
                {InfoRow::SimLockState, ""},
                {InfoRow::PinStatus, "READY"},
                {InfoRow::Signal, "-73 dBm (Отлично)"}},
               "");
}

}  // namespace
