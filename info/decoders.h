// Decoders of the information run: each reads the value ExtractAnswer left (not placed) and
// writes its rows with SetRowValue. None of them stops the run.
#pragma once

// Network status
void DecodeSystemInfo(const char* value);      // ^SYSINFO -> rows 8..14
void DecodeFunctionality(const char* value);   // +CFUN    -> row 16
void DecodeSignal(const char* value);          // +CSQ     -> row 17
void DecodeOperator(const char* value);        // +COPS    -> rows 18, 19

// Configuration and lock
void DecodeSystemConfig(const char* value);    // ^SYSCFG  -> rows 20..23
void DecodeCardLock(const char* value);        // ^CARDLOCK -> rows 26, 27

// Looks `prefix` up in the last reply (ExtractAnswer, not placed) and hands the value to
// `decode`. A missing prefix or an empty value is no answer: nothing is decoded and false is
// returned.
bool DecodeAnswer(const char* prefix, void (*decode)(const char* value));
