// The profile format as the simulator reads it. Profile texts are UTF-8 (u8 literals);
// expected reply bytes are Windows-1251, which is what plain literals compile to here.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "tools/modemsim/profile.h"

namespace {

// A reply as one string: bytes as they are, each pause as <P:N>.
std::string Render(const Reply& reply) {
    std::string text;
    for (const ReplyChunk& chunk : reply.chunks)
        text += chunk.isPause ? "<P:" + std::to_string(chunk.pauseMs) + ">" : chunk.bytes;
    return text;
}

bool Parse(const std::string& text, Profile* profile, std::string* error) {
    return ParseProfile(text, "t.profile", profile, error);
}

// The reply the profile gives to `command`, or "<none>" when it has no rule for it.
std::string ReplyTo(const Profile& profile, const std::string& command) {
    const auto rule = profile.rules.find(command);
    return rule == profile.rules.end() ? "<none>" : Render(rule->second);
}

struct ReplyCase {
    const char* name;
    std::string line;      // one rule line of a profile, for the command X
    std::string expected;  // Render() of X's reply
};

class ReplyTextTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTextTest, GivesTheseBytes) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse(GetParam().line + "\n", &profile, &error)) << error;
    EXPECT_EQ(ReplyTo(profile, "X"), GetParam().expected);
}

const ReplyCase kReplyCases[] = {
    {"PlainText", "X => OK", "OK"},
    {"LineEscapes", R"(X => \r\nOK\r\n)", "\r\nOK\r\n"},
    {"TabAndBackslash", R"(X => a\tb\\c)", "a\tb\\c"},
    {"BackslashBeforeEscapeLetter", R"(X => \\r)", "\\r"},
    {"HexEscapes", R"(X => \x41\x7a\x7D\xff\xAB)", std::string("Az}\xff\xab")},
    {"HexZeroByte", R"(X => a\x00b)", std::string("a\0b", 3)},
    {"PauseSplitsTheReply", R"(X => ^SYSINFO:2,{pause 120},4)", "^SYSINFO:2,<P:120>,4"},
    {"PauseZero", "X => a{pause 0}b", "a<P:0>b"},
    {"PauseAtStartAndEnd", "X => {pause 5}a{pause 7}", "<P:5>a<P:7>"},
    {"PauseLeadingZeros", "X => {pause 007}", "<P:7>"},
    {"Repeat", "X => {repeat 3 ab}", "ababab"},
    {"TabsAreBlanksInConstructs", "X => {pause\t5}{repeat\t2\tab}", "<P:5>abab"},
    {"RepeatWithEscapes", R"(X => {repeat 2 \r\n})", "\r\n\r\n"},
    {"RepeatClosingBraceAsHex", R"(X => {repeat 2 a\x7Db})", "a}ba}b"},
    {"RepeatNested", "X => {repeat 2 x{repeat 3 y}z}", "xyyyzxyyyz"},
    {"RepeatWithPause", "X => {repeat 2 a{pause 5}}", "a<P:5>a<P:5>"},
    {"RepeatZeroTimes", "X => <{repeat 0 abc}>", "<>"},
    {"RepeatEmptyText", "X => a{repeat 3 }b", "ab"},
    {"RepeatKeepsBlanksAfterTheFirst", "X => {repeat 2  a}", " a a"},
    {"RepeatTextWithLiteralBrace", "X => {repeat 2 {x}", "{x{x"},
    {"LoneOpeningBrace", "X => a{b", "a{b"},
    {"BraceNotAConstruct", "X => {x} {pauses} {Pause 5} {repeat_}x", "{x} {pauses} {Pause 5} {repeat_}x"},
    {"ClosingBraceOutsideRepeat", "X => a}b", "a}b"},
    {"Silent", "X => <silent>", ""},
    {"EmptyAfterTrailingBlankDropped", "X => ", ""},
    {"EmptyWithoutBlank", "X =>", ""},
    {"LeadingBlanksKept", "X =>   OK", "  OK"},
    {"TrailingBlanksDropped", "X => OK  \t ", "OK"},
    {"TrailingBlankAsEscape", R"(X => OK\x20)", "OK "},
    {"RawTabInsideKept", "X => a\tb", "a\tb"},
    {"FirstSeparatorWins", "X => a => b", "a => b"},
    {"HashInReply", "X => #1", "#1"},
    {"AngleBracketsAlone", "X => <ok>", "<ok>"},
    {"Cyrillic", u8"X => Привет, мир", "Привет, мир"},
    {"CyrillicYoAndNumeroSign", u8"X => ёЁ№", "ёЁ№"},
    {"PunctuationFrom1251", u8"X => \u20AC\u2116\u00AB\u00BB", std::string("\x88\xB9\xAB\xBB")},
    {"CrLfLineEnd", "X => OK\r", "OK"},
};

