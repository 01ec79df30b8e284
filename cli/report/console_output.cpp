#include "cli/report/console_output.h"

#include <cstdlib>

#include "cli/report/visible_text.h"
#include "common/cp1251.h"
#include "link/serial_port.h"
#include "link/transact.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

void PrepareConsole() {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    // Replies are shown raw: no "\n" -> "\r\n" translation behind our back.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

void WriteUtf8(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

void Write1251Raw(std::FILE* stream, const std::string& text) { WriteUtf8(stream, Cp1251ToUtf8(text)); }

void Write1251(std::FILE* stream, const std::string& text) {
    Write1251Raw(stream, IsTerminal(stream) ? Visible1251(text) : text);
}

void WriteVisible1251(std::FILE* stream, const std::string& text) { Write1251Raw(stream, Visible1251(text)); }

void WriteUtf8Message(std::FILE* stream, const std::string& text) {
    WriteUtf8(stream, IsTerminal(stream) ? VisibleUtf8(text) : text);
}

void ShowStatusLine(std::FILE* stream, const std::string& text1251) {
    constexpr size_t kWidth = 72;
    std::string line = text1251.substr(0, kWidth);
    line.resize(kWidth, ' ');
    std::fputc('\r', stream);
    Write1251(stream, line);
    std::fputc('\r', stream);
    std::fflush(stream);
}

void WarnReplyCut(std::FILE* stream, const char* command) {
    std::fflush(stdout);
    std::fprintf(stream, "vesmarin-cli %s: reply cut at %u bytes\n", command, static_cast<unsigned>(kReplyCapacity));
}

void NoteUnlockedUse(const char* command, const std::string& port1251) {
    char why[640];
    if (!IsTerminal(stderr) || !OpenedWithoutLockFile(why, sizeof why)) return;
    std::fflush(stdout);
    Write1251(stderr, std::string("vesmarin-cli ") + command + ": note: " + port1251 +
                          " is used without a lock file: " + why + "\n");
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

#ifdef _WIN32
namespace {
DWORD SavedConsoleMode = 0;
bool ConsoleModeSaved = false;
HANDLE ConsoleOf(std::FILE* stream) {
    return GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}
}  // namespace

// Wine's console on a Unix terminal takes the mode but prints the sequences' text instead of
// obeying them; Wine's own ntdll export is the way it documents for telling it apart.
static bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

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
#else
// Terminals on POSIX systems understand the few sequences used, except the dumb one.
bool StartTerminalSequences(std::FILE* stream) {
    if (!IsTerminal(stream)) return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::string(term) != "dumb";
}

void EndTerminalSequences(std::FILE*) {}
#endif

bool Utf8Arguments(int argc, char** argv, std::string* args, int maxArgs, int* count) {
    *count = 0;
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int wideCount = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (wide == nullptr) return false;
    for (int i = 0; i < wideCount && i < maxArgs; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
        if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &text[0], size, nullptr, nullptr);
        text.resize(size > 0 ? static_cast<size_t>(size - 1) : 0);
        args[(*count)++] = text;
    }
    LocalFree(wide);
    return wideCount <= maxArgs;
#else
    for (int i = 0; i < argc && i < maxArgs; ++i) args[(*count)++] = argv[i];
    return argc <= maxArgs;
#endif
}
