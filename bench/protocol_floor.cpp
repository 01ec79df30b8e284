#include "bench/protocol_floor.h"

#include <cstdio>

#include "link/serial_port.h"

namespace {

// What the simulator answers on its own to a command the profile has no rule for.
const Reply& ReplyTo(const Profile& profile, const std::string& command) {
    static const Reply kBuiltInOk = [] {
        Reply reply;
        reply.chunks.resize(1);
        reply.chunks[0].bytes = "\r\nOK\r\n";
        return reply;
    }();
    const auto rule = profile.rules.find(command);
    if (rule != profile.rules.end()) return rule->second;
    if (command == "ATE0" || command == "ATE1") return kBuiltInOk;
    return profile.defaultReply;
}

}  // namespace

CommandFloor FloorOfCommand(const Profile& profile, const std::string& command) {
    CommandFloor floor;
    const Reply& reply = ReplyTo(profile, command);
    // Nothing to end the read but its total time-out (the run has switched echo off by then).
    if (reply.chunks.empty()) {
        floor.ms = double{kReadTotalPerByteMs} * 65535 + kReadTotalConstantMs;
        return floor;
    }
    floor.ms = profile.latencyMs + kReadIntervalMs;
    for (const ReplyChunk& chunk : reply.chunks) {
        if (!chunk.isPause) continue;
        floor.ms += chunk.pauseMs;
        if (chunk.pauseMs >= kReadIntervalMs) floor.cutByPause = true;
    }
    return floor;
}

bool LoadBenchProfile(const std::string& path, Profile* profile) {
    std::string error;
    if (LoadProfile(path, profile, &error)) return true;
    std::fprintf(stderr, "vesmarin-bench: %s\n", error.c_str());
    return false;
}