INSTANTIATE_TEST_SUITE_P(Escapes, ReplyTextTest, testing::ValuesIn(kReplyCases),
                         [](const testing::TestParamInfo<ReplyCase>& param) { return param.param.name; });

struct ErrorCase {
    const char* name;
    std::string text;      // a whole profile
    std::string expected;  // the start of the error message
};

class ProfileErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(ProfileErrorTest, IsRejectedWithFileAndLine) {
    Profile profile;
    std::string error;
    EXPECT_FALSE(Parse(GetParam().text, &profile, &error));
    EXPECT_EQ(error.substr(0, GetParam().expected.size()), GetParam().expected) << error;
}

const ErrorCase kErrorCases[] = {
    {"UnknownEscape", R"(X => \q)", R"(t.profile:1: unknown escape \q)"},
    {"UpperCaseHexLetter", R"(X => \X41)", R"(t.profile:1: unknown escape \X)"},
    {"EscapeOfCyrillic", u8"X => \\д", u8"t.profile:1: unknown escape \\д"},
    {"HexOneDigit", R"(X => \x4)", R"(t.profile:1: \x must be followed by two hexadecimal digits)"},
    {"HexNotDigits", R"(X => \xG0)", R"(t.profile:1: \x must be followed)"},
    {"BackslashAtEnd", "X => ab\\", "t.profile:1: backslash at the end of the reply"},
    {"BackslashBeforeDroppedBlank", "X => ab\\ ", "t.profile:1: backslash at the end"},
    {"LineNumberCountsCommentsAndBlanks", "# one\n\necho on\n  # four\nX => \\z\n",
     "t.profile:5: unknown escape \\z"},
    {"PauseWithoutNumber", "X => {pause}", "t.profile:1: {pause N} needs one blank before N"},
    {"PauseNotANumber", "X => {pause x}", "t.profile:1: {pause N}: N must be a decimal number"},
    {"PauseNegative", "X => {pause -5}", "t.profile:1: {pause N}: N must be a decimal number"},
    {"PauseBlankBeforeBrace", "X => {pause 5 }", "t.profile:1: {pause N} must end right after N"},
    {"PauseUnclosed", "X => {pause 5", "t.profile:1: {pause N} must end right after N"},
    {"PauseTooLong", "X => {pause 600001}", "t.profile:1: {pause N}: N is larger than 600000"},
    {"PauseAbsurdDigits", "X => {pause 99999999999999999999}", "t.profile:1: {pause N}: N is larger"},
    {"RepeatWithoutNumber", "X => {repeat}", "t.profile:1: {repeat N TEXT} needs one blank before N"},
    {"RepeatWithoutText", "X => {repeat 3}", "t.profile:1: {repeat N TEXT} needs one blank between N"},
    {"RepeatNoBlankBeforeText", "X => {repeat 3abc}", "t.profile:1: {repeat N TEXT} needs one blank between N"},
    {"RepeatNotANumber", "X => {repeat x ab}", "t.profile:1: {repeat N TEXT}: N must be a decimal number"},
    {"RepeatUnclosed", "X => {repeat 3 abc", "t.profile:1: {repeat N TEXT} has no closing '}'"},
    {"RepeatNestedUnclosed", "X => {repeat 3 {repeat 2 a}", "t.profile:1: {repeat N TEXT} has no closing '}'"},
    {"RepeatCountTooLarge", "X => {repeat 99999999999 a}", "t.profile:1: {repeat N TEXT}: N is larger"},
    {"RepeatOver64MiB", "X => {repeat 40000000 ab}", "t.profile:1: {repeat} makes the profile's replies larger"},
    {"NestedRepeatOver64MiB", "X => {repeat 60000 {repeat 60000 {repeat 60000 ab}}}",
     "t.profile:1: {repeat} makes the profile's replies larger"},
    {"AllRulesOver64MiB", "A => {repeat 40000000 a}\nB => {repeat 40000000 b}\n",
     "t.profile:2: {repeat} makes the profile's replies larger"},
    {"TooManyPauses", "X => {repeat 200000 {pause 1}}", "t.profile:1: {repeat} makes more than 100000 {pause}"},
    {"SilentInsideText", "X => OK<silent>", "t.profile:1: <silent> must be the whole reply"},
    {"SilentAfterBlank", "X =>  <silent>", "t.profile:1: <silent> must follow ' => ' directly"},
    {"CharacterOutside1251", u8"X => \u4E2D", "t.profile:1: character U+4E2D has no Windows-1251 byte"},
    {"FourByteCharacter", u8"X => \U0001F600", "t.profile:1: character U+1F600 has no Windows-1251 byte"},
    {"ReplacementCharacter", u8"X => \uFFFD", "t.profile:1: character U+FFFD has no Windows-1251 byte"},
    {"InvalidUtf8", "X => \xFF", "t.profile:1: invalid UTF-8 (byte 0xFF)"},
    {"TruncatedUtf8", "X => \xD0", "t.profile:1: invalid UTF-8 (byte 0xD0)"},
    {"OverlongUtf8", "X => \xC0\xAF", "t.profile:1: invalid UTF-8 (byte 0xC0)"},
    {"EncodedSurrogate", "X => \xED\xA0\x80", "t.profile:1: invalid UTF-8 (byte 0xED)"},
    {"CommandOutside1251", u8"AT\u4E2D => OK", "t.profile:1: COMMAND has a character"},
    {"EmptyCommand", " => OK", "t.profile:1: empty COMMAND"},
    {"EmptyCommandWithBlanks", "   =>", "t.profile:1: empty COMMAND"},
    {"NoSeparator", "ATI", "t.profile:1: not a rule (COMMAND => REPLY) nor an echo, echo-timing, latency"},
    {"PauseTabCommits", "X => {pause\t}", "t.profile:1: {pause N}: N must be a decimal number"},
    {"CycleTabCommits", "X => {cycle\ta}", "t.profile:1: a cycle needs at least two replies"},
    {"EchoTimingUnknown", "echo-timing late", "t.profile:1: echo-timing must be followed by early or with-reply"},
    {"SettingWithoutValue", "setting n", "t.profile:1: setting must be followed by a NAME and at least one VALUE"},
    {"SettingBadName", "setting 1n 0", "t.profile:1: a setting's NAME is a letter"},
    {"SettingReservedName", "setting pause 0", "t.profile:1: 'pause' cannot name a setting"},
    {"SettingTwice", "setting n 0\nsetting n 1", "t.profile:2: setting n is declared twice"},
    {"SettingValueWithBrace", "setting n {0}", "t.profile:1: a setting's VALUE is printable ASCII"},
    {"WhenUnknownSetting", "setting n 0\nwhen m=0 X => a", "t.profile:2: when names no declared setting: m=0"},
    {"WhenUnlistedValue", "setting n 0 1\nwhen n=2 X => a", "t.profile:2: when gives a value that setting n"},
    {"WhenWithoutEquals", "setting n 0\nwhen n X => a", "t.profile:2: when must be followed by NAME=VALUE"},
    {"SettingRuleCannotCycle", "setting n 0\nX={n} => {cycle a | b}", "t.profile:2: a rule with conditions"},
    {"UnsolicitedEveryZero", "unsolicited every 0 x", "t.profile:1: unsolicited every takes milliseconds from 1"},
    {"UnsolicitedWithoutText", "unsolicited every 5", "t.profile:1: an unsolicited line needs a TEXT"},
    {"UnsolicitedAfterWithoutArrow", "unsolicited after 5 AT x", "t.profile:1: an unsolicited line is"},
    {"UnsolicitedPause", "unsolicited every 5 a{pause 1}b", "t.profile:1: an unsolicited TEXT cannot pause"},
    {"UnsolicitedUnknownKind", "unsolicited sometimes 5 x", "t.profile:1: an unsolicited line is"},
    {"WhenWithoutSettings", "when n=1 unsolicited every 5 x", "t.profile:1: an unsolicited line is"},
    {"UnplugWithoutCommand", "unplug  ", "t.profile:1: unplug must be followed by a COMMAND"},
    {"UnplugCommandOutside1251", u8"unplug AT\u4E2D", "t.profile:1: COMMAND has a character"},
    {"SeparatorWithoutBlanks", "ATI=>OK", "t.profile:1: not a rule"},
    {"SeparatorWithTabs", "ATI\t=>\tOK", "t.profile:1: not a rule"},
    {"EchoWithoutMode", "echo", "t.profile:1: echo must be followed by on, off or always"},
    {"EchoUnknownMode", "echo maybe", "t.profile:1: echo must be followed by on, off or always"},
    {"EchoUpperCase", "echo ON", "t.profile:1: echo must be followed by on, off or always"},
    {"EchoExtraWord", "echo on off", "t.profile:1: echo must be followed by on, off or always"},
    {"LatencyMissing", "latency", "t.profile:1: latency must be followed by a number of milliseconds"},
    {"LatencyNegative", "latency -5", "t.profile:1: latency must be followed"},
    {"LatencyWithUnit", "latency 5ms", "t.profile:1: latency must be followed"},
    {"LatencyTooLarge", "latency 600001", "t.profile:1: latency must be followed"},
    {"LatencyAbsurd", "latency 123456789012345678901234567890", "t.profile:1: latency must be followed"},
    {"CarriageReturnInsideLine", "X => a\rb", "t.profile:1: carriage return inside the line"},
    {"ErrorOnLaterLine", "X => OK\nY => OK\nZ => {pause}\n", "t.profile:3: {pause N}"},
    {"CycleOfOne", "X => {cycle a}", "t.profile:1: a cycle needs at least two replies"},
    {"CycleUnclosed", "X => {cycle a | b", "t.profile:1: a cycle is written {cycle REPLY | REPLY ...}"},
    {"CycleTwoBlanks", "X => {cycle  a | b}x", "t.profile:1: a cycle is written"},
    {"CycleEmpty", "X => {cycle}", "t.profile:1: a cycle is written"},
    {"CycleInsideText", "X => a{cycle b | c}", "t.profile:1: {cycle ...} must be the whole reply"},
    {"CycleNested", "X => {cycle a | {cycle b | c}}", "t.profile:1: reply 2 of the cycle: {cycle ...} must be"},
    {"CyclePartBadEscape", "X => {cycle a | \\q}", "t.profile:1: reply 2 of the cycle: unknown escape \\q"},
    {"CycleOnStar", "* => {cycle a | b}", "t.profile:1: the '*' rule cannot cycle"},
    {"CycleSilentInsidePart", "X => {cycle a<silent> | b}", "t.profile:1: reply 1 of the cycle: <silent> must be"},
};

