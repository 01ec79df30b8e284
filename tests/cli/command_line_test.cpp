// The one option grammar: every command refuses the same misuse in the same shape, numbers
// stay decimal, and nothing runs unless the whole line parsed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/grammar/command_line.h"

namespace {

using Args = std::vector<std::string>;

ParsedCommandLine ParseLine(const Args& args) {
    CommandLine line;
    DeclareCommands(&line);
    return line.Parse(args);
}

std::string Shape(const std::string& command, const std::string& message) {
    return "vesmarin-cli " + command + ": " + message + "\nSee 'vesmarin-cli " + command + " --help'.\n";
}

std::string Shown(const Args& args) {
    std::string text;
    for (const auto& arg : args) text += "[" + arg + "]";
    return text;
}

void ExpectMisuse(const Args& args, const std::string& text) {
    const ParsedCommandLine parsed = ParseLine(args);
    EXPECT_EQ(parsed.kind, ParsedCommandLine::Kind::Misuse) << Shown(args);
    EXPECT_EQ(parsed.text, text) << Shown(args);
}

// A number with a leading zero is refused wherever one is read ("010" is ten to one program
// and eight to another), and the reading process's own line is checked like any command's.
TEST(CommandLine, RefusesLeadingZerosAndAMisusedReadingProcess) {
    const Args lines[] = {
        {"watch", "--interval", "010", "COM5"},   {"watch", "--all", "--rescan", "010"},
        {"watch", "--all", "--interval", "05"},   {"info", "--all", "--timeout", "010"},
        {"read-modem", "signal"},                 {"read-modem", "signal", "COM5", "COM6"},
        {"read-modem", "bogus", "COM5"},          {"read-modem", "info", "COM5", "--radio-family", "^HCSQ"},
    };
    for (const auto& args : lines) EXPECT_EQ(ParseLine(args).kind, ParsedCommandLine::Kind::Misuse) << Shown(args);
    EXPECT_EQ(ParseLine({"watch", "--interval", "0.5", "COM5"}).kind, ParsedCommandLine::Kind::RunCommand);
    EXPECT_EQ(ParseLine({"read-modem", "info", "COM5", "COM6"}).kind, ParsedCommandLine::Kind::RunCommand);
}

TEST(CommandLine, EveryCommandRefusesTheSameMisuseInOneShape) {
    const struct {
        const char* command;
        Args valid;          // a line that parses, after the command's name
        const char* flag;    // a flag to give twice; empty when the command has none
        const char* valued;  // an option that takes a value; empty when none
        bool takesPort;      // the last of `valid` is its PORT
    } commands[] = {
        {"scan", {}, "--json", "", false},
        {"at", {"COM5", "ATI"}, "--raw", "", true},
        {"info", {"COM5"}, "--json", "", true},
        {"term", {"COM5"}, "", "", true},
        {"watch", {"COM5"}, "--json", "--count", true},
        {"cell", {"COM5"}, "--json", "", true},
    };
    for (const auto& c : commands) {
        const auto line = [&](const Args& extra) {
            Args args{c.command};
            args.insert(args.end(), c.valid.begin(), c.valid.end());
            args.insert(args.end(), extra.begin(), extra.end());
            return args;
        };
        EXPECT_EQ(ParseLine(line({})).kind, ParsedCommandLine::Kind::RunCommand) << c.command;
        ExpectMisuse(line({"--bogus"}), Shape(c.command, "unknown option '--bogus'"));
        ExpectMisuse(line({"extra"}), Shape(c.command, "unexpected argument 'extra'"));
        if (*c.flag) ExpectMisuse(line({c.flag, c.flag}), Shape(c.command, std::string(c.flag) + " is given twice"));
        if (*c.valued) ExpectMisuse(line({c.valued}), Shape(c.command, std::string(c.valued) + " needs a value"));
        if (c.takesPort) {
            ExpectMisuse({c.command}, Shape(c.command, "PORT is required"));
            Args badPort = line({});
            badPort[1] = "nowhere";
            const ParsedCommandLine parsed = ParseLine(badPort);
            EXPECT_EQ(parsed.kind, ParsedCommandLine::Kind::Misuse) << c.command;
            EXPECT_EQ(parsed.text.rfind(std::string("vesmarin-cli ") + c.command + ": 'nowhere' is not a port", 0), 0u)
                << parsed.text;
        }
        // Help wins over the rest of the line, as it did before.
        const ParsedCommandLine help = ParseLine(line({"--bogus", "--help"}));
        EXPECT_EQ(help.kind, ParsedCommandLine::Kind::ShowHelp) << c.command;
        EXPECT_EQ(help.text.rfind(std::string("usage: vesmarin-cli ") + c.command, 0), 0u) << help.text;
    }
    ExpectMisuse({}, "vesmarin-cli: a command is required\nSee 'vesmarin-cli --help'.\n");
    ExpectMisuse({"bogus"}, "vesmarin-cli: unknown command 'bogus'\nSee 'vesmarin-cli --help'.\n");
    ExpectMisuse({"--bogus"}, "vesmarin-cli: unknown option '--bogus'\nSee 'vesmarin-cli --help'.\n");
    ExpectMisuse({"scan", "-v", "--json"}, Shape("scan", "--verbose and --json exclude each other"));
    ExpectMisuse({"at", "COM5", std::string(255, 'A')}, Shape("at", "the command has 255 characters; at most 254 fit"));
    ExpectMisuse({"at", "COM5", "AT\r+CGMM"},
                 Shape("at", "the command has the control character \\x0d at position 3; it must be one "
                             "line of printable characters"));
}

// Every bad `watch` line that was refused before the grammar still is: sign, exponent, other
// bases, blanks, out of range, twice, missing, unknown; numbers are decimal only.
TEST(CommandLine, BadWatchFormsAreRefusedBeforeAnythingRuns) {
    const Args cases[] = {
        {},
        {"COM5", "COM6"},
        {"nowhere"},
        {"--fast", "COM5"},
        {"--verbose", "COM5"},
        {"COM5", "--interval"},
        {"--interval", "COM5"},
        {"--interval", "", "COM5"},
        {"--interval", "0.1", "COM5"},
        {"--interval", "0.19", "COM5"},
        {"--interval", "0.1994", "COM5"},
        {"--interval", "86400.001", "COM5"},
        {"--interval", "99999999999999999999", "COM5"},
        {"--interval", ".", "COM5"},
        {"--interval", "+1", "COM5"},
        {"--interval", "-1", "COM5"},
        {"--interval", "1 ", "COM5"},
        {"--interval", " 1", "COM5"},
        {"--interval", "1,5", "COM5"},
        {"--interval", "1e3", "COM5"},
        {"--interval", "0x10", "COM5"},
        {"--interval", "inf", "COM5"},
        {"--interval", "nan", "COM5"},
        {"--interval", "1", "--interval", "2", "COM5"},
        {"--count", "0", "COM5"},
        {"--count", "01", "COM5"},
        {"--count", "010", "COM5"},
        {"--count", "0x10", "COM5"},
        {"--count", "1e3", "COM5"},
        {"--count", "1.5", "COM5"},
        {"--count", "-3", "COM5"},
        {"--count", "inf", "COM5"},
        {"--count", "1000000001", "COM5"},
        {"--count", "5", "--count", "6", "COM5"},
        {"--json", "--json", "COM5"},
    };
    for (const auto& args : cases) {
        Args line{"watch"};
        line.insert(line.end(), args.begin(), args.end());
        const ParsedCommandLine parsed = ParseLine(line);
        EXPECT_EQ(parsed.kind, ParsedCommandLine::Kind::Misuse) << Shown(args);
        const std::string head = "vesmarin-cli watch: ";
        const std::string tail = "\nSee 'vesmarin-cli watch --help'.\n";
        ASSERT_GT(parsed.text.size(), head.size() + tail.size()) << Shown(args);
        EXPECT_EQ(parsed.text.rfind(head, 0), 0u) << parsed.text;
        EXPECT_EQ(parsed.text.substr(parsed.text.size() - tail.size()), tail) << parsed.text;
        EXPECT_EQ(parsed.text.find('\n'), parsed.text.size() - tail.size()) << "one line of message: " << parsed.text;
    }
}

TEST(CommandLine, TheOverviewListsEveryCommandForTheManualPage) {
    const ParsedCommandLine overview = ParseLine({"--help"});
    ASSERT_EQ(overview.kind, ParsedCommandLine::Kind::ShowHelp);
    for (const char* name : {"\n  scan ", "\n  at PORT COMMAND ", "\n  info PORT ", "\n  term PORT ", "\n  watch PORT "}) {
        EXPECT_NE(overview.text.find(name), std::string::npos) << name << overview.text;
    }
    EXPECT_EQ(ParseLine({"--version"}).kind, ParsedCommandLine::Kind::ShowVersion);
    EXPECT_EQ(ParseLine({"watch", "--help"}).text.rfind("usage: vesmarin-cli watch [--interval SECONDS] [--count N] [--json] [--all] [--rescan SECONDS] "
                                                    "[--ports LIST] [--exclude LIST] [--timeout SECONDS] [PORT]\n", 0),
              0u);
}

}  // namespace
