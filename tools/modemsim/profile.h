// A simulated modem's profile: what it answers to each command line, parsed from the
// profile text format (tools/modemsim/README.md, "Profiles").
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

enum class EchoMode { On, Off, Always };
// When the echo of a command goes out: with the first bytes of its reply (one write, so a
// client's read that ends after a short silence gets both), or at once when the command is
// taken, the reply following `latency` later (the `echo-timing early` line).
enum class EchoTiming { WithReply, Early };

constexpr int kNoSetting = -1;

// One step of a reply: bytes to send, the current value of a setting, or a stop of the
// sending for a number of milliseconds.
struct ReplyChunk {
    bool isPause = false;
    std::string bytes;          // when !isPause and setting == kNoSetting; never empty then
    uint32_t pauseMs = 0;       // when isPause
    int setting = kNoSetting;   // when not kNoSetting: the value of that setting at send time
};

struct Reply {
    std::vector<ReplyChunk> chunks;  // empty: the modem sends nothing

    size_t ByteCount() const;
    // All bytes of the reply with the pauses left out.
    std::string Bytes() const;
};

// A value the modem keeps and set commands change (`setting NAME VALUE...`): the values a set
// command may give, the first being the value at start.
struct Setting {
    std::string name;
    std::vector<std::string> values;
};

// "when NAME=VALUE": holds while the setting has that value.
struct SettingCondition {
    size_t setting = 0;
    std::string value;
};

// A command line with `{NAME}` placeholders of settings: literal pieces around them, each
// placeholder standing for one of its setting's values.
struct CommandPattern {
    std::vector<std::string> literals;  // always placeholders.size() + 1 pieces
    std::vector<size_t> placeholders;   // setting indexes
};

// A rule with conditions or placeholders; such rules are tried before the plain ones.
struct StatefulRule {
    std::vector<SettingCondition> conditions;
    CommandPattern command;
    Reply reply;
};

// A line the modem sends on its own: every `everyMs` from the start, or `afterMs` after the
// end of the reply to a command (`unsolicited every|after ...`), while its conditions hold.
struct UnsolicitedReport {
    std::vector<SettingCondition> conditions;
    bool afterCommand = false;
    uint32_t everyMs = 0;
    uint32_t afterMs = 0;
    CommandPattern command;   // when afterCommand
    Reply text;               // bytes and setting values, no pauses
};

struct Profile {
    EchoMode echo = EchoMode::On;
    EchoTiming echoTiming = EchoTiming::WithReply;
    uint32_t latencyMs = 5;
    std::map<std::string, Reply> rules;  // exact command line (Windows-1251) -> reply
    // Commands whose replies are used in turn, one per command line taken, then from the first
    // again: the `{cycle A | B}` rules. A command is in `rules` or here, never in both.
    std::map<std::string, std::vector<Reply>> cycles;
    Reply defaultReply;                  // the "*" rule; "\r\nERROR\r\n" unless the profile says
    // Command lines (Windows-1251) at which the modem goes away, as a stick pulled out does:
    // the `unplug COMMAND` lines, an extension of the shared profile format.
    std::set<std::string> unplugCommands;
    std::vector<Setting> settings;
    std::vector<StatefulRule> statefulRules;   // in profile order; the last that applies wins
    std::vector<UnsolicitedReport> reports;
};

// Whether `line` fits `pattern` with each placeholder one of its setting's values; on a match
// `captured` holds the value per placeholder.
bool MatchCommand(const CommandPattern& pattern, const std::vector<Setting>& settings,
                  const std::string& line, std::vector<std::string>* captured);

// Limits that keep a hostile or mistyped profile from exhausting memory or hanging the simulator.
constexpr size_t kMaxProfileReplyBytes = 64u * 1024u * 1024u;  // all replies of a profile together
constexpr size_t kMaxProfilePauses = 100000;                   // all {pause} steps together
constexpr uint32_t kMaxPauseMs = 600000;
constexpr uint32_t kMaxLatencyMs = 600000;
constexpr uint32_t kMaxRepeatCount = 64u * 1024u * 1024u;
constexpr size_t kMaxProfileFileBytes = 16u * 1024u * 1024u;
constexpr size_t kMaxSettings = 64;
constexpr size_t kMaxSettingValues = 256;
constexpr size_t kMaxSettingValueBytes = 64;
constexpr size_t kMaxStatefulRules = 10000;
constexpr size_t kMaxReports = 1000;

// Parses a whole profile. Returns false with `error` set to "FILE:LINE: reason" on the first
// problem; `out` is then unspecified. Never throws; memory use is bounded by the limits above
// plus the size of `text`.
bool ParseProfile(const std::string& text, const std::string& fileName, Profile* out,
                  std::string* error);

// Parses the REPLY field of a `{cycle A | B ...}` rule into its replies, each as
// ParseReplyText does. Returns false with a reason (no file or line) in `error`.
bool IsCycleReply(const std::string& text);
bool ParseCycleText(const std::string& text, std::vector<Reply>* out, size_t* bytesLeft,
                    size_t* pausesLeft, std::string* error, const std::vector<Setting>* settings = nullptr);

// Parses the REPLY field of a rule (escapes, {pause N}, {repeat N TEXT}, <silent>) into `out`.
// `bytesLeft` and `pausesLeft` are the remaining budgets and are reduced by what the reply uses.
// Returns false with a reason (no file or line) in `error`.
// `settings`, when given, turns `{NAME}` of a declared setting into its value at send time.
bool ParseReplyText(const std::string& text, Reply* out, size_t* bytesLeft, size_t* pausesLeft,
                    std::string* error, const std::vector<Setting>* settings = nullptr);

// Reads and parses a profile file; errors name `path`.
bool LoadProfile(const std::string& path, Profile* out, std::string* error);
