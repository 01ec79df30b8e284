// Decoders of the configuration and lock answers. Each reads the value ExtractAnswer left (not
// placed) and writes its rows with SetRowValue; none of them stops the information run.
#pragma once

void DecodeSystemConfig(const char* value);    // ^SYSCFG  -> rows 20..23
void DecodeCardLock(const char* value);        // ^CARDLOCK -> rows 26, 27
