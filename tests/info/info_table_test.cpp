#include "info/info_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "info/captured_rows.h"
#include "tests/info/row_checks.h"

namespace {

// Each row's name pinned to its table index, label and screen position, in literal numbers:
// renumbering the enum or the table must show up here.
struct PinnedRow {
    InfoRow row;
    int index;
    const char* name;
    int position;
};

const PinnedRow kPinnedRows[] = {
    {InfoRow::Manufacturer, 0, "Производитель", 0},
    {InfoRow::Model, 1, "Модель", 1},
    {InfoRow::FirmwareVersion, 2, "Версия прошивки", 9},
    {InfoRow::HardwareVersion, 3, "Версия железа", 10},
    {InfoRow::Versions, 4, "Версии (прошивки и железа)", 2},
    {InfoRow::Imei, 5, "IMEI", 3},
    {InfoRow::Imsi, 6, "IMSI", 11},
    {InfoRow::CommandSets, 7, "Наборы команд", 12},
    {InfoRow::ServiceStatus, 8, "Статус сервиса", 13},
    {InfoRow::ServiceDomain, 9, "Домен сервиса", 14},
    {InfoRow::RoamingState, 10, "Состояние роуминга", 15},
    {InfoRow::SystemMode, 11, "Режим системы", 16},
    {InfoRow::SystemSubmode, 12, "Субрежим системы", 17},
    {InfoRow::SimState, 13, "Состояние SIM", 18},
    {InfoRow::SimLockState, 14, "Состояние блокировки SIM", 19},
    {InfoRow::PinStatus, 15, "Статус PIN", 20},
    {InfoRow::Functionality, 16, "Функциональность железа", 21},
    {InfoRow::Signal, 17, "Уровень сигнала", 22},
    {InfoRow::SelectionMode, 18, "Режим сети", 23},
    {InfoRow::Operator, 19, "Оператор", 24},
    {InfoRow::NetworkTechnology, 20, "Технология сети", 25},
    {InfoRow::SearchOrder, 21, "Порядок поиска технологии", 26},
    {InfoRow::Band, 22, "Диапазон частот", 27},
    {InfoRow::RoamingSupport, 23, "Поддержка роуминга", 28},
    {InfoRow::BuildDate, 24, "Дата/время компиляции", 4},
    {InfoRow::DashboardVersion, 25, "Версия Dashboard", 5},
    {InfoRow::LockStatus, 26, "Статус блокировки", 6},
    {InfoRow::AttemptsLeft, 27, "Осталось попыток ввода кода", 7},
    {InfoRow::ShowMore, 28, " + Показать доп. информацию", 8},
};

const std::vector<int> kScreenOrder = {0,  1,  4,  5,  24, 25, 26, 27, 28, 2,  3,  6,  7,  8, 9,
                                       10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};

TEST(InfoTableRows, EachNameHasItsIndexLabelAndPosition) {
    ASSERT_EQ(sizeof kPinnedRows / sizeof kPinnedRows[0], static_cast<size_t>(kInfoRowCount));
    EXPECT_EQ(kInfoRowCount, 29);
    for (const PinnedRow& pinned : kPinnedRows) {
        SCOPED_TRACE(pinned.index);
        EXPECT_EQ(RowIndex(pinned.row), pinned.index);
        EXPECT_EQ(RowPosition(pinned.row), pinned.position);
        ASSERT_GE(pinned.index, 0);
        ASSERT_LT(pinned.index, kInfoRowCount);
        EXPECT_EQ(InfoTable[pinned.index].row, pinned.row);
        EXPECT_EQ(std::string(InfoTable[pinned.index].name), pinned.name)
            << Shown(InfoTable[pinned.index].name);
        EXPECT_EQ(InfoTable[pinned.index].position, pinned.position);
    }
}

TEST(InfoTableRows, SortingByPositionGivesTheScreenOrder) {
    std::vector<int> byPosition(kInfoRowCount, -1);
    for (int index = 0; index < kInfoRowCount; ++index) {
        const int position = InfoTable[index].position;
        ASSERT_GE(position, 0);
        ASSERT_LT(position, kInfoRowCount);
        ASSERT_EQ(byPosition[position], -1) << "two rows at position " << position;
        byPosition[position] = index;
    }
    EXPECT_EQ(byPosition, kScreenOrder);
}

// The list is filled in table order, each row inserted at its position; a position beyond the
// current row count appends. That must give the same screen order.
TEST(InfoTableRows, InsertingInTableOrderGivesTheScreenOrder) {
    std::vector<int> list;
    for (int index = 0; index < kInfoRowCount; ++index) {
        const size_t at = std::min(static_cast<size_t>(InfoTable[index].position), list.size());
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), index);
    }
    EXPECT_EQ(list, kScreenOrder);
}