INSTANTIATE_TEST_SUITE_P(Errors, ProfileErrorTest, testing::ValuesIn(kErrorCases),
                         [](const testing::TestParamInfo<ErrorCase>& param) { return param.param.name; });

TEST(ProfileLines, DefaultsWhenTheProfileSaysNothing) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse("", &profile, &error)) << error;
    EXPECT_EQ(profile.echo, EchoMode::On);
    EXPECT_EQ(profile.latencyMs, 5u);
    EXPECT_TRUE(profile.rules.empty());
    EXPECT_EQ(Render(profile.defaultReply), "\r\nERROR\r\n");
}

TEST(ProfileLines, SettingsAndTheDefaultRule) {
    struct Case {
        std::string text;
        EchoMode echo;
        uint32_t latency;
        std::string defaultReply;
    };
    const Case cases[] = {
        {"echo off\nlatency 0\n", EchoMode::Off, 0, "\r\nERROR\r\n"},
        {"echo always\nlatency 600000\n", EchoMode::Always, 600000, "\r\nERROR\r\n"},
        {"  echo \t on  \n  latency  12\n", EchoMode::On, 12, "\r\nERROR\r\n"},
        {"echo off\necho on\nlatency 1\nlatency 2\n", EchoMode::On, 2, "\r\nERROR\r\n"},
        {"* => <silent>\n", EchoMode::On, 5, ""},
        {"* => A\n  *   => B\n", EchoMode::On, 5, "B"},
    };
    for (const Case& c : cases) {
        Profile profile;
        std::string error;
        ASSERT_TRUE(Parse(c.text, &profile, &error)) << c.text << error;
        EXPECT_EQ(profile.echo, c.echo) << c.text;
        EXPECT_EQ(profile.latencyMs, c.latency) << c.text;
        EXPECT_EQ(Render(profile.defaultReply), c.defaultReply) << c.text;
        EXPECT_TRUE(profile.rules.empty()) << c.text;
    }
}

