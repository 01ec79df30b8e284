// Network status decoders, driven directly with answer values as ExtractAnswer leaves them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "info/captured_rows.h"
#include "info/config_decoders.h"
#include "info/signal_text.h"
#include "info/status_decoders.h"
#include "tests/info/code_table_cases.h"
#include "tests/info/row_checks.h"

namespace {

const char* const kNormalService = "Нормальный сервис";
const char* const kNoService = "Нет сервиса";
const char* const kNotRoaming = "Не в роуминге";
const char* const kSimNormal = "Нормальное состояние карты USIM";
const char* const kSimAbsent = "USIM карта отсутствует";

TEST(SystemInfoDecoder, AnswersAndFieldCounts) {
    RunCases(DecodeSystemInfo, {
        {"2,3,0,5,1,,4",
         {{InfoRow::ServiceStatus, kNormalService}, {InfoRow::ServiceDomain, "Сервисы PS+CS"},
          {InfoRow::RoamingState, kNotRoaming}, {InfoRow::SystemMode, "WCDMA"},
          {InfoRow::SimState, kSimNormal}, {InfoRow::SimLockState, ""},
          {InfoRow::SystemSubmode, "WCDMA"}}},
        // The older five-field form: no lock state, no submode.
        {"0,0,0,0,255",
         {{InfoRow::ServiceStatus, kNoService}, {InfoRow::ServiceDomain, kNoService},
          {InfoRow::RoamingState, kNotRoaming}, {InfoRow::SystemMode, kNoService},
          {InfoRow::SimState, kSimAbsent}}},
        {"2,3,0,5,5,1,4",
         {{InfoRow::ServiceStatus, kNormalService}, {InfoRow::ServiceDomain, "Сервисы PS+CS"},
          {InfoRow::RoamingState, kNotRoaming}, {InfoRow::SystemMode, "WCDMA"},
          {InfoRow::SimLockState, "1"}, {InfoRow::SystemSubmode, "WCDMA"}}},
        // The lock state is shown as it is, blanks and all.
        {"2,3,0,5,1, SIMLOCK ,7",
         {{InfoRow::ServiceStatus, kNormalService}, {InfoRow::ServiceDomain, "Сервисы PS+CS"},
          {InfoRow::RoamingState, kNotRoaming}, {InfoRow::SystemMode, "WCDMA"},
          {InfoRow::SimState, kSimNormal}, {InfoRow::SimLockState, " SIMLOCK "},
          {InfoRow::SystemSubmode, "HSDPA/HSUPA"}}},
        // Leading zeros and blanks match no code.
        {"02, 3,0 ,05,01,0,004", {{InfoRow::SimLockState, "0"}}},
        {"2", {{InfoRow::ServiceStatus, kNormalService}}},
        {"2,", {{InfoRow::ServiceStatus, kNormalService}}},
        {"2,3,0,5,1,", {{InfoRow::ServiceStatus, kNormalService},
                        {InfoRow::ServiceDomain, "Сервисы PS+CS"},
                        {InfoRow::RoamingState, kNotRoaming},
                        {InfoRow::SystemMode, "WCDMA"}, {InfoRow::SimState, kSimNormal},
                        {InfoRow::SimLockState, ""}}},
        {"2,3,0,5,1,1,3,9,9", {{InfoRow::ServiceStatus, kNormalService},
                               {InfoRow::ServiceDomain, "Сервисы PS+CS"},
                               {InfoRow::RoamingState, kNotRoaming},
                               {InfoRow::SystemMode, "WCDMA"}, {InfoRow::SimState, kSimNormal},
                               {InfoRow::SimLockState, "1"}, {InfoRow::SystemSubmode, "EDGE"}}},
        {",,,,,,", {{InfoRow::SimLockState, ""}}},
        {"", {}},
    });
}

TEST(FunctionalityDecoder, OnlyFieldOneCounts) {
    RunCases(DecodeFunctionality, {
        {"1,0", {{InfoRow::Functionality, "Полная"}}},
        {"1", {{InfoRow::Functionality, "Полная"}}},
        {"4,1,x", {{InfoRow::Functionality, "Выключен передатчик и приемник"}}},
        {"7", {}},
        {"01", {}},
        {" 1", {}},
        {",1", {}},
        {"", {}},
    });
}

const char* const kPoor = "Плохо";
const char* const kFair = "Удовлетворительно";
const char* const kGood = "Хорошо";
const char* const kExcellent = "Отлично";
const char* const kUnknown = "Неизвестно";

RowTexts Level(const char* dbm, const char* grade) {
    return {{InfoRow::Signal, std::string(dbm) + " dBm (" + grade + ")"}};
}

const RowTexts kUnknownLevel = {{InfoRow::Signal, kUnknown}};

// 0..31 by 3GPP TS 27.007, 100..191 by the TD-SCDMA extension; both graded by their dBm.
TEST(SignalDecoder, GradeBoundaries) {
    RunCases(DecodeSignal, {
        {"0,99", Level("-113", kPoor)},
        {"9,99", Level("-95", kPoor)},
        {"10,99", Level("-93", kFair)},
        {"14,99", Level("-85", kFair)},
        {"15,99", Level("-83", kGood)},
        {"18,99", Level("-77", kGood)},
        {"19,99", Level("-75", kGood)},
        {"20,99", Level("-73", kExcellent)},
        {"31,99", Level("-51", kExcellent)},
        {"100", Level("-116", kPoor)},
        {"121", Level("-95", kPoor)},
        {"122", Level("-94", kFair)},
        {"132", Level("-84", kGood)},
        {"141", Level("-75", kGood)},
        {"142", Level("-74", kExcellent)},
        {"151,99", Level("-65", kExcellent)},
        {"191", Level("-25", kExcellent)},
    });
}

// 99 is how the query says it has no level (3GPP TS 27.007); 199 is the extension's 99.
// Values that mean no level show the same, however far out of range.
TEST(SignalDecoder, ValuesWithoutALevelAreUnknown) {
    RunCases(DecodeSignal, {
        {"99,99", kUnknownLevel},
        {"99", kUnknownLevel},
        // Read as a number, like "%d": these all are 99.
        {"099", kUnknownLevel},
        {" 99", kUnknownLevel},
        {"+99,0", kUnknownLevel},
        {"99x", kUnknownLevel},
        {"199", kUnknownLevel},
        {"32", kUnknownLevel},
        {"98", kUnknownLevel},
        {"192", kUnknownLevel},
        {"-1", kUnknownLevel},
        {"-5,99", kUnknownLevel},
        {"2147483647", kUnknownLevel},
        {"99999999999999999999999999999", kUnknownLevel},
        {"-2147483648", kUnknownLevel},
        {"-99999999999999999999999999999", kUnknownLevel},
    });
}

TEST(SignalDecoder, ReadsTheFieldInTheMannerOfPercentD) {
    RunCases(DecodeSignal, {
        {"  18", Level("-77", kGood)},
        {"\t7", Level("-99", kPoor)},
        {"18x,5", Level("-77", kGood)},
        {"1 8", Level("-111", kPoor)},
        {"+20", Level("-73", kExcellent)},
        {"0x1F", Level("-113", kPoor)},
        {"0151", Level("-65", kExcellent)},
        // No number: the level of 0, still written. (An empty value never reaches the
        // decoder: the run treats it as no answer.)
        {"abc", Level("-113", kPoor)},
        {"-", Level("-113", kPoor)},
        {",18", Level("-113", kPoor)},
    });
}

// watch shows a level in the row's words without a row: the same text, bounded by the buffer.
TEST(SignalLevelText, WritesTheRowsTextWithinTheBuffer) {
    char text[kSignalTextSize];
    SignalLevelText(SignalLevelFromCsqValue(151), text, sizeof text);
    EXPECT_STREQ(text, "-65 dBm (Отлично)");
    SignalLevelText(SignalLevelFromCsqValue(199), text, sizeof text);
    EXPECT_STREQ(text, kUnknown);
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    SignalLevelText(SignalLevelFromCsqValue(24), small, 4);
    EXPECT_STREQ(small, "-65");
    EXPECT_EQ(small[4], 'x');
    SignalLevelText(SignalLevelFromCsqValue(24), small, 0);
    EXPECT_STREQ(small, "-65");
    SignalLevelText(SignalLevelFromCsqValue(24), nullptr, 10);
    EXPECT_STREQ(SignalGradeText(-95), kPoor);
    EXPECT_STREQ(SignalGradeText(-74), kExcellent);
}

const char* const kAutomatic = "Автоматический";

TEST(OperatorDecoder, SelectionModeAndName) {
    RunCases(DecodeOperator, {
        {"0,0,\"Zentra Mobile\",2", {{InfoRow::SelectionMode, kAutomatic},
                                     {InfoRow::Operator, "Zentra Mobile"}}},
        // The closing quote was already taken off by the extraction.
        {"1,0,\"Nordlink", {{InfoRow::SelectionMode, "Ручной"}, {InfoRow::Operator, "Nordlink"}}},
        {"1,2,25001,7", {{InfoRow::SelectionMode, "Ручной"}, {InfoRow::Operator, "25001"}}},
        {"4,0,\"Orbita3\",2",
         {{InfoRow::SelectionMode, "Если ручной не удастся, пробовать автоматический"},
          {InfoRow::Operator, "Orbita3"}}},
        {"2", {{InfoRow::SelectionMode, "Отмена регистрации в сети"}}},
        {"0", {{InfoRow::SelectionMode, kAutomatic}}},
        {"0,0", {{InfoRow::SelectionMode, kAutomatic}}},
        {"3,0,\"Polaris\",2", {{InfoRow::Operator, "Polaris"}}},
        {"00,0,\"Polaris\",2", {{InfoRow::Operator, "Polaris"}}},
        {",,x", {{InfoRow::Operator, "x"}}},
        {"", {}},
    });
}

TEST(OperatorDecoder, NameRules) {
    RunCases(DecodeOperator, {
        // Written also when empty.
        {"0,0,", {{InfoRow::SelectionMode, kAutomatic}, {InfoRow::Operator, ""}}},
        {"0,0,\"\"", {{InfoRow::SelectionMode, kAutomatic}, {InfoRow::Operator, ""}}},
        {"0,0,\"", {{InfoRow::SelectionMode, kAutomatic}, {InfoRow::Operator, ""}}},
        {"0,0,\",x\",2", {{InfoRow::SelectionMode, kAutomatic}, {InfoRow::Operator, ""}}},
        // A comma inside the name ends it.
        {"0,0,\"Z&W, Inc\",2", {{InfoRow::SelectionMode, kAutomatic}, {InfoRow::Operator, "Z&W"}}},
        // One quote off each end, no more.
        {"0,0,Zentra\",2", {{InfoRow::SelectionMode, kAutomatic}, {InfoRow::Operator, "Zentra"}}},
        {"0,0,\"\"Zentra\"\",2", {{InfoRow::SelectionMode, kAutomatic},
                                  {InfoRow::Operator, "\"Zentra\""}}},
        {"0,0,\"Ze\"ntra\",2", {{InfoRow::SelectionMode, kAutomatic},
                                {InfoRow::Operator, "Ze\"ntra"}}},
        // Only a quote at the very start is dropped.
        {"0,0, \"Zentra\",2", {{InfoRow::SelectionMode, kAutomatic},
                               {InfoRow::Operator, " \"Zentra"}}},
        {"0,0,\"Северлинк\",2", {{InfoRow::SelectionMode, kAutomatic},
                                 {InfoRow::Operator, "Северлинк"}}},
    });
}

TEST(Decoders, NullValueWritesNothing) {
    for (void (*decode)(const char*) : {DecodeSystemInfo, DecodeFunctionality, DecodeSignal,
                                        DecodeOperator, DecodeSystemConfig, DecodeCardLock}) {
        CapturedRows rows;
        decode(nullptr);
        EXPECT_EQ(rows.Writes(), 0);
    }
}

// Every code of every status table, each in its own field position.
TEST(StatusCodeTables, EveryCodeAndSomeNonCodes) {
    const std::vector<CodeTableCase> tables = {
        {"service status", DecodeSystemInfo, "", InfoRow::ServiceStatus,
         {{"0", "Нет сервиса"},
          {"1", "Ограниченный сервис"},
          {"2", "Нормальный сервис"},
          {"3", "Ограниченный региональный сервис"},
          {"4", "Энергосберегающий и спящий режим"}},
         {"5", "00", "01", " 1", "1 ", "+1", "-0", "A", ""}},
        {"service domain", DecodeSystemInfo, "x,", InfoRow::ServiceDomain,
         {{"0", "Нет сервиса"},
          {"1", "Только сервис CS"},
          {"2", "Только сервис PS"},
          {"3", "Сервисы PS+CS"},
          {"4", "CS и PS не зарегистрированы, поиск..."}},
         {"5", "03", " 3", ""}},
        {"roaming", DecodeSystemInfo, "x,x,", InfoRow::RoamingState,
         {{"0", "Не в роуминге"}, {"1", "В роуминге"}},
         {"2", "00", "1 ", ""}},
        {"system mode", DecodeSystemInfo, "x,x,x,", InfoRow::SystemMode,
         {{"0", "Нет сервиса"},
          {"1", "AMPS"},
          {"2", "CDMA"},
          {"3", "GSM/GPRS"},
          {"4", "HDR"},
          {"5", "WCDMA"},
          {"6", "GPS"},
          {"7", "GSM/WCDMA"},
          {"8", "CDMA/HDR Hybrid"}},
         {"9", "05", "10", ""}},
        {"SIM state", DecodeSystemInfo, "x,x,x,x,", InfoRow::SimState,
         {{"0", "Неверное состояние карты USIM или pin-код заблокирован"},
          {"1", "Нормальное состояние карты USIM"},
          {"2", "USIM неверная по причине CS"},
          {"3", "USIM неверная по причине PS"},
          {"4", "USIM неверная по причине CS или PS"},
          {"255", "USIM карта отсутствует"}},
         {"5", "100", "254", "256", "0255", "25", " 255", ""}},
        {"submode", DecodeSystemInfo, "x,x,x,x,x,x,", InfoRow::SystemSubmode,
         {{"0", "Нет сервиса"},
          {"1", "GSM"},
          {"2", "GPRS"},
          {"3", "EDGE"},
          {"4", "WCDMA"},
          {"5", "HSDPA"},
          {"6", "HSUPA"},
          {"7", "HSDPA/HSUPA"}},
         {"8", "07", "17", ""}},
        {"functionality", DecodeFunctionality, "", InfoRow::Functionality,
         {{"0", "Минимальная"},
          {"1", "Полная"},
          {"2", "Выключен передатчик"},
          {"3", "Выключен приемник"},
          {"4", "Выключен передатчик и приемник"},
          {"5", "Только GSM"},
          {"6", "Только WCDMA"}},
         {"7", "00", "1 ", ""}},
        {"selection mode", DecodeOperator, "", InfoRow::SelectionMode,
         {{"0", "Автоматический"},
          {"1", "Ручной"},
          {"2", "Отмена регистрации в сети"},
          {"4", "Если ручной не удастся, пробовать автоматический"}},
         {"3", "5", "04", " 0", ""}},
    };
    for (const CodeTableCase& table : tables) CheckCodeTable(table);
}

}  // namespace
