// The options of `watch`: how often, how many readings, which output, which port.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/commands/many_options.h"

constexpr uint32_t kWatchMinIntervalMs = 200;
constexpr uint32_t kWatchMaxIntervalMs = 86400000;   // one reading a day at the slowest
constexpr uint32_t kWatchDefaultIntervalMs = 1000;
constexpr long long kWatchMaxCount = 1000000000;

struct WatchOptions {
    uint32_t intervalMs = kWatchDefaultIntervalMs;
    bool intervalGiven = false;
    std::string intervalText;   // as typed, for the refusal of a fraction with --all
    uint64_t count = 0;   // 0: until Ctrl-C
    bool json = false;
    std::string port;     // UTF-8, as given; empty with --all
    // watch --all: every modem at once, new ones looked for each rescan.
    bool all = false;
    int rescanSeconds = 30;
    bool rescanGiven = false;
    ManyOptions many;
};

class CommandLine;

// Declares `watch` and its options; `run` gets them once the line has parsed.
void DeclareWatchOptions(CommandLine* line, std::function<int(const WatchOptions&)> run);

// `args` are the UTF-8 arguments after "watch", read by the tool's grammar. Returns false with
// the misuse message's sentence in `error`.
bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions* out, std::string* error);

// The watch itself (cli/command_watch.cpp).
int RunWatch(const WatchOptions& options);
// watch --all (cli/command_watch_all_posix.cpp; the Windows build refuses it).
int RunWatchAll(const WatchOptions& options);
