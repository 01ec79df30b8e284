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

// The standard queries of 3GPP TS 27.007 the reading uses beside the families.
struct StandardQueries {
    static constexpr const char* kCesq = "AT+CESQ";
    static constexpr const char* kCsq = "AT+CSQ";
    static constexpr const char* kCops = "AT+COPS?";
    static constexpr const char* kCfun = "AT+CFUN?";
    static constexpr const char* kCpin = "AT+CPIN?";
    static constexpr const char* kCreg = "AT+CREG?";
};

// What a modem answers for its radio facts beyond +CSQ, as the probe of RadioSession found
// out: a vendor family, else the standard +CESQ alone ("standard only"), else nothing
// ("none"); "untried" until a probe decided.
class RadioFamilyId {
public:
    constexpr RadioFamilyId() = default;   // untried
    static constexpr RadioFamilyId StandardOnly() { return RadioFamilyId(Kind::StandardOnly, nullptr); }
    static constexpr RadioFamilyId None() { return RadioFamilyId(Kind::None, nullptr); }
    static constexpr RadioFamilyId Of(const RadioFamily* family) { return RadioFamilyId(Kind::Family, family); }

    bool IsUntried() const { return kind_ == Kind::Untried; }
    bool IsStandardOnly() const { return kind_ == Kind::StandardOnly; }
    bool IsNone() const { return kind_ == Kind::None; }
    // The family's row; nullptr unless a vendor family answered.
    const RadioFamily* Family() const { return family_; }

    bool operator==(const RadioFamilyId& other) const { return kind_ == other.kind_ && family_ == other.family_; }
    bool operator!=(const RadioFamilyId& other) const { return !(*this == other); }

private:
    enum class Kind : unsigned char { Untried, StandardOnly, None, Family };
    constexpr RadioFamilyId(Kind kind, const RadioFamily* family) : kind_(kind), family_(family) {}

    Kind kind_ = Kind::Untried;
    const RadioFamily* family_ = nullptr;
};

// The id as a text that carries it from one reading process to the next (`read-modem`'s
// --radio-family, its "radio_family"): the family's name ("^HCSQ"), "+CESQ" for standard only,
// "none"; "" for untried. The texts stay the same across versions.
const char* RadioFamilyText(RadioFamilyId id);
// Read back tolerantly: a text no version wrote, or a family this version does not know, is
// untried, so the next reading probes again.
RadioFamilyId RadioFamilyFromText(std::string_view text);