TEST(ProfileLines, CommandFieldIsTrimmedAndComparedExactly) {
    Profile profile;
    std::string error;
    const std::string text =
        "  AT+CSQ   => one\n"
        "\tATI\t => two\n"
        "at+csq => lower\n"
        "AT Z => inner blank\n"
        "AT\\r => backslash is plain\n"
        "AT* => star\n"
        "echo on => a command named like a setting\n"
        "# ATX => commented out\n"
        "   # ATY => commented out too\n";
    ASSERT_TRUE(Parse(text, &profile, &error)) << error;
    EXPECT_EQ(ReplyTo(profile, "AT+CSQ"), "one");
    EXPECT_EQ(ReplyTo(profile, "ATI"), "two");
    EXPECT_EQ(ReplyTo(profile, "at+csq"), "lower");
    EXPECT_EQ(ReplyTo(profile, "AT Z"), "inner blank");
    EXPECT_EQ(ReplyTo(profile, "AT\\r"), "backslash is plain");
    EXPECT_EQ(ReplyTo(profile, "AT*"), "star");
    EXPECT_EQ(ReplyTo(profile, "echo on"), "a command named like a setting");
    EXPECT_EQ(profile.rules.size(), 7u);
    EXPECT_EQ(profile.echo, EchoMode::On);
}