TEST(InfoTableRows, TableIndexAtPositionInvertsThePositions) {
    for (int position = 0; position < kInfoRowCount; ++position) {
        EXPECT_EQ(TableIndexAtPosition(position), kScreenOrder[position]) << position;
    }
    for (int position : {-1, kInfoRowCount, 100, INT_MIN, INT_MAX}) {
        EXPECT_EQ(TableIndexAtPosition(position), -1) << position;
    }
}

TEST(InfoTableRows, GroupsFollowThePositions) {
    for (int position = 0; position < kInfoRowCount; ++position) {
        const RowGroup want = position < 8    ? RowGroup::Basic
                              : position == 8 ? RowGroup::ShowMore
                                              : RowGroup::Extra;
        EXPECT_EQ(GroupOfPosition(position), want) << position;
    }
    EXPECT_EQ(kShowMorePosition, 8);
    EXPECT_EQ(TableIndexAtPosition(kShowMorePosition), RowIndex(InfoRow::ShowMore));
    EXPECT_NE(GroupOfPosition(-1), RowGroup::Basic);
    EXPECT_NE(GroupOfPosition(kInfoRowCount), RowGroup::Basic);
}

TEST(InfoTableRows, OnlyTheBasicRowsStartChecked) {
    for (int position = 0; position < kInfoRowCount; ++position) {
        EXPECT_EQ(IsInitiallyChecked(position), position < 8) << position;
    }
    EXPECT_FALSE(IsInitiallyChecked(-1));
    EXPECT_FALSE(IsInitiallyChecked(kInfoRowCount));
}

// The copy takes checked rows in table order: by default these eight names.
TEST(InfoTableRows, DefaultCheckedRowsInTableOrder) {
    std::vector<std::string> names;
    for (const InfoTableEntry& entry : InfoTable) {
        if (IsInitiallyChecked(entry.position)) names.push_back(entry.name);
    }
    const std::vector<std::string> want = {
        "Производитель",     "Модель",          "Версии (прошивки и железа)",
        "IMEI",              "Дата/время компиляции", "Версия Dashboard",
        "Статус блокировки", "Осталось попыток ввода кода"};
    EXPECT_EQ(names, want);
}

TEST(InfoTableRows, ShowMoreLabelsCarryOneLeadingBlank) {
    EXPECT_EQ(std::string(kShowMoreLabel), " + Показать доп. информацию");
    EXPECT_EQ(std::string(kShowLessLabel), " - Скрыть доп. информацию");
    EXPECT_EQ(std::string(kShowMoreLabel), InfoTable[RowIndex(InfoRow::ShowMore)].name);
}

struct PositionRecorder {
    std::vector<std::pair<int, std::string>> writes;
    static void Write(int position, const char* text, void* context) {
        static_cast<PositionRecorder*>(context)->writes.emplace_back(position, text);
    }
};

TEST(SetRowValue, ReachesTheStoreAtTheRowsPosition) {
    PositionRecorder recorder;
    InstallRowStore(&PositionRecorder::Write, &recorder);
    SetRowValue(24, "build date");
    SetRowValue(2, "firmware");
    SetRowValue(28, "");
    InstallRowStore(nullptr, nullptr);
    const std::vector<std::pair<int, std::string>> want = {
        {4, "build date"}, {9, "firmware"}, {8, ""}};
    EXPECT_EQ(recorder.writes, want);
}

TEST(SetRowValue, IgnoresIndexesOutsideTheTable) {
    CapturedRows rows;
    for (int index : {-1, kInfoRowCount, 1000, INT_MIN, INT_MAX}) SetRowValue(index, "x");
    EXPECT_EQ(rows.Writes(), 0);
}

TEST(SetRowValue, NullTextWritesTheEmptyText) {
    PositionRecorder recorder;
    InstallRowStore(&PositionRecorder::Write, &recorder);
    SetRowValue(0, nullptr);
    InstallRowStore(nullptr, nullptr);
    ASSERT_EQ(recorder.writes.size(), 1u);
    EXPECT_EQ(recorder.writes[0].first, 0);
    EXPECT_EQ(recorder.writes[0].second, "");
}

TEST(SetRowValue, StoreRemovedGetsNothingMore) {
    PositionRecorder recorder;
    InstallRowStore(&PositionRecorder::Write, &recorder);
    InstallRowStore(nullptr, nullptr);
    SetRowValue(0, "nobody listens");
    EXPECT_TRUE(recorder.writes.empty());
}

}  // namespace
