// The arguments of `watch`: how often, how many readings, which output, which port.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kWatchMinIntervalMs = 200;
constexpr uint32_t kWatchMaxIntervalMs = 86400000;   // one reading a day at the slowest
constexpr uint32_t kWatchDefaultIntervalMs = 1000;

struct WatchOptions {
    uint32_t intervalMs = kWatchDefaultIntervalMs;
    uint64_t count = 0;   // 0: until Ctrl-C
    bool json = false;
    std::string port;     // UTF-8, as given
};

// `args` are the UTF-8 arguments after "watch". Returns false with a sentence in `error`.
bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions* out, std::string* error);