// "unplug" lines were errors before, so no profile that parsed then means anything else now.
TEST(ProfileLines, UnplugLinesNameTheCommandsAtWhichTheModemGoesAway) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse(u8"unplug AT+CSQ\n  unplug \t AT Ж  \nunplug => a rule\nunplugged => too\n",
                      &profile, &error))
        << error;
    EXPECT_EQ(profile.unplugCommands, (std::set<std::string>{"AT+CSQ", "AT Ж"}));
    EXPECT_EQ(ReplyTo(profile, "unplug"), "a rule");
    EXPECT_EQ(ReplyTo(profile, "unplugged"), "too");
    EXPECT_FALSE(Parse("unpluggedAT\n", &profile, &error));
}

TEST(ProfileLines, LaterRuleReplacesEarlier) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse("ATI => first\nAT => x\nATI => second\n", &profile, &error)) << error;
    EXPECT_EQ(ReplyTo(profile, "ATI"), "second");
    EXPECT_EQ(profile.rules.size(), 2u);
}

// "{cycle" followed by a blank or '}' was plain text before; no bundled or test profile used it.
TEST(ProfileLines, CycleRulesKeepTheirRepliesInOrder) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse("A => {cycle one | two\x7C | <silent> |  four{pause 5}{repeat 2 x}}\n"
                      "B => plain\nB => {cycle b1 | b2}\nC => {cycle c1 | c2}\nC => plain\n"
                      "D => {cycles}\nE => {cycle\te1 |\te2\t| e3}\n",
                      &profile, &error))
        << error;
    ASSERT_EQ(profile.cycles.count("A"), 1u);
    const std::vector<Reply>& a = profile.cycles["A"];
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(Render(a[0]), "one");
    EXPECT_EQ(Render(a[1]), "two|");
    EXPECT_TRUE(a[2].chunks.empty());
    EXPECT_EQ(a[3].Bytes(), " fourxx");
    // A later rule for the same command replaces an earlier one, cycle or not.
    EXPECT_EQ(profile.rules.count("B"), 0u);
    EXPECT_EQ(profile.cycles["B"].size(), 2u);
    EXPECT_EQ(profile.cycles.count("C"), 0u);
    EXPECT_EQ(ReplyTo(profile, "C"), "plain");
    EXPECT_EQ(ReplyTo(profile, "D"), "{cycles}");
    // Blanks are spaces or tabs, after "{cycle" as around the bars.
    ASSERT_EQ(profile.cycles["E"].size(), 3u);
    EXPECT_EQ(Render(profile.cycles["E"][1]), "e2");
}

