#include "info/info_table.h"

#include "link/answer.h"

const char* const kShowMoreLabel = " + Показать доп. информацию";
const char* const kShowLessLabel = " - Скрыть доп. информацию";

namespace {

RowStoreWrite InstalledRowWrite = nullptr;
void* InstalledRowContext = nullptr;

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
    InstalledRowWrite = write;
    InstalledRowContext = context;
    // Values the link extracts with placing reach the rows the same way as every other write;
    // without a store SetRowValue drops them, so the placer can stay installed throughout.
    SetAnswerPlacer(&SetRowValue);
}

void SetRowValue(int tableIndex, const char* text) {
    if (tableIndex < 0 || tableIndex >= kInfoRowCount) return;
    if (InstalledRowWrite == nullptr) return;
    InstalledRowWrite(InfoTable[tableIndex].position, text != nullptr ? text : "",
                   InstalledRowContext);
}
