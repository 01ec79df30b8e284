// One parser per reply the radio facts read. Each takes the raw reply (echo, unsolicited lines
// and all), fills the facts its reply holds into `facts` and returns true when the reply held
// its line at all. Values outside their scale, and malformed numbers (a sign on a field that
// is never negative, "-0" included; a fraction in an integer field), are left unknown. The
// parsers name no command: whoever asked stamps the facts (StampSources), and the band of an
// EARFCN, LTE+NR and NR's blank metrics follow once the reading is whole (CompleteFacts).
#pragma once

#include <string_view>

#include "radio/radio_facts.h"

// 3GPP TS 27.007
bool ParseCops(std::string_view reply, RadioFacts* facts);
bool ParseCesq(std::string_view reply, RadioFacts* facts);
bool ParseCsq(std::string_view reply, RadioFacts* facts);
bool ParseC5greg(std::string_view reply, RadioFacts* facts);
bool ParseCereg(std::string_view reply, RadioFacts* facts);
bool ParseCgreg(std::string_view reply, RadioFacts* facts);
bool ParseCreg(std::string_view reply, RadioFacts* facts);
bool ParseCpin(std::string_view reply, RadioFacts* facts);
bool ParseCfun(std::string_view reply, RadioFacts* facts);

// The caret family
bool ParseHcsq(std::string_view reply, RadioFacts* facts);
bool ParseSysinfoex(std::string_view reply, RadioFacts* facts);
bool ParseHfreqinfo(std::string_view reply, RadioFacts* facts);
bool ParseMonsc(std::string_view reply, RadioFacts* facts);

// The +QENG family (serving cell query, one-line and multi-line forms; the carrier list)
bool ParseQeng(std::string_view reply, RadioFacts* facts);
bool ParseQcainfo(std::string_view reply, RadioFacts* facts);

// The +CPSI family
bool ParseCpsi(std::string_view reply, RadioFacts* facts);

// The raw values behind the facts, for the reading that reports them as the modem gave them:
// +CSQ's first field as a level (false without a +CSQ line or a number in it), the <stat> of a
// registration read form (an unsolicited report is none), +CPIN's text ("READY", "SIM PIN").
bool CsqLevelOf(std::string_view reply, SignalLevel* level);
bool RegistrationStatOf(std::string_view reply, std::string_view prefix, long long* stat);
bool SimStateOf(std::string_view reply, std::string_view* state);

// What a set command must put back. The read forms of the registration commands, told from
// their unsolicited reports by their first two fields (<n>,<stat>); the last one counts.
bool RegistrationModeOf(std::string_view reply, std::string_view prefix, long long* mode);
// The <format> of +COPS? (0 long name, 1 short name, 2 numeric); false when the reply has
// only the <mode> (no operator selected).
bool CopsFormatOf(std::string_view reply, long long* format);

// The access technology of a +COPS <AcT> value (3GPP TS 27.007: 0, 1, 3, 8 GSM; 2, 4, 5, 6
// UTRAN; 7, 9 E-UTRAN; 10 E-UTRAN on a 5G core; 11 NR on a 5G core; 12 NG-RAN; 13
// E-UTRA-NR dual connectivity).
RadioTech TechFromAct(long long act);