// Settings, conditions, placeholders and unsolicited lines are new line kinds; in a profile
// without `setting` lines "when" and braces keep the meaning they had.
TEST(ProfileLines, SettingsConditionsAndReports) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse("when n=1 X => a\nAT{n} => b\n", &profile, &error)) << error;
    EXPECT_EQ(ReplyTo(profile, "when n=1 X"), "a");
    EXPECT_EQ(ReplyTo(profile, "AT{n}"), "b");
    ASSERT_TRUE(Parse("echo-timing early\nsetting n 0 1 2\nsetting fmt 0 2\n"
                      "AT+N={n} => \\r\\nOK\\r\\n\n"
                      "when n=2\twhen fmt=0 AT+N? => \\r\\n+N: {n},{fmt},{x}\\r\\n\n"
                      "unsolicited every 500  +RSSI: {n}\n"
                      "when n=1 unsolicited after 20 AT+N={n} -> \\r\\n+N: 1\\r\\n\n",
                      &profile, &error))
        << error;
    EXPECT_EQ(profile.echoTiming, EchoTiming::Early);
    ASSERT_EQ(profile.settings.size(), 2u);
    EXPECT_EQ(profile.settings[0].values, (std::vector<std::string>{"0", "1", "2"}));
    ASSERT_EQ(profile.statefulRules.size(), 2u);
    EXPECT_EQ(profile.statefulRules[0].command.literals, (std::vector<std::string>{"AT+N=", ""}));
    const StatefulRule& query = profile.statefulRules[1];
    ASSERT_EQ(query.conditions.size(), 2u);
    EXPECT_EQ(query.conditions[1].setting, 1u);
    EXPECT_EQ(query.conditions[1].value, "0");
    ASSERT_EQ(query.reply.chunks.size(), 5u);
    EXPECT_EQ(query.reply.chunks[1].setting, 0);
    EXPECT_EQ(query.reply.chunks[3].setting, 1);
    EXPECT_EQ(query.reply.chunks[4].bytes, ",{x}\r\n");   // no such setting: text
    ASSERT_EQ(profile.reports.size(), 2u);
    EXPECT_EQ(profile.reports[0].everyMs, 500u);
    EXPECT_EQ(profile.reports[0].text.chunks[0].bytes, " +RSSI: ");   // one blank after MS
    EXPECT_TRUE(profile.reports[1].afterCommand);
    EXPECT_EQ(profile.reports[1].afterMs, 20u);
    EXPECT_EQ(profile.reports[1].conditions.size(), 1u);
}

