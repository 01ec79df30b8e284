// Configuration and lock answers: ^SYSCFG and ^CARDLOCK. (^VERSION needs no decoding: the run
// places its two lines directly.)
#include "info/config_decoders.h"
#include "info/fields.h"

namespace {

constexpr CodeText kNetworkTechnologyCodes[] = {
    {"2", "Автоматический поиск"},
    {"13", "Только 2G"},
    {"14", "Только 3G"},
    {"16", "Без изменений"},
};

// "2" means 3G first here, while it means automatic search as a network technology.
constexpr CodeText kSearchOrderCodes[] = {
    {"0", "Автоматический поиск"},
    {"1", "Сначала 2G, затем 3G"},
    {"2", "Сначала 3G, затем 2G"},
    {"3", "Без изменений"},
};

// Band masks in upper-case hexadecimal. Only single known masks have a name; a sum of masks
// or a lower-case spelling is shown as nothing rather than guessed at.
constexpr CodeText kBandCodes[] = {
    {"80", "GSM DCS systems"},
    {"100", "Extended GSM 900"},
    {"200", "Primary GSM 900"},
    {"200000", "GSM PCS"},
    {"400000", "WCDMA IMT 2000"},
    {"3FFFFFFF", "Любой диапазон"},
    {"40000000", "Без изменений диапазона"},
};

constexpr CodeText kRoamingSupportCodes[] = {
    {"0", "Не поддерживается"},
    {"1", "Поддерживается"},
    {"2", "Без изменений"},
};

constexpr CodeText kLockStatusCodes[] = {
    {"1", "Заблокирован (требуется код)"},
    {"2", "Разблокирован (код не требуется)"},
    {"3", "Заблокирован навсегда"},
};

constexpr CodeTable kNetworkTechnologyTable = MakeCodeTable(kNetworkTechnologyCodes);
constexpr CodeTable kSearchOrderTable = MakeCodeTable(kSearchOrderCodes);
constexpr CodeTable kBandTable = MakeCodeTable(kBandCodes);
constexpr CodeTable kRoamingSupportTable = MakeCodeTable(kRoamingSupportCodes);
constexpr CodeTable kLockStatusTable = MakeCodeTable(kLockStatusCodes);

// Field 5, the service domain setting, is not shown.
constexpr FieldRule kSystemConfigRules[] = {
    {FieldHandling::Decoded, InfoRow::NetworkTechnology, &kNetworkTechnologyTable},
    {FieldHandling::Decoded, InfoRow::SearchOrder, &kSearchOrderTable},
    {FieldHandling::Decoded, InfoRow::Band, &kBandTable},
    {FieldHandling::Decoded, InfoRow::RoamingSupport, &kRoamingSupportTable},
};

// Field 3, the operator part of the lock, is not shown.
constexpr FieldRule kCardLockRules[] = {
    {FieldHandling::Decoded, InfoRow::LockStatus, &kLockStatusTable},
    {FieldHandling::AsIs, InfoRow::AttemptsLeft, nullptr},
};

}  // namespace

void DecodeSystemConfig(const char* value) {
    DecodeFields(value, kSystemConfigRules,
                 sizeof kSystemConfigRules / sizeof kSystemConfigRules[0]);
}

void DecodeCardLock(const char* value) {
    DecodeFields(value, kCardLockRules, sizeof kCardLockRules / sizeof kCardLockRules[0]);
}
