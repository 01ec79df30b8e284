// Configuration and lock decoders, driven directly with answer values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "info/captured_rows.h"
#include "info/config_decoders.h"
#include "tests/info/code_table_cases.h"
#include "tests/info/row_checks.h"

namespace {

const char* const kAutomaticSearch = "Автоматический поиск";
const char* const kNoChange = "Без изменений";

TEST(SystemConfigDecoder, Answers) {
    RunCases(DecodeSystemConfig, {
        {"2,0,3FFFFFFF,1,2",
         {{InfoRow::NetworkTechnology, kAutomaticSearch}, {InfoRow::SearchOrder, kAutomaticSearch},
          {InfoRow::Band, "Любой диапазон"},
          {InfoRow::RoamingSupport, "Поддерживается"}}},
        {"13,1,80,0,1",
         {{InfoRow::NetworkTechnology, "Только 2G"}, {InfoRow::SearchOrder, "Сначала 2G, затем 3G"},
          {InfoRow::Band, "GSM DCS systems"},
          {InfoRow::RoamingSupport, "Не поддерживается"}}},
        {"16,3,40000000,2,4",
         {{InfoRow::NetworkTechnology, kNoChange}, {InfoRow::SearchOrder, kNoChange},
          {InfoRow::Band, "Без изменений диапазона"}, {InfoRow::RoamingSupport, kNoChange}}},
        // "2" is automatic as a technology but 3G first as a search order; "0" the reverse.
        {"2,2,400000,1", {{InfoRow::NetworkTechnology, kAutomaticSearch},
                          {InfoRow::SearchOrder, "Сначала 3G, затем 2G"},
                          {InfoRow::Band, "WCDMA IMT 2000"},
                          {InfoRow::RoamingSupport, "Поддерживается"}}},
        {"0,0,80,1", {{InfoRow::SearchOrder, kAutomaticSearch}, {InfoRow::Band, "GSM DCS systems"},
                      {InfoRow::RoamingSupport, "Поддерживается"}}},
    });
}

TEST(SystemConfigDecoder, BandMasksMatchOnlyAsWritten) {
    RunCases(DecodeSystemConfig, {
        {"14,2,3fffffff,1,2", {{InfoRow::NetworkTechnology, "Только 3G"},
                               {InfoRow::SearchOrder, "Сначала 3G, затем 2G"},
                               {InfoRow::RoamingSupport, "Поддерживается"}}},
        // 80 + 100 + 200: a combined mask has no text.
        {"14,2,380,1,2", {{InfoRow::NetworkTechnology, "Только 3G"},
                          {InfoRow::SearchOrder, "Сначала 3G, затем 2G"},
                          {InfoRow::RoamingSupport, "Поддерживается"}}},
        {"14,2,00000080,1", {{InfoRow::NetworkTechnology, "Только 3G"},
                             {InfoRow::SearchOrder, "Сначала 3G, затем 2G"},
                             {InfoRow::RoamingSupport, "Поддерживается"}}},
        {"14,2,,1", {{InfoRow::NetworkTechnology, "Только 3G"},
                     {InfoRow::SearchOrder, "Сначала 3G, затем 2G"},
                     {InfoRow::RoamingSupport, "Поддерживается"}}},
    });
}

TEST(SystemConfigDecoder, FewerFields) {
    RunCases(DecodeSystemConfig, {
        {"13,1,80,0", {{InfoRow::NetworkTechnology, "Только 2G"},
                       {InfoRow::SearchOrder, "Сначала 2G, затем 3G"},
                       {InfoRow::Band, "GSM DCS systems"},
                       {InfoRow::RoamingSupport, "Не поддерживается"}}},
        {"13,1,80", {{InfoRow::NetworkTechnology, "Только 2G"},
                     {InfoRow::SearchOrder, "Сначала 2G, затем 3G"},
                     {InfoRow::Band, "GSM DCS systems"}}},
        {"14,2", {{InfoRow::NetworkTechnology, "Только 3G"},
                  {InfoRow::SearchOrder, "Сначала 3G, затем 2G"}}},
        {"14", {{InfoRow::NetworkTechnology, "Только 3G"}}},
        {"14,,,,", {{InfoRow::NetworkTechnology, "Только 3G"}}},
        {"", {}},
    });
}

TEST(CardLockDecoder, Answers) {
    RunCases(DecodeCardLock, {
        {"2,10,0", {{InfoRow::LockStatus, "Разблокирован (код не требуется)"},
                    {InfoRow::AttemptsLeft, "10"}}},
        {"1,3", {{InfoRow::LockStatus, "Заблокирован (требуется код)"},
                 {InfoRow::AttemptsLeft, "3"}}},
        {"3,0,0", {{InfoRow::LockStatus, "Заблокирован навсегда"}, {InfoRow::AttemptsLeft, "0"}}},
        {"1", {{InfoRow::LockStatus, "Заблокирован (требуется код)"}}},
        // Attempts are shown as they are, also when empty or odd.
        {"1,", {{InfoRow::LockStatus, "Заблокирован (требуется код)"},
                {InfoRow::AttemptsLeft, ""}}},
        {"1,,0", {{InfoRow::LockStatus, "Заблокирован (требуется код)"},
                  {InfoRow::AttemptsLeft, ""}}},
        {"2, 10 ,0", {{InfoRow::LockStatus, "Разблокирован (код не требуется)"},
                      {InfoRow::AttemptsLeft, " 10 "}}},
        {"0,10,0", {{InfoRow::AttemptsLeft, "10"}}},
        {"01,10,0", {{InfoRow::AttemptsLeft, "10"}}},
        {",5", {{InfoRow::AttemptsLeft, "5"}}},
        {"", {}},
    });
}

TEST(ConfigCodeTables, EveryCodeAndSomeNonCodes) {
    const std::vector<CodeTableCase> tables = {
        {"network technology", DecodeSystemConfig, "", InfoRow::NetworkTechnology,
         {{"2", "Автоматический поиск"},
          {"13", "Только 2G"},
          {"14", "Только 3G"},
          {"16", "Без изменений"}},
         {"0", "1", "3", "15", "02", "013", " 2", ""}},
        {"search order", DecodeSystemConfig, "x,", InfoRow::SearchOrder,
         {{"0", "Автоматический поиск"},
          {"1", "Сначала 2G, затем 3G"},
          {"2", "Сначала 3G, затем 2G"},
          {"3", "Без изменений"}},
         {"4", "00", "2 ", ""}},
        {"band", DecodeSystemConfig, "x,x,", InfoRow::Band,
         {{"80", "GSM DCS systems"},
          {"100", "Extended GSM 900"},
          {"200", "Primary GSM 900"},
          {"200000", "GSM PCS"},
          {"400000", "WCDMA IMT 2000"},
          {"3FFFFFFF", "Любой диапазон"},
          {"40000000", "Без изменений диапазона"}},
         {"3fffffff", "3FFFFFFf", "0x80", "080", "380", "600000", "40000080", "7FFFFFFF",
          "3FFFFFFF0", " 80", ""}},
        {"roaming support", DecodeSystemConfig, "x,x,x,", InfoRow::RoamingSupport,
         {{"0", "Не поддерживается"}, {"1", "Поддерживается"}, {"2", "Без изменений"}},
         {"3", "01", ""}},
        {"lock status", DecodeCardLock, "", InfoRow::LockStatus,
         {{"1", "Заблокирован (требуется код)"},
          {"2", "Разблокирован (код не требуется)"},
          {"3", "Заблокирован навсегда"}},
         {"0", "4", "01", "1 ", ""}},
    };
    for (const CodeTableCase& table : tables) CheckCodeTable(table);
}

}  // namespace
