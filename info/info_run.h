// The information run: the fixed 17-query sequence against one port entry.
#pragma once

constexpr int kInfoQueryCount = 17;

// Returns 1 when the entry's port cannot be opened (the table is then left cleared) and 0
// after a completed run. Every value reaches the table through SetRowValue.
int ReadModemInfo(const char* entry);

// Told before each query is sent (step 1..17), so a front end can say what the run waits on.
using InfoRunProgress = void (*)(int step, const char* command, void* context);
void SetInfoRunProgress(InfoRunProgress progress, void* context);

// The same run on a device path directly (the command-line tool's device-path form).
int ReadModemInfoAtPath(const char* path);

// Whether the last run lost its port midway: a read or write failed because the device went
// away (PortFailed), which a silent modem never causes. The run stops there, so the rows read
// until then keep their values and the later ones stay empty, as the window shows them;
// `step` (1 to kInfoQueryCount) and `command` name the query that found the modem gone, and
// PortErrorText says how. False after a run that kept its port, or never opened one.
bool InfoRunLostThePort(int* step, const char** command);
