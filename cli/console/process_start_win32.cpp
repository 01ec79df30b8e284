#include <windows.h>
#include <shellapi.h>

#include "cli/console/process_start.h"

// Windows hands a process no closed descriptors to reuse, and a closed pipe is a failed write.
bool PrepareProcess() { return false; }

std::vector<std::string> Utf8Arguments(int, char**) {
    std::vector<std::string> args;
    int wideCount = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (wide == nullptr) return args;
    for (int i = 1; i < wideCount; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
        if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &text[0], size, nullptr, nullptr);
        text.resize(size > 0 ? static_cast<size_t>(size - 1) : 0);
        args.push_back(text);
    }
    LocalFree(wide);
    return args;
}
