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

// One step of a reply: bytes to send, or a stop of the sending for a number of milliseconds.
struct ReplyChunk {
    bool isPause = false;
    std::string bytes;     // when !isPause; never empty
    uint32_t pauseMs = 0;  // when isPause
};

struct Reply {
    std::vector<ReplyChunk> chunks;  // empty: the modem sends nothing

    size_t ByteCount() const;
    // All bytes of the reply with the pauses left out.
    std::string Bytes() const;
};

struct Profile {
    EchoMode echo = EchoMode::On;
    uint32_t latencyMs = 5;
    std::map<std::string, Reply> rules;  // exact command line (Windows-1251) -> reply
    // Commands whose replies are used in turn, one per command line taken, then from the first
    // again: the `{cycle A | B}` rules. A command is in `rules` or here, never in both.
    std::map<std::string, std::vector<Reply>> cycles;
    Reply defaultReply;                  // the "*" rule; "\r\nERROR\r\n" unless the profile says
    // Command lines (Windows-1251) at which the modem goes away, as a stick pulled out does:
    // the `unplug COMMAND` lines, an extension of the shared profile format.
    std::set<std::string> unplugCommands;
};

// Limits that keep a hostile or mistyped profile from exhausting memory or hanging the simulator.
constexpr size_t kMaxProfileReplyBytes = 64u * 1024u * 1024u;  // all replies of a profile together
constexpr size_t kMaxProfilePauses = 100000;                   // all {pause} steps together
constexpr uint32_t kMaxPauseMs = 600000;
constexpr uint32_t kMaxLatencyMs = 600000;
constexpr uint32_t kMaxRepeatCount = 64u * 1024u * 1024u;
constexpr size_t kMaxProfileFileBytes = 16u * 1024u * 1024u;

// Parses a whole profile. Returns false with `error` set to "FILE:LINE: reason" on the first
// problem; `out` is then unspecified. Never throws; memory use is bounded by the limits above
// plus the size of `text`.
bool ParseProfile(const std::string& text, const std::string& fileName, Profile* out,
                  std::string* error);

// Parses the REPLY field of a `{cycle A | B ...}` rule into its replies, each as
// ParseReplyText does. Returns false with a reason (no file or line) in `error`.
bool IsCycleReply(const std::string& text);
bool ParseCycleText(const std::string& text, std::vector<Reply>* out, size_t* bytesLeft,
                    size_t* pausesLeft, std::string* error);

// Parses the REPLY field of a rule (escapes, {pause N}, {repeat N TEXT}, <silent>) into `out`.
// `bytesLeft` and `pausesLeft` are the remaining budgets and are reduced by what the reply uses.
// Returns false with a reason (no file or line) in `error`.
bool ParseReplyText(const std::string& text, Reply* out, size_t* bytesLeft, size_t* pausesLeft,
                    std::string* error);

// Reads and parses a profile file; errors name `path`.
bool LoadProfile(const std::string& path, Profile* out, std::string* error);
