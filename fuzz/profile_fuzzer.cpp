// The simulator's profile reader over arbitrary text: it must answer true or false, never
// crash, and a profile it accepts must stay inside the reader's limits. The input size is
// capped by -max_len (see run-fuzzers.sh); a single {repeat} can still ask for the 64 MiB
// budget, which the malloc limit of the run bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "tools/modemsim/profile.h"

namespace {

const std::string kFileName = "fuzz.profile";

// Adds up one reply's bytes and pauses, checking the shape of each chunk.
void CheckReply(const Reply& reply, size_t settings, size_t* bytes, size_t* pauses) {
    for (const ReplyChunk& chunk : reply.chunks) {
        if (chunk.setting != kNoSetting) {
            FuzzCheck(!chunk.isPause && chunk.bytes.empty(), "a setting's step carries bytes or a pause");
            FuzzCheck(chunk.setting >= 0 && static_cast<size_t>(chunk.setting) < settings,
                      "a reply names a setting that is not declared");
            *bytes += kMaxSettingValueBytes;
        } else if (chunk.isPause) {
            FuzzCheck(chunk.bytes.empty(), "a pause step carries bytes");
            FuzzCheck(chunk.pauseMs <= kMaxPauseMs, "a pause is longer than the limit");
            ++*pauses;
        } else {
            FuzzCheck(!chunk.bytes.empty(), "a reply has an empty byte step");
            *bytes += chunk.bytes.size();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Profile profile;
    std::string error;
    if (!ParseProfile(text, kFileName, &profile, &error)) {
        FuzzCheck(error.compare(0, kFileName.size() + 1, kFileName + ":") == 0,
                  "a rejected profile's message does not name the file");
        return 0;
    }
    FuzzCheck(profile.latencyMs <= kMaxLatencyMs, "the latency is above its limit");
    size_t bytes = 0;
    size_t pauses = 0;
    // Replaced rules are not refunded, so the kept replies are at most what was counted.
    for (const auto& rule : profile.rules) {
        FuzzCheck(!rule.first.empty(), "a rule has an empty command");
        FuzzCheck(rule.first != "*", "the * rule was stored as a command");
        CheckReply(rule.second, profile.settings.size(), &bytes, &pauses);
    }
    for (const auto& cycle : profile.cycles) {
        FuzzCheck(cycle.second.size() >= 2, "a cycle has fewer than two replies");
        FuzzCheck(profile.rules.count(cycle.first) == 0, "a command is both a rule and a cycle");
        for (const auto& reply : cycle.second) CheckReply(reply, profile.settings.size(), &bytes, &pauses);
    }
    CheckReply(profile.defaultReply, profile.settings.size(), &bytes, &pauses);
    FuzzCheck(profile.settings.size() <= kMaxSettings, "more settings than the limit");
    for (const Setting& setting : profile.settings)
        FuzzCheck(!setting.values.empty() && setting.values.size() <= kMaxSettingValues, "a setting's values");
    for (const StatefulRule& rule : profile.statefulRules) {
        FuzzCheck(rule.command.literals.size() == rule.command.placeholders.size() + 1, "a command pattern's shape");
        for (const SettingCondition& condition : rule.conditions)
            FuzzCheck(condition.setting < profile.settings.size(), "a condition names no setting");
        CheckReply(rule.reply, profile.settings.size(), &bytes, &pauses);
    }
    for (const UnsolicitedReport& report : profile.reports) {
        size_t reportPauses = 0;
        CheckReply(report.text, profile.settings.size(), &bytes, &reportPauses);
        FuzzCheck(reportPauses == 0 && !report.text.chunks.empty(), "an unsolicited text pauses or is empty");
        FuzzCheck(report.afterCommand || report.everyMs > 0, "a periodic report without a period");
    }
    // The built-in default reply is not part of the profile's budget.
    FuzzCheck(bytes <= kMaxProfileReplyBytes + 16, "the replies are larger than the limit");
    FuzzCheck(pauses <= kMaxProfilePauses, "more pauses than the limit");
    return 0;
}