TEST(ProfileLines, CommandPatternsTakeOnlyListedValues) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse("setting a 1 12\nsetting b 2 x\nAT={a},{b} => ok\nAT+B={b}{a} => ok\n", &profile, &error))
        << error;
    const struct {
        size_t rule;
        const char* line;
        std::vector<std::string> captured;  // empty: no match
    } cases[] = {
        {0, "AT=1,2", {"1", "2"}},     {0, "AT=12,x", {"12", "x"}}, {0, "AT=3,2", {}},
        {0, "AT=1,2 ", {}},            {0, "AT=1,", {}},            {1, "AT+B=x12", {"x", "12"}},
        {1, "AT+B=21", {"2", "1"}},    {1, "AT+B=2", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> captured;
        const bool matched = MatchCommand(profile.statefulRules[c.rule].command, profile.settings, c.line, &captured);
        EXPECT_EQ(matched, !c.captured.empty()) << c.line;
        if (matched) {
            EXPECT_EQ(captured, c.captured) << c.line;
        }
    }
}

TEST(ProfileLines, CyrillicCommandIsKeyedBy1251Bytes) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse(u8"ATЖ => ok\n", &profile, &error)) << error;
    EXPECT_EQ(ReplyTo(profile, "ATЖ"), "ok");
}

TEST(ProfileLines, WindowsLineEndsByteOrderMarkAndNoFinalNewline) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse("\xEF\xBB\xBF" "echo off\r\nATI => \\r\\nOK \r\n\r\nAT => last", &profile, &error))
        << error;
    EXPECT_EQ(profile.echo, EchoMode::Off);
    EXPECT_EQ(ReplyTo(profile, "ATI"), "\r\nOK");
    EXPECT_EQ(ReplyTo(profile, "AT"), "last");
}

TEST(ProfileLines, ErrorNamesTheFileAsGiven) {
    Profile profile;
    std::string error;
    EXPECT_FALSE(ParseProfile("\n\n\n\n\n\nATI => \\q\n", "full.profile", &profile, &error));
    EXPECT_EQ(error, "full.profile:7: unknown escape \\q");
}

TEST(ProfileLines, FloodOfSixtyFourMiBIsTheLimit) {
    Profile profile;
    std::string error;
    ASSERT_TRUE(Parse("X => {repeat 67108864 z}\n", &profile, &error)) << error;
    ASSERT_EQ(profile.rules["X"].chunks.size(), 1u);
    EXPECT_EQ(profile.rules["X"].ByteCount(), kMaxProfileReplyBytes);
    EXPECT_FALSE(Parse("X => {repeat 67108864 z}a\n", &profile, &error));
}

TEST(ProfileFiles, BundledProfilesParse) {
    for (const char* name : {"full-stick.profile", "old-stick.profile", "silent.profile"}) {
        Profile profile;
        std::string error;
        EXPECT_TRUE(LoadProfile(std::string(MODEMSIM_PROFILES) + "/" + name, &profile, &error)) << error;
    }
}

TEST(ProfileFiles, MissingFileIsNamedWithTheSystemsReason) {
    Profile profile;
    std::string error;
    EXPECT_FALSE(LoadProfile("/nonexistent/x.profile", &profile, &error));
    EXPECT_EQ(error, "/nonexistent/x.profile: No such file or directory");
    EXPECT_FALSE(LoadProfile("/", &profile, &error));
    EXPECT_EQ(error.substr(0, 3), "/: ");
}

// Arbitrary bytes and mangled fragments of the format: the parser must answer every one
// without crashing, and name the file and line whenever it refuses.
TEST(ProfileRobustness, RandomInputNeverCrashes) {
    const char* pieces[] = {"X => ", " => ", "\\", "\\x", "\\x4", "{pause ", "{repeat ", "9999", "12",
                            "}", "{", "<silent>", "\n", "\r", " ", "echo ", "latency ", "#",
                            "\xD0", "\x96", "\xFF", "\x00", "a", "\\r", "*"};
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            if (random() % 4 == 0)
                text.push_back(static_cast<char>(random() % 256));
            else
                text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        }
        Profile profile;
        std::string error;
        if (!ParseProfile(text, "r.profile", &profile, &error)) {
            EXPECT_EQ(error.substr(0, 10), "r.profile:") << error;
        }
    }
}

}  // namespace
