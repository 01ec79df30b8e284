// Configuration and lock decoders, driven directly with answer values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "info/config_decoders.h"
#include "tests/info/code_table_cases.h"
#include "tests/info/row_checks.h"
#include "tests/support/memory_rows.h"

namespace {

const char* const kAutomaticSearch = "Автоматический поиск";
const char* const kNoChange = "Без изменений";

TEST(SystemConfigDecoder, Answers) {
    RunCases(DecodeSystemConfig, {
        {"2,0,3FFFFFFF,1,2",
         {{20, kAutomaticSearch}, {21, kAutomaticSearch}, {22, "Любой диапазон"},
          {23, "Поддерживается"}}},
        {"13,1,80,0,1",
         {{20, "Только 2G"}, {21, "Сначала 2G, затем 3G"}, {22, "GSM DCS systems"},
          {23, "Не поддерживается"}}},
        {"16,3,40000000,2,4",
         {{20, kNoChange}, {21, kNoChange}, {22, "Без изменений диапазона"}, {23, kNoChange}}},
        // "2" is automatic as a technology but 3G first as a search order; "0" the reverse.
        {"2,2,400000,1", {{20, kAutomaticSearch}, {21, "Сначала 3G, затем 2G"},
                          {22, "WCDMA IMT 2000"}, {23, "Поддерживается"}}},
        {"0,0,80,1", {{21, kAutomaticSearch}, {22, "GSM DCS systems"}, {23, "Поддерживается"}}},
    });
}

TEST(SystemConfigDecoder, BandMasksMatchOnlyAsWritten) {
    RunCases(DecodeSystemConfig, {
        {"14,2,3fffffff,1,2", {{20, "Только 3G"}, {21, "Сначала 3G, затем 2G"},
                               {23, "Поддерживается"}}},
        // 80 + 100 + 200: a combined mask has no text.
        {"14,2,380,1,2", {{20, "Только 3G"}, {21, "Сначала 3G, затем 2G"},
                          {23, "Поддерживается"}}},
        {"14,2,00000080,1", {{20, "Только 3G"}, {21, "Сначала 3G, затем 2G"},
                             {23, "Поддерживается"}}},
        {"14,2,,1", {{20, "Только 3G"}, {21, "Сначала 3G, затем 2G"},
                     {23, "Поддерживается"}}},
    });
}

TEST(SystemConfigDecoder, FewerFields) {
    RunCases(DecodeSystemConfig, {
        {"13,1,80,0", {{20, "Только 2G"}, {21, "Сначала 2G, затем 3G"},
                       {22, "GSM DCS systems"}, {23, "Не поддерживается"}}},
        {"13,1,80", {{20, "Только 2G"}, {21, "Сначала 2G, затем 3G"},
                     {22, "GSM DCS systems"}}},
        {"14,2", {{20, "Только 3G"}, {21, "Сначала 3G, затем 2G"}}},
        {"14", {{20, "Только 3G"}}},
        {"14,,,,", {{20, "Только 3G"}}},
        {"", {}},
    });
}

TEST(CardLockDecoder, Answers) {
    RunCases(DecodeCardLock, {
        {"2,10,0", {{26, "Разблокирован (код не требуется)"}, {27, "10"}}},
        {"1,3", {{26, "Заблокирован (требуется код)"}, {27, "3"}}},
        {"3,0,0", {{26, "Заблокирован навсегда"}, {27, "0"}}},
        {"1", {{26, "Заблокирован (требуется код)"}}},
        // Attempts are shown as they are, also when empty or odd.
        {"1,", {{26, "Заблокирован (требуется код)"}, {27, ""}}},
        {"1,,0", {{26, "Заблокирован (требуется код)"}, {27, ""}}},
        {"2, 10 ,0", {{26, "Разблокирован (код не требуется)"}, {27, " 10 "}}},
        {"0,10,0", {{27, "10"}}},
        {"01,10,0", {{27, "10"}}},
        {",5", {{27, "5"}}},
        {"", {}},
    });
}

TEST(ConfigCodeTables, EveryCodeAndSomeNonCodes) {
    const std::vector<CodeTableCase> tables = {
        {"network technology", DecodeSystemConfig, "", 20,
         {{"2", "Автоматический поиск"},
          {"13", "Только 2G"},
          {"14", "Только 3G"},
          {"16", "Без изменений"}},
         {"0", "1", "3", "15", "02", "013", " 2", ""}},
        {"search order", DecodeSystemConfig, "x,", 21,
         {{"0", "Автоматический поиск"},
          {"1", "Сначала 2G, затем 3G"},
          {"2", "Сначала 3G, затем 2G"},
          {"3", "Без изменений"}},
         {"4", "00", "2 ", ""}},
        {"band", DecodeSystemConfig, "x,x,", 22,
         {{"80", "GSM DCS systems"},
          {"100", "Extended GSM 900"},
          {"200", "Primary GSM 900"},
          {"200000", "GSM PCS"},
          {"400000", "WCDMA IMT 2000"},
          {"3FFFFFFF", "Любой диапазон"},
          {"40000000", "Без изменений диапазона"}},
         {"3fffffff", "3FFFFFFf", "0x80", "080", "380", "600000", "40000080", "7FFFFFFF",
          "3FFFFFFF0", " 80", ""}},
        {"roaming support", DecodeSystemConfig, "x,x,x,", 23,
         {{"0", "Не поддерживается"}, {"1", "Поддерживается"}, {"2", "Без изменений"}},
         {"3", "01", ""}},
        {"lock status", DecodeCardLock, "", 26,
         {{"1", "Заблокирован (требуется код)"},
          {"2", "Разблокирован (код не требуется)"},
          {"3", "Заблокирован навсегда"}},
         {"0", "4", "01", "1 ", ""}},
    };
    for (const CodeTableCase& table : tables) CheckCodeTable(table);
}

}  // namespace
