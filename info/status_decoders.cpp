// Network status answers: ^SYSINFO, +CFUN, +CSQ and +COPS.
#include <cstdint>
#include <cstdio>

#include "info/status_decoders.h"
#include "info/fields.h"
#include "info/info_table.h"

namespace {

constexpr int kServiceStatusRow = 8;
constexpr int kServiceDomainRow = 9;
constexpr int kRoamingStateRow = 10;
constexpr int kSystemModeRow = 11;
constexpr int kSystemSubmodeRow = 12;
constexpr int kSimStateRow = 13;
constexpr int kSimLockStateRow = 14;
constexpr int kFunctionalityRow = 16;
constexpr int kSignalRow = 17;
constexpr int kSelectionModeRow = 18;
constexpr int kOperatorRow = 19;

constexpr CodeText kServiceStatusCodes[] = {
    {"0", "Нет сервиса"},
    {"1", "Ограниченный сервис"},
    {"2", "Нормальный сервис"},
    {"3", "Ограниченный региональный сервис"},
    {"4", "Энергосберегающий и спящий режим"},
};

constexpr CodeText kServiceDomainCodes[] = {
    {"0", "Нет сервиса"},
    {"1", "Только сервис CS"},
    {"2", "Только сервис PS"},
    {"3", "Сервисы PS+CS"},
    {"4", "CS и PS не зарегистрированы, поиск..."},
};

constexpr CodeText kRoamingCodes[] = {
    {"0", "Не в роуминге"},
    {"1", "В роуминге"},
};

constexpr CodeText kSystemModeCodes[] = {
    {"0", "Нет сервиса"},
    {"1", "AMPS"},
    {"2", "CDMA"},
    {"3", "GSM/GPRS"},
    {"4", "HDR"},
    {"5", "WCDMA"},
    {"6", "GPS"},
    {"7", "GSM/WCDMA"},
    {"8", "CDMA/HDR Hybrid"},
};

constexpr CodeText kSimStateCodes[] = {
    {"0", "Неверное состояние карты USIM или pin-код заблокирован"},
    {"1", "Нормальное состояние карты USIM"},
    {"2", "USIM неверная по причине CS"},
    {"3", "USIM неверная по причине PS"},
    {"4", "USIM неверная по причине CS или PS"},
    {"255", "USIM карта отсутствует"},
};

constexpr CodeText kSubmodeCodes[] = {
    {"0", "Нет сервиса"},
    {"1", "GSM"},
    {"2", "GPRS"},
    {"3", "EDGE"},
    {"4", "WCDMA"},
    {"5", "HSDPA"},
    {"6", "HSUPA"},
    {"7", "HSDPA/HSUPA"},
};

constexpr CodeText kFunctionalityCodes[] = {
    {"0", "Минимальная"},
    {"1", "Полная"},
    {"2", "Выключен передатчик"},
    {"3", "Выключен приемник"},
    {"4", "Выключен передатчик и приемник"},
    {"5", "Только GSM"},
    {"6", "Только WCDMA"},
};

constexpr CodeText kSelectionModeCodes[] = {
    {"0", "Автоматический"},
    {"1", "Ручной"},
    {"2", "Отмена регистрации в сети"},
    {"4", "Если ручной не удастся, пробовать автоматический"},
};

constexpr CodeTable kServiceStatusTable = MakeCodeTable(kServiceStatusCodes);
constexpr CodeTable kServiceDomainTable = MakeCodeTable(kServiceDomainCodes);
constexpr CodeTable kRoamingTable = MakeCodeTable(kRoamingCodes);
constexpr CodeTable kSystemModeTable = MakeCodeTable(kSystemModeCodes);
constexpr CodeTable kSimStateTable = MakeCodeTable(kSimStateCodes);
constexpr CodeTable kSubmodeTable = MakeCodeTable(kSubmodeCodes);
constexpr CodeTable kFunctionalityTable = MakeCodeTable(kFunctionalityCodes);
constexpr CodeTable kSelectionModeTable = MakeCodeTable(kSelectionModeCodes);

// The answer lists fields 5 to 7 as SIM state, lock state and submode, while the table shows
// the submode above the SIM rows; hence the rows out of order.
constexpr FieldRule kSystemInfoRules[] = {
    {FieldHandling::Decoded, kServiceStatusRow, &kServiceStatusTable},
    {FieldHandling::Decoded, kServiceDomainRow, &kServiceDomainTable},
    {FieldHandling::Decoded, kRoamingStateRow, &kRoamingTable},
    {FieldHandling::Decoded, kSystemModeRow, &kSystemModeTable},
    {FieldHandling::Decoded, kSimStateRow, &kSimStateTable},
    {FieldHandling::AsIs, kSimLockStateRow, nullptr},
    {FieldHandling::Decoded, kSystemSubmodeRow, &kSubmodeTable},
};

constexpr FieldRule kFunctionalityRules[] = {
    {FieldHandling::Decoded, kFunctionalityRow, &kFunctionalityTable},
};

// +CSQ reports 99 when the modem has no measurement (3GPP TS 27.007).
constexpr long long kSignalUnknown = 99;
constexpr const char* kSignalUnknownText = "Неизвестно";

bool IsFormatBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads the field as "%d" would (leading blanks, an optional sign, digits up to the first
// non-digit; 0 when there is no number), but saturates instead of overflowing.
long long ReadSignalValue(FieldView field) {
    constexpr long long kLimit = 1000000000000LL;   // far beyond any level, far below overflow
    size_t i = 0;
    while (i < field.length && IsFormatBlank(field.text[i])) ++i;
    bool negative = false;
    if (i < field.length && (field.text[i] == '+' || field.text[i] == '-')) {
        negative = field.text[i] == '-';
        ++i;
    }
    long long magnitude = 0;
    for (; i < field.length && field.text[i] >= '0' && field.text[i] <= '9'; ++i) {
        if (magnitude < kLimit) magnitude = magnitude * 10 + (field.text[i] - '0');
    }
    if (magnitude > kLimit) magnitude = kLimit;
    return negative ? -magnitude : magnitude;
}

const char* SignalGrade(long long level) {
    if (level <= -95) return "Плохо";
    if (level <= -85) return "Удовлетворительно";
    if (level <= -75) return "Хорошо";
    return "Отлично";
}

}  // namespace

void DecodeSystemInfo(const char* value) {
    DecodeFields(value, kSystemInfoRules, sizeof kSystemInfoRules / sizeof kSystemInfoRules[0]);
}

void DecodeFunctionality(const char* value) {
    DecodeFields(value, kFunctionalityRules,
                 sizeof kFunctionalityRules / sizeof kFunctionalityRules[0]);
}

void DecodeSignal(const char* value) {
    FieldReader reader(value);
    FieldView field{};
    if (!reader.Next(&field)) return;
    const long long signal = ReadSignalValue(field);
    if (signal == kSignalUnknown) {
        SetRowValue(kSignalRow, kSignalUnknownText);
        return;
    }
    long long level = 2 * signal - 113;
    if (level > INT32_MAX) level = INT32_MAX;
    if (level < INT32_MIN) level = INT32_MIN;
    char text[64];
    std::snprintf(text, sizeof text, "%d dBm (%s)", static_cast<int>(level), SignalGrade(level));
    SetRowValue(kSignalRow, text);
}

void DecodeOperator(const char* value) {
    FieldReader reader(value);
    FieldView field{};
    if (!reader.Next(&field)) return;
    WriteDecodedField(kSelectionModeRow, field, kSelectionModeTable);
    if (!reader.Next(&field)) return;   // field 2, the name format, is not shown
    if (!reader.Next(&field)) return;
    // A quoted name loses its quotes. A field already ends at the next comma, so a name that
    // contains a comma is shown up to it.
    if (field.length > 0 && field.text[0] == '"') {
        ++field.text;
        --field.length;
    }
    if (field.length > 0 && field.text[field.length - 1] == '"') --field.length;
    WriteFieldAsIs(kOperatorRow, field);
}
