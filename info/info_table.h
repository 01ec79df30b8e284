// The 29-row information table: names, screen positions, groups and initial check marks, and
// the one seam through which values reach whatever row store the front end installed.
#pragma once

#include <cstdint>

constexpr int kInfoRowCount = 29;
constexpr int kBasicRowCount = 8;          // positions 0..7
constexpr int kShowMorePosition = 8;
constexpr int kShowMoreIndex = 28;

enum class RowGroup { Basic, ShowMore, Extra };

struct InfoTableEntry {
    const char* name;     // bare label, as the copy uses it
    int32_t position;     // index in the list on screen
};
extern const InfoTableEntry InfoTable[kInfoRowCount];

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
