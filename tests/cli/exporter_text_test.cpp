// Label values from modem texts, and the exporter's listen address.
#include <gtest/gtest.h>

#include "cli/grammar/command_line.h"
#include <algorithm>

#include "exporter/label_value.h"
#include "cli/commands/serve_options.h"
#include "exporter/metrics_text.h"

namespace {

TEST(LabelValue, VisibleEscapedAndCutOnACharacterBoundary) {
    struct Case {
        std::string text;
        std::string label;
    } const cases[] = {
        {"E173", "E173"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"a\\b", "a\\\\b"},
        {"line\nbreak\r\ttab", "line\\\\x0abreak\\\\x0d\\\\x09tab"},   // no raw line end ever
        {"\x1b[2J\x07", "\\\\x1b[2J\\\\x07"},
        {"bad \xff byte", "bad \\\\xff byte"},                          // not UTF-8: shown
        {"\xc2\x9b" "C1", "\\\\u009bC1"},
        {u8"Зентра", u8"Зентра"},   // u8: the tests are compiled for 1251
        {std::string(200, 'x'), std::string(128, 'x')},
        {std::string(127, 'x') + u8"ж", std::string(127, 'x')},        // 'ж' would straddle 128
        {std::string(126, 'x') + u8"ж", std::string(126, 'x') + u8"ж"},
        {std::string(125, 'x') + "\x1b", std::string(125, 'x')},      // never half a notation
        {std::string(127, 'x') + "\"", std::string(127, 'x') + "\\\""},   // cut before escaping
    };
    for (const auto& c : cases) EXPECT_EQ(LabelValue(c.text), c.label) << c.text;
}

TEST(ServeOptions, ListenAddresses) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    } const cases[] = {
        {"127.0.0.1:9733", true, "127.0.0.1", 9733}, {"127.0.0.1:0", true, "127.0.0.1", 0},
        {":8080", true, "127.0.0.1", 8080},          {"[::1]:9733", true, "::1", 9733},
        {"0.0.0.0:65535", true, "0.0.0.0", 65535},   {"127.0.0.1:65536", false, "", 0},
        {"127.0.0.1", false, "", 0},                 {"::1:9733", false, "", 0},
        {"127.0.0.1:", false, "", 0},                {"127.0.0.1:-1", false, "", 0},
        {"127.0.0.1:80x", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string host, error;
        int port = -1;
        EXPECT_EQ(ParseListenAddress(c.text, &host, &port, &error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(host, c.host) << c.text;
            EXPECT_EQ(port, c.port) << c.text;
        } else {
            EXPECT_FALSE(error.empty()) << c.text;
        }
    }
    // serve's options as the grammar reads them.
    const auto parses = [](std::vector<std::string> args, ServeOptions* options) {
        CommandLine line;
        CommandOptions serve = line.AddCommand("serve", CommandHelp{"", "", ""}, [] { return 0; });
        DeclareServeOptions(serve, options);
        args.insert(args.begin(), "serve");
        return line.Parse(args).kind == ParsedCommandLine::Kind::RunCommand;
    };
    ServeOptions options;
    EXPECT_FALSE(parses({"--interval", "0"}, &options));
    EXPECT_FALSE(parses({"--bogus"}, &options));
    EXPECT_FALSE(parses({"--interval", "010"}, &options));
    EXPECT_FALSE(parses({"--forget-after", "00001"}, &options));
    EXPECT_FALSE(parses({"--listen", "127.0.0.1:00080"}, &options));
    options = ServeOptions{};
    EXPECT_TRUE(parses({"--interval", "5", "--forget-after", "30", "--exclude", "/dev/ttyUSB0,/dev/ttyUSB1"}, &options));
    EXPECT_EQ(options.settings.intervalSeconds, 5);
    EXPECT_EQ(options.settings.choice.exclude.size(), 2u);
    EXPECT_EQ(options.host, "127.0.0.1");
    EXPECT_EQ(options.port, kDefaultExporterPort);
}

}  // namespace
