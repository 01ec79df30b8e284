// The lines of `watch`'s live screen, made from the session's figures; the redraw fits them to
// the terminal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/watch/signal_meter.h"

// All the lines every time (UTF-8, without line ends), so that a redraw covers the last one.
// `portUtf8` is shown with its control characters made visible.
std::vector<std::string> WatchScreenLines(const SignalMeter& meter, const std::string& portUtf8,
                                          uint32_t intervalMs, int64_t elapsedMs);
