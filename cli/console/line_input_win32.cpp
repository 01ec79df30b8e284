// Keyboard lines on a Windows console: the console's own line input, which already edits the
// line and recalls earlier ones with the arrow keys. Read as UTF-16, so any character the
// user types arrives intact whatever the console's code page.
#include <windows.h>

#include <cstdio>

#include "cli/console/line_input.h"
#include "cli/console/piped_lines.h"

struct LineInput {
    HANDLE console = INVALID_HANDLE_VALUE;   // console input, or invalid for a pipe or file
    bool interactive = false;
};

namespace {

constexpr DWORD kChunkUnits = 512;

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) != 0;
}

std::string Utf8FromWide(const wchar_t* text, int units) {
    if (units <= 0) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, units, &out[0], size, nullptr, nullptr);
    return out;
}

// One line from the console, in chunks until its line end; false when the console gives
// nothing more (closed, or the read interrupted by Ctrl-C).
bool ReadConsoleLine(HANDLE console, std::string* line) {
    std::wstring wide;
    for (;;) {
        wchar_t chunk[kChunkUnits];
        DWORD units = 0;
        if (!ReadConsoleW(console, chunk, kChunkUnits, &units, nullptr) || units == 0) {
            if (wide.empty()) return false;
            break;
        }
        if (wide.size() < kPipedLineMaxBytes) wide.append(chunk, units);
        if (chunk[units - 1] == L'\n') break;
    }
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
    if (wide.size() > kPipedLineMaxBytes) wide.resize(kPipedLineMaxBytes);
    *line = Utf8FromWide(wide.data(), static_cast<int>(wide.size()));
    return true;
}

}  // namespace

LineInput* OpenLineInput(size_t /*maxCharacters*/) {
    auto* input = new LineInput;
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (IsConsole(in)) input->console = in;
    input->interactive = IsConsole(in) && IsConsole(GetStdHandle(STD_OUTPUT_HANDLE));
    return input;
}

void CloseLineInput(LineInput* input) { delete input; }

bool IsInteractive(const LineInput* input) { return input->interactive; }

bool ReadInputLine(LineInput* input, const char* prompt, std::string* line) {
    line->clear();
    if (input->interactive) std::fputs(prompt, stdout);
    std::fflush(stdout);
    if (input->console == INVALID_HANDLE_VALUE) return ReadPipedLine(stdin, line);
    if (!ReadConsoleLine(input->console, line)) return false;
    // The console has no end-of-input key of its own: Ctrl-Z or Ctrl-D alone on a line ends.
    return *line != "\x1A" && *line != "\x04";
}

// The console keeps the history of its line input itself.
void RememberInputLine(LineInput*, const std::string&) {}
