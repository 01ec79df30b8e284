// Decoders of the network status answers. Each reads the value ExtractAnswer left (not placed)
// and writes its rows with SetRowValue; none of them stops the information run.
#pragma once

void DecodeSystemInfo(const char* value);      // ^SYSINFO -> rows 8..14
void DecodeFunctionality(const char* value);   // +CFUN    -> row 16
void DecodeSignal(const char* value);          // +CSQ     -> row 17
void DecodeOperator(const char* value);        // +COPS    -> rows 18, 19
