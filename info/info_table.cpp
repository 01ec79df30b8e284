#include "info/info_table.h"

#include "link/answer.h"

const InfoTableEntry InfoTable[kInfoRowCount] = {
    {"Производитель", 0},
    {"Модель", 1},
    {"Версия прошивки", 9},
    {"Версия железа", 10},
    {"Версии (прошивки и железа)", 2},
    {"IMEI", 3},
    {"IMSI", 11},
    {"Наборы команд", 12},
    {"Статус сервиса", 13},
    {"Домен сервиса", 14},
    {"Состояние роуминга", 15},
    {"Режим системы", 16},
    {"Субрежим системы", 17},
    {"Состояние SIM", 18},
    {"Состояние блокировки SIM", 19},
    {"Статус PIN", 20},
    {"Функциональность железа", 21},
    {"Уровень сигнала", 22},
    {"Режим сети", 23},
    {"Оператор", 24},
    {"Технология сети", 25},
    {"Порядок поиска технологии", 26},
    {"Диапазон частот", 27},
    {"Поддержка роуминга", 28},
    {"Дата/время компиляции", 4},
    {"Версия Dashboard", 5},
    {"Статус блокировки", 6},
    {"Осталось попыток ввода кода", 7},
    {" + Показать доп. информацию", 8},
};

const char* const kShowMoreLabel = " + Показать доп. информацию";
const char* const kShowLessLabel = " - Скрыть доп. информацию";

namespace {

RowStoreWrite installedWrite = nullptr;
void* installedContext = nullptr;

}  // namespace

// Positions outside the list count as extra rows: they are never shown as basic ones.
RowGroup GroupOfPosition(int position) {
    if (position >= 0 && position < kBasicRowCount) return RowGroup::Basic;
    if (position == kShowMorePosition) return RowGroup::ShowMore;
    return RowGroup::Extra;
}

bool IsInitiallyChecked(int position) { return GroupOfPosition(position) == RowGroup::Basic; }

int TableIndexAtPosition(int position) {
    for (int index = 0; index < kInfoRowCount; ++index) {
        if (InfoTable[index].position == position) return index;
    }
    return -1;
}

void InstallRowStore(RowStoreWrite write, void* context) {
    installedWrite = write;
    installedContext = context;
    // Values the link extracts with placing reach the rows the same way as every other write;
    // without a store SetRowValue drops them, so the placer can stay installed throughout.
    SetAnswerPlacer(&SetRowValue);
}

void SetRowValue(int tableIndex, const char* text) {
    if (tableIndex < 0 || tableIndex >= kInfoRowCount) return;
    if (installedWrite == nullptr) return;
    installedWrite(InfoTable[tableIndex].position, text != nullptr ? text : "",
                   installedContext);
}
