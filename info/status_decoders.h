// Decoders of the network status answers. Each reads the value ExtractAnswer left (not placed)
// and writes its rows with SetRowValue; none of them stops the information run.
#pragma once

// ^SYSINFO -> InfoRow::ServiceStatus .. InfoRow::SimLockState
void DecodeSystemInfo(const char* value);
// +CFUN -> InfoRow::Functionality
void DecodeFunctionality(const char* value);
// +CSQ -> InfoRow::Signal: the level of its first field (SignalLevelFromCsq) in the row's
// words (signal_text.h)
void DecodeSignal(const char* value);
// +COPS -> InfoRow::SelectionMode, InfoRow::Operator
void DecodeOperator(const char* value);
