#include "bench/window/trace_marks.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

using PreciseTimeFunction = VOID(WINAPI*)(LPFILETIME);

// 100-ns steps between 1601-01-01 (FILETIME) and 1970-01-01 (the launcher's clock).
constexpr long long kUnixEpochInFileTime = 116444736000000000LL;

PreciseTimeFunction PreciseTime = nullptr;
long long OriginMicroseconds = -1;
HANDLE Output = INVALID_HANDLE_VALUE;

long long NowMicroseconds() {
    FILETIME now;
    if (PreciseTime != nullptr) {
        PreciseTime(&now);
    } else {
        GetSystemTimeAsFileTime(&now);
    }
    ULARGE_INTEGER steps;
    steps.LowPart = now.dwLowDateTime;
    steps.HighPart = now.dwHighDateTime;
    return (static_cast<long long>(steps.QuadPart) - kUnixEpochInFileTime) / 10;
}

}  // namespace

void StartTraceMarks() {
    // Precise where the system has it (Windows 8 and later, Wine); the plain clock otherwise.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel != nullptr) {
        PreciseTime = reinterpret_cast<PreciseTimeFunction>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")));
    }
    Output = GetStdHandle(STD_OUTPUT_HANDLE);
    char origin[32] = {};
    DWORD length = GetEnvironmentVariableA("VESMARIN_TRACE_ORIGIN_US", origin, sizeof(origin));
    if (length > 0 && length < sizeof(origin)) OriginMicroseconds = strtoll(origin, nullptr, 10);
}

void WriteTraceMark(const char* phase) {
    long long now = NowMicroseconds();
    if (OriginMicroseconds < 0) OriginMicroseconds = now;
    char line[128];
    int length = snprintf(line, sizeof(line), "%.1f %s\n",
                          static_cast<double>(now - OriginMicroseconds) / 1000.0, phase);
    if (length <= 0) return;
    if (length >= static_cast<int>(sizeof(line))) length = static_cast<int>(sizeof(line)) - 1;
    DWORD written = 0;
    WriteFile(Output, line, static_cast<DWORD>(length), &written, nullptr);
}
