// Network status decoders, driven directly with answer values as ExtractAnswer leaves them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "info/config_decoders.h"
#include "info/status_decoders.h"
#include "tests/info/code_table_cases.h"
#include "tests/info/row_checks.h"
#include "tests/support/memory_rows.h"

namespace {

const char* const kNormalService = "Нормальный сервис";
const char* const kNoService = "Нет сервиса";
const char* const kNotRoaming = "Не в роуминге";
const char* const kSimNormal = "Нормальное состояние карты USIM";
const char* const kSimAbsent = "USIM карта отсутствует";

TEST(SystemInfoDecoder, AnswersAndFieldCounts) {
    RunCases(DecodeSystemInfo, {
        {"2,3,0,5,1,,4",
         {{8, kNormalService}, {9, "Сервисы PS+CS"}, {10, kNotRoaming}, {11, "WCDMA"},
          {13, kSimNormal}, {14, ""}, {12, "WCDMA"}}},
        // The older five-field form: no lock state, no submode.
        {"0,0,0,0,255",
         {{8, kNoService}, {9, kNoService}, {10, kNotRoaming}, {11, kNoService},
          {13, kSimAbsent}}},
        {"2,3,0,5,5,1,4",
         {{8, kNormalService}, {9, "Сервисы PS+CS"}, {10, kNotRoaming}, {11, "WCDMA"},
          {14, "1"}, {12, "WCDMA"}}},
        // The lock state is shown as it is, blanks and all.
        {"2,3,0,5,1, SIMLOCK ,7",
         {{8, kNormalService}, {9, "Сервисы PS+CS"}, {10, kNotRoaming}, {11, "WCDMA"},
          {13, kSimNormal}, {14, " SIMLOCK "}, {12, "HSDPA/HSUPA"}}},
        // Leading zeros and blanks match no code.
        {"02, 3,0 ,05,01,0,004", {{14, "0"}}},
        {"2", {{8, kNormalService}}},
        {"2,", {{8, kNormalService}}},
        {"2,3,0,5,1,", {{8, kNormalService}, {9, "Сервисы PS+CS"}, {10, kNotRoaming},
                        {11, "WCDMA"}, {13, kSimNormal}, {14, ""}}},
        {"2,3,0,5,1,1,3,9,9", {{8, kNormalService}, {9, "Сервисы PS+CS"}, {10, kNotRoaming},
                               {11, "WCDMA"}, {13, kSimNormal}, {14, "1"}, {12, "EDGE"}}},
        {",,,,,,", {{14, ""}}},
        {"", {}},
    });
}

TEST(FunctionalityDecoder, OnlyFieldOneCounts) {
    RunCases(DecodeFunctionality, {
        {"1,0", {{16, "Полная"}}},
        {"1", {{16, "Полная"}}},
        {"4,1,x", {{16, "Выключен передатчик и приемник"}}},
        {"7", {}},
        {"01", {}},
        {" 1", {}},
        {",1", {}},
        {"", {}},
    });
}

const char* const kPoor = "Плохо";

std::string Level(const char* dbm, const char* grade) {
    return std::string(dbm) + " dBm (" + grade + ")";
}

TEST(SignalDecoder, GradeBoundaries) {
    const char* fair = "Удовлетворительно";
    const char* good = "Хорошо";
    const char* excellent = "Отлично";
    RunCases(DecodeSignal, {
        {"0,99", {{17, Level("-113", kPoor)}}},
        {"9,99", {{17, Level("-95", kPoor)}}},
        {"10,99", {{17, Level("-93", fair)}}},
        {"14,99", {{17, Level("-85", fair)}}},
        {"15,99", {{17, Level("-83", good)}}},
        {"18,99", {{17, Level("-77", good)}}},
        {"19,99", {{17, Level("-75", good)}}},
        {"20,99", {{17, Level("-73", excellent)}}},
        {"31,99", {{17, Level("-51", excellent)}}},
        {"32", {{17, Level("-49", excellent)}}},
        {"98", {{17, Level("83", excellent)}}},
        {"100", {{17, Level("87", excellent)}}},
    });
}

// 99 is how the query says it has no level (3GPP TS 27.007).
TEST(SignalDecoder, NinetyNineIsUnknown) {
    const char* unknown = "Неизвестно";
    RunCases(DecodeSignal, {
        {"99,99", {{17, unknown}}},
        {"99", {{17, unknown}}},
        // Read as a number, like "%d": these all are 99.
        {"099", {{17, unknown}}},
        {" 99", {{17, unknown}}},
        {"+99,0", {{17, unknown}}},
        {"99x", {{17, unknown}}},
    });
}

TEST(SignalDecoder, ReadsTheFieldInTheMannerOfPercentD) {
    RunCases(DecodeSignal, {
        {"  18", {{17, Level("-77", "Хорошо")}}},
        {"\t7", {{17, Level("-99", kPoor)}}},
        {"18x,5", {{17, Level("-77", "Хорошо")}}},
        {"1 8", {{17, Level("-111", kPoor)}}},
        {"+20", {{17, Level("-73", "Отлично")}}},
        {"0x1F", {{17, Level("-113", kPoor)}}},
        {"-1", {{17, Level("-115", kPoor)}}},
        {"-5,99", {{17, Level("-123", kPoor)}}},
        // No number: the level of 0, still written. (An empty value never reaches the
        // decoder: the run treats it as no answer.)
        {"abc", {{17, Level("-113", kPoor)}}},
        {"-", {{17, Level("-113", kPoor)}}},
        {",18", {{17, Level("-113", kPoor)}}},
    });
}

TEST(SignalDecoder, HugeNumbersSaturateInsteadOfOverflowing) {
    RunCases(DecodeSignal, {
        {"1073741880", {{17, Level("2147483647", "Отлично")}}},
        {"1073741881", {{17, Level("2147483647", "Отлично")}}},
        {"2147483647", {{17, Level("2147483647", "Отлично")}}},
        {"99999999999999999999999999999", {{17, Level("2147483647", "Отлично")}}},
        {"-1073741767", {{17, Level("-2147483647", kPoor)}}},
        {"-1073741768", {{17, Level("-2147483648", kPoor)}}},
        {"-99999999999999999999999999999", {{17, Level("-2147483648", kPoor)}}},
    });
}

const char* const kAutomatic = "Автоматический";

TEST(OperatorDecoder, SelectionModeAndName) {
    RunCases(DecodeOperator, {
        {"0,0,\"Zentra Mobile\",2", {{18, kAutomatic}, {19, "Zentra Mobile"}}},
        // The closing quote was already taken off by the extraction.
        {"1,0,\"Nordlink", {{18, "Ручной"}, {19, "Nordlink"}}},
        {"1,2,25001,7", {{18, "Ручной"}, {19, "25001"}}},
        {"4,0,\"Orbita3\",2",
         {{18, "Если ручной не удастся, пробовать автоматический"}, {19, "Orbita3"}}},
        {"2", {{18, "Отмена регистрации в сети"}}},
        {"0", {{18, kAutomatic}}},
        {"0,0", {{18, kAutomatic}}},
        {"3,0,\"Polaris\",2", {{19, "Polaris"}}},
        {"00,0,\"Polaris\",2", {{19, "Polaris"}}},
        {",,x", {{19, "x"}}},
        {"", {}},
    });
}

TEST(OperatorDecoder, NameRules) {
    RunCases(DecodeOperator, {
        // Written also when empty.
        {"0,0,", {{18, kAutomatic}, {19, ""}}},
        {"0,0,\"\"", {{18, kAutomatic}, {19, ""}}},
        {"0,0,\"", {{18, kAutomatic}, {19, ""}}},
        {"0,0,\",x\",2", {{18, kAutomatic}, {19, ""}}},
        // A comma inside the name ends it.
        {"0,0,\"Z&W, Inc\",2", {{18, kAutomatic}, {19, "Z&W"}}},
        // One quote off each end, no more.
        {"0,0,Zentra\",2", {{18, kAutomatic}, {19, "Zentra"}}},
        {"0,0,\"\"Zentra\"\",2", {{18, kAutomatic}, {19, "\"Zentra\""}}},
        {"0,0,\"Ze\"ntra\",2", {{18, kAutomatic}, {19, "Ze\"ntra"}}},
        // Only a quote at the very start is dropped.
        {"0,0, \"Zentra\",2", {{18, kAutomatic}, {19, " \"Zentra"}}},
        {"0,0,\"Северлинк\",2", {{18, kAutomatic}, {19, "Северлинк"}}},
    });
}

TEST(Decoders, NullValueWritesNothing) {
    for (void (*decode)(const char*) : {DecodeSystemInfo, DecodeFunctionality, DecodeSignal,
                                        DecodeOperator, DecodeSystemConfig, DecodeCardLock}) {
        MemoryRows rows;
        decode(nullptr);
        EXPECT_EQ(rows.Writes(), 0);
    }
}

// Every code of every status table, each in its own field position.
TEST(StatusCodeTables, EveryCodeAndSomeNonCodes) {
    const std::vector<CodeTableCase> tables = {
        {"service status", DecodeSystemInfo, "", 8,
         {{"0", "Нет сервиса"},
          {"1", "Ограниченный сервис"},
          {"2", "Нормальный сервис"},
          {"3", "Ограниченный региональный сервис"},
          {"4", "Энергосберегающий и спящий режим"}},
         {"5", "00", "01", " 1", "1 ", "+1", "-0", "A", ""}},
        {"service domain", DecodeSystemInfo, "x,", 9,
         {{"0", "Нет сервиса"},
          {"1", "Только сервис CS"},
          {"2", "Только сервис PS"},
          {"3", "Сервисы PS+CS"},
          {"4", "CS и PS не зарегистрированы, поиск..."}},
         {"5", "03", " 3", ""}},
        {"roaming", DecodeSystemInfo, "x,x,", 10,
         {{"0", "Не в роуминге"}, {"1", "В роуминге"}},
         {"2", "00", "1 ", ""}},
        {"system mode", DecodeSystemInfo, "x,x,x,", 11,
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
        {"SIM state", DecodeSystemInfo, "x,x,x,x,", 13,
         {{"0", "Неверное состояние карты USIM или pin-код заблокирован"},
          {"1", "Нормальное состояние карты USIM"},
          {"2", "USIM неверная по причине CS"},
          {"3", "USIM неверная по причине PS"},
          {"4", "USIM неверная по причине CS или PS"},
          {"255", "USIM карта отсутствует"}},
         {"5", "100", "254", "256", "0255", "25", " 255", ""}},
        {"submode", DecodeSystemInfo, "x,x,x,x,x,x,", 12,
         {{"0", "Нет сервиса"},
          {"1", "GSM"},
          {"2", "GPRS"},
          {"3", "EDGE"},
          {"4", "WCDMA"},
          {"5", "HSDPA"},
          {"6", "HSUPA"},
          {"7", "HSDPA/HSUPA"}},
         {"8", "07", "17", ""}},
        {"functionality", DecodeFunctionality, "", 16,
         {{"0", "Минимальная"},
          {"1", "Полная"},
          {"2", "Выключен передатчик"},
          {"3", "Выключен приемник"},
          {"4", "Выключен передатчик и приемник"},
          {"5", "Только GSM"},
          {"6", "Только WCDMA"}},
         {"7", "00", "1 ", ""}},
        {"selection mode", DecodeOperator, "", 18,
         {{"0", "Автоматический"},
          {"1", "Ручной"},
          {"2", "Отмена регистрации в сети"},
          {"4", "Если ручной не удастся, пробовать автоматический"}},
         {"3", "5", "04", " 0", ""}},
    };
    for (const CodeTableCase& table : tables) CheckCodeTable(table);
}

}  // namespace
