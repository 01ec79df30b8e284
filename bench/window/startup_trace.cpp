// The window program with a timestamp at the end of each start-up phase, for the start-up
// benchmark: the same start-up and loop as Vesmarin.exe, with the trace hook set. The marks
// go to standard output (bench/window/trace_marks.h).
#include <windows.h>

#include "bench/window/trace_marks.h"
#include "ui/startup.h"
#include "ui/startup_trace.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    StartTraceMarks();
    WriteTraceMark("process start to WinMain");
    SetStartupTraceHook(WriteTraceMark);
    StartApplication(instance, SystemUtcDate);
    return RunMessageLoop();
}
