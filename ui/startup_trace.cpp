#include "ui/startup_trace.h"

namespace {

StartupTraceHook TraceHook = nullptr;

}  // namespace

void SetStartupTraceHook(StartupTraceHook hook) { TraceHook = hook; }

void MarkStartupPhase(const char* phase) {
    if (TraceHook != nullptr) TraceHook(phase);
}
