// The vendor families that carry what the standard commands lack (SINR, band, channel, PCI),
// one row each. A family is known by its probe command: the first query of its row. Adding a
// family is a row here, a parser in reply_parsers.h and its tests.
#pragma once

#include <string_view>

#include "radio/radio_facts.h"

using ReplyParser = bool (*)(std::string_view reply, RadioFacts* facts);

struct FamilyQuery {
    const char* command;   // nullptr ends the list
    ReplyParser parse;
};

constexpr int kMaxFamilyQueries = 4;

struct RadioFamily {
    const char* name;   // the command prefix that names it: "^HCSQ", "+QENG", "+CPSI"
    FamilyQuery queries[kMaxFamilyQueries];
    const char* yields; // for people: what the family's replies give
};

const RadioFamily* RadioFamilies(int* count);

// The index in RadioFamilies() of the family named `name` ("+QENG"), -1 when none is.
int RadioFamilyNamed(std::string_view name);

// The standard queries of 3GPP TS 27.007 the reading uses beside the families.
struct StandardQueries {
    static constexpr const char* kCesq = "AT+CESQ";
    static constexpr const char* kCsq = "AT+CSQ";
    static constexpr const char* kCops = "AT+COPS?";
    static constexpr const char* kCfun = "AT+CFUN?";
    static constexpr const char* kCpin = "AT+CPIN?";
};
