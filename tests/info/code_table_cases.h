// One code table of a decoder, checked code by code through the decoder itself.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "info/info_table.h"

struct CodeTableCase {
    const char* name;
    void (*decode)(const char* value);
    std::string fieldsBefore;   // fields in front of the decoded one, commas included
    InfoRow row;
    std::vector<std::pair<std::string, std::string>> codes;   // code, row text
    std::vector<std::string> nonCodes;                        // must leave the row alone
};

void CheckCodeTable(const CodeTableCase& table);
