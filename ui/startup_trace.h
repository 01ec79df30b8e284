// Marks between the phases of start-up. The program itself leaves the hook empty, so a mark
// costs one test of a pointer; the start-up benchmark sets it to timestamp every phase.
#pragma once

// Called with the name of the phase that has just ended.
using StartupTraceHook = void (*)(const char* phase);

void SetStartupTraceHook(StartupTraceHook hook);

void MarkStartupPhase(const char* phase);
