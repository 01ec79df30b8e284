// Checks on the rows that a decoder or a run wrote, with texts shown in UTF-8 on failure.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "info/captured_rows.h"
#include "info/info_table.h"

// Every row holds this after MarkAllRows until something writes it, so a row written empty
// can be told from a row left alone.
extern const char* const kUntouchedRow;
void MarkAllRows();

// Row -> expected 8-bit text.
using RowTexts = std::map<InfoRow, std::string>;

// Each row listed in `expected` holds exactly its text; every other row holds `others`.
void ExpectRows(const CapturedRows& rows, const RowTexts& expected, const std::string& others);

// Readable form of a 1251 text for failure messages.
std::string Shown(const std::string& text);

// One answer value handed straight to a decoder, and the rows it must write.
struct DecodeCase {
    const char* value;
    RowTexts rows;   // rows written; all others must stay untouched
};

// Runs each case on a fresh row store and checks that only the listed rows changed.
void RunCases(void (*decode)(const char*), const std::vector<DecodeCase>& cases);
