// The 29-row information table: the rows' names, table indices and screen positions, groups
// and initial check marks, and the one seam through which values reach whatever row store the
// front end installed.
#pragma once

#include <cstdint>

// The rows by table index: the order of the run's writes, of the copy, of `info`'s output.
// The table below gives each its name and its position in the list on screen; a position is
// not an index (the versions row is index 4 but position 2). Renumbering is done here and in
// the table, and the checks below refuse a table that no longer follows the enum.
enum class InfoRow : int {
    Manufacturer,
    Model,
    FirmwareVersion,
    HardwareVersion,
    Versions,
    Imei,
    Imsi,
    CommandSets,
    ServiceStatus,
    ServiceDomain,
    RoamingState,
    SystemMode,
    SystemSubmode,
    SimState,
    SimLockState,
    PinStatus,
    Functionality,
    Signal,
    SelectionMode,
    Operator,
    NetworkTechnology,
    SearchOrder,
    Band,
    RoamingSupport,
    BuildDate,
    DashboardVersion,
    LockStatus,
    AttemptsLeft,
    ShowMore,
};

constexpr int kInfoRowCount = static_cast<int>(InfoRow::ShowMore) + 1;

constexpr int RowIndex(InfoRow row) { return static_cast<int>(row); }

enum class RowGroup { Basic, ShowMore, Extra };

struct InfoTableEntry {
    InfoRow row;          // the entry's own index, checked below
    const char* name;     // bare label, as the copy uses it
    int32_t position;     // index in the list on screen
};

inline constexpr InfoTableEntry InfoTable[kInfoRowCount] = {
    {InfoRow::Manufacturer, "Производитель", 0},
    {InfoRow::Model, "Модель", 1},
    {InfoRow::FirmwareVersion, "Версия прошивки", 9},
    {InfoRow::HardwareVersion, "Версия железа", 10},
    {InfoRow::Versions, "Версии (прошивки и железа)", 2},
    {InfoRow::Imei, "IMEI", 3},
    {InfoRow::Imsi, "IMSI", 11},
    {InfoRow::CommandSets, "Наборы команд", 12},
    {InfoRow::ServiceStatus, "Статус сервиса", 13},
    {InfoRow::ServiceDomain, "Домен сервиса", 14},
    {InfoRow::RoamingState, "Состояние роуминга", 15},
    {InfoRow::SystemMode, "Режим системы", 16},
    {InfoRow::SystemSubmode, "Субрежим системы", 17},
    {InfoRow::SimState, "Состояние SIM", 18},
    {InfoRow::SimLockState, "Состояние блокировки SIM", 19},
    {InfoRow::PinStatus, "Статус PIN", 20},
    {InfoRow::Functionality, "Функциональность железа", 21},
    {InfoRow::Signal, "Уровень сигнала", 22},
    {InfoRow::SelectionMode, "Режим сети", 23},
    {InfoRow::Operator, "Оператор", 24},
    {InfoRow::NetworkTechnology, "Технология сети", 25},
    {InfoRow::SearchOrder, "Порядок поиска технологии", 26},
    {InfoRow::Band, "Диапазон частот", 27},
    {InfoRow::RoamingSupport, "Поддержка роуминга", 28},
    {InfoRow::BuildDate, "Дата/время компиляции", 4},
    {InfoRow::DashboardVersion, "Версия Dashboard", 5},
    {InfoRow::LockStatus, "Статус блокировки", 6},
    {InfoRow::AttemptsLeft, "Осталось попыток ввода кода", 7},
    {InfoRow::ShowMore, " + Показать доп. информацию", 8},
};

constexpr int RowPosition(InfoRow row) { return InfoTable[RowIndex(row)].position; }

namespace info_table_checks {

constexpr bool EntriesFollowTheEnum() {
    for (int index = 0; index < kInfoRowCount; ++index) {
        if (RowIndex(InfoTable[index].row) != index) return false;
    }
    return true;
}

constexpr bool EachPositionOnce() {
    for (int position = 0; position < kInfoRowCount; ++position) {
        int holders = 0;
        for (const InfoTableEntry& entry : InfoTable) holders += entry.position == position;
        if (holders != 1) return false;
    }
    return true;
}

}  // namespace info_table_checks

static_assert(info_table_checks::EntriesFollowTheEnum(), "InfoTable must list the rows in enum order");
static_assert(info_table_checks::EachPositionOnce(), "every screen position must hold one row");

constexpr int kBasicRowCount = 8;   // positions 0..7, the rows shown and checked at first
constexpr int kShowMorePosition = RowPosition(InfoRow::ShowMore);
static_assert(kShowMorePosition == kBasicRowCount, "the show-more row follows the basic rows");

// Show-more row labels, stored with one leading blank.
extern const char* const kShowMoreLabel;
extern const char* const kShowLessLabel;

RowGroup GroupOfPosition(int position);
bool IsInitiallyChecked(int position);
// Table index of the row shown at `position`, or -1.
int TableIndexAtPosition(int position);

// A row store receives every value write, addressed by screen position.
using RowStoreWrite = void (*)(int position, const char* text, void* context);
void InstallRowStore(RowStoreWrite write, void* context);

// Sets the value column of row `tableIndex`. Out-of-range indexes are ignored.
void SetRowValue(int tableIndex, const char* text);
inline void SetRowValue(InfoRow row, const char* text) { SetRowValue(RowIndex(row), text); }
