#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cli/console/console_output.h"

namespace {

DWORD SavedConsoleMode = 0;
bool ConsoleModeSaved = false;

HANDLE ConsoleOf(std::FILE* stream) {
    return GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}

// Wine's console on a Unix terminal takes the mode but prints the sequences' text instead of
// obeying them; Wine's own ntdll export is the way it documents for telling it apart.
bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

void PrepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
    // Replies are shown raw: no "\n" -> "\r\n" translation behind our back.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

// Consoles before Windows 10 refuse the mode; they, and Wine's, get plain lines instead.
bool StartTerminalSequences(std::FILE* stream) {
    if (!IsTerminal(stream) || RunningUnderWine()) return false;
    const HANDLE console = ConsoleOf(stream);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode)) return false;
    if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
    SavedConsoleMode = mode;
    ConsoleModeSaved = true;
    return true;
}

void EndTerminalSequences(std::FILE* stream) {
    if (ConsoleModeSaved) SetConsoleMode(ConsoleOf(stream), SavedConsoleMode);
    ConsoleModeSaved = false;
}
