// The arguments of watch: intervals, counts, and what is refused.
#include <gtest/gtest.h>

#include "cli/commands/watch_options.h"

namespace {

TEST(WatchOptions, IntervalsAndCounts) {
    const struct {
        std::vector<std::string> args;
        uint32_t intervalMs;
        uint64_t count;
        bool json;
    } cases[] = {
        {{"COM5"}, 1000, 0, false},
        {{"--interval", "0.2", "COM5"}, 200, 0, false},
        {{"--interval=2.5", "COM5"}, 2500, 0, false},
        {{"COM5", "--interval", ".25"}, 250, 0, false},
        {{"--interval", "0.2004", "COM5"}, 200, 0, false},   // rounded to whole milliseconds
        {{"--interval", "0.1995", "COM5"}, 200, 0, false},
        {{"--interval", "86400", "COM5"}, 86400000, 0, false},
        {{"--count", "1", "--json", "COM5"}, 1000, 1, true},
        {{"--count=1000000000", "COM5"}, 1000, 1000000000, false},
    };
    for (const auto& c : cases) {
        WatchOptions options;
        std::string error;
        ASSERT_TRUE(ParseWatchOptions(c.args, &options, &error)) << c.args[0] << ": " << error;
        EXPECT_EQ(options.intervalMs, c.intervalMs) << c.args[0];
        EXPECT_EQ(options.count, c.count) << c.args[0];
        EXPECT_EQ(options.json, c.json) << c.args[0];
        EXPECT_EQ(options.port, "COM5");
    }
}

TEST(WatchOptions, RefusedWithAReason) {
    const std::vector<std::string> cases[] = {
        {},
        {"COM5", "COM6"},
        {"--interval", "0.1994", "COM5"},
        {"--interval", "86400.001", "COM5"},
        {"--interval", "99999999999999999999", "COM5"},
        {"--interval", ".", "COM5"},
        {"--interval", "+1", "COM5"},
        {"--interval", "1 ", "COM5"},
        {"--interval", "1,5", "COM5"},
        {"--interval", "1", "--interval", "2", "COM5"},
        {"COM5", "--interval"},
        {"--count", "0", "COM5"},
        {"--count", "01", "COM5"},
        {"--count", "1000000001", "COM5"},
        {"--count", "-3", "COM5"},
        {"--verbose", "COM5"},
    };
    for (const auto& args : cases) {
        WatchOptions options;
        std::string error;
        const std::string shown = args.empty() ? "(none)" : args[0] + " " + (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(ParseWatchOptions(args, &options, &error)) << shown;
        EXPECT_FALSE(error.empty()) << shown;
    }
}

}  // namespace
