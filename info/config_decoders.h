// Decoders of the configuration and lock answers. Each reads the value ExtractAnswer left (not
// placed) and writes its rows with SetRowValue; none of them stops the information run.
#pragma once

// ^SYSCFG -> InfoRow::NetworkTechnology .. InfoRow::RoamingSupport
void DecodeSystemConfig(const char* value);
// ^CARDLOCK -> InfoRow::LockStatus, InfoRow::AttemptsLeft
void DecodeCardLock(const char* value);
