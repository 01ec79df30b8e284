// The table of exit-cleanup steps shared by the platform files: registration under a tiny
// spin lock, and a run-once state that a signal handler may read and change.
#pragma once

#include "common/exit_cleanup.h"

// Appends `step` (a step already there is not added twice). False when the table is full.
bool AddStepToTable(ExitCleanupStep step);

// True for exactly one caller, the one that must run the steps; false when they ran already
// or are running elsewhere (StepsFinished tells which).
bool ClaimSteps();
// Runs the steps in reverse order of registration; only after ClaimSteps returned true.
void RunClaimedSteps();
bool StepsFinished();
