// Network status answers: ^SYSINFO, +CFUN, +CSQ and +COPS.
#include "info/status_decoders.h"

#include "common/signal_level.h"
#include "info/fields.h"
#include "info/info_table.h"
#include "info/signal_text.h"

namespace {

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
    {FieldHandling::Decoded, InfoRow::ServiceStatus, &kServiceStatusTable},
    {FieldHandling::Decoded, InfoRow::ServiceDomain, &kServiceDomainTable},
    {FieldHandling::Decoded, InfoRow::RoamingState, &kRoamingTable},
    {FieldHandling::Decoded, InfoRow::SystemMode, &kSystemModeTable},
    {FieldHandling::Decoded, InfoRow::SimState, &kSimStateTable},
    {FieldHandling::AsIs, InfoRow::SimLockState, nullptr},
    {FieldHandling::Decoded, InfoRow::SystemSubmode, &kSubmodeTable},
};

constexpr FieldRule kFunctionalityRules[] = {
    {FieldHandling::Decoded, InfoRow::Functionality, &kFunctionalityTable},
};

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
    char text[kSignalTextSize];
    SignalLevelText(SignalLevelFromCsq(field.text, field.length), text, sizeof text);
    SetRowValue(InfoRow::Signal, text);
}

void DecodeOperator(const char* value) {
    FieldReader reader(value);
    FieldView field{};
    if (!reader.Next(&field)) return;
    WriteDecodedField(InfoRow::SelectionMode, field, kSelectionModeTable);
    if (!reader.Next(&field)) return;   // field 2, the name format, is not shown
    if (!reader.Next(&field)) return;
    // A quoted name loses its quotes. A field already ends at the next comma, so a name that
    // contains a comma is shown up to it.
    if (field.length > 0 && field.text[0] == '"') {
        ++field.text;
        --field.length;
    }
    if (field.length > 0 && field.text[field.length - 1] == '"') --field.length;
    WriteFieldAsIs(InfoRow::Operator, field);
}
