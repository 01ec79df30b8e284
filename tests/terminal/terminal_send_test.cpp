// What one terminal send appends, in what order, for each outcome, against simulated modems.
// Layout TerminalSend: COM3 answers with echo off, COM4 stays silent, COM5 echoes every line it
// receives, COM6 has echo on as a stick does after power-up.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/transact.h"
#include "terminal/terminal_send.h"
#include "tests/support/modem_transcript.h"

namespace {

using Clock = std::chrono::steady_clock;
using Pieces = std::vector<std::string>;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

struct Transcript {
    Pieces pieces;
    bool allTerminated = true;   // bytes[length] was NUL for every piece

    static void Append(const char* bytes, uint32_t length, void* context) {
        auto* self = static_cast<Transcript*>(context);
        self->pieces.emplace_back(bytes, length);
        if (bytes[length] != '\0') self->allTerminated = false;
    }
};

struct Sent {
    SendOutcome outcome;
    Pieces pieces;
    long long elapsedMs;
};

Sent Send(const char* entry, const std::string& command) {
    Transcript transcript;
    const auto start = Clock::now();
    const SendOutcome outcome =
        SendTerminalCommand(entry, command.c_str(), &Transcript::Append, &transcript);
    const long long elapsed = MsSince(start);
    EXPECT_TRUE(transcript.allTerminated);
    return {outcome, transcript.pieces, elapsed};
}

Pieces Echo(const std::string& command) { return {"cmd> ", command, "\n"}; }

Pieces EchoAndReply(const std::string& command, const std::string& reply) {
    Pieces pieces = Echo(command);
    pieces.push_back(reply);
    pieces.push_back("\n");
    return pieces;
}

// Everything port N received after the first `skip` reads, joined.
std::string ReceivedSince(int portNumber, size_t skip) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReceivedByModem(portNumber, &lines)) << "no transcript of COM" << portNumber;
    std::string joined;
    for (size_t i = skip; i < lines.size(); ++i) joined += lines[i];
    return joined;
}

size_t ReadsSoFar(int portNumber) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReceivedByModem(portNumber, &lines)) << "no transcript of COM" << portNumber;
    return lines.size();
}

const char kAtiReply[] =
    "\r\nManufacturer: Testmaker\r\nModel: E173\r\nRevision: 11.126.85.00.209\r\n"
    "IMEI: 350000000000001\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n";

TEST(TerminalSendReply, AtiGivesEchoRawReplyAndLineFeedInOrder) {
    const Sent sent = Send("E173 (COM3)", "ATI");
    EXPECT_EQ(sent.outcome, SendOutcome::Replied);
    EXPECT_EQ(sent.pieces, EchoAndReply("ATI", kAtiReply));
    // The read ends by 50 ms of silence, far inside the 2000 ms limit.
    EXPECT_LT(sent.elapsedMs, static_cast<long long>(kTerminalTimeLimitMs));
}

TEST(TerminalSendReply, ReplyBytesArriveExactlyNulAndCyrillicIncluded) {
    struct Case {
        const char* command;
        std::string reply;
    };
    const Case cases[] = {
        {"AT+NUL", std::string("\r\nA\0B\r\n\r\nOK\r\n", 13)},
        {"AT+CYR", "\r\nОператор: Связь\r\n\r\nOK\r\n"},   // 1251 bytes, as the modem sent them
        {"AT+UNKNOWN", "\r\nERROR\r\n"},                   // errors are shown, not interpreted
    };
    for (const Case& c : cases) {
        const Sent sent = Send("E173 (COM3)", c.command);
        EXPECT_EQ(sent.outcome, SendOutcome::Replied) << c.command;
        EXPECT_EQ(sent.pieces, EchoAndReply(c.command, c.reply)) << c.command;
    }
}

TEST(TerminalSendReply, PauseInTheReplyCutsItThere) {
    const Sent sent = Send("E173 (COM3)", "AT+SPLIT");
    EXPECT_EQ(sent.outcome, SendOutcome::Replied);
    EXPECT_EQ(sent.pieces, EchoAndReply("AT+SPLIT", "\r\nHEAD"));
}

TEST(TerminalSendReply, EchoOnShowsTheCommandTwice) {
    const Sent sent = Send("E173 (COM6)", "ATI");
    EXPECT_EQ(sent.outcome, SendOutcome::Replied);
    EXPECT_EQ(sent.pieces, EchoAndReply("ATI", "ATI\r\r\nERROR\r\n"));
}

TEST(TerminalSendReply, EmptyCommandIsALoneCarriageReturn) {
    const size_t before = ReadsSoFar(5);
    const Sent sent = Send("E173 (COM5)", "");
    EXPECT_EQ(sent.outcome, SendOutcome::Replied);
    // The echoing modem sends back what it got: an empty line, then its answer.
    EXPECT_EQ(sent.pieces, EchoAndReply("", "\r\r\nOK\r\n"));
    EXPECT_EQ(ReceivedSince(5, before), "\\r");
}

TEST(TerminalSendReply, OverlongCommandIsEchoedAsReadAndSentAsFarAsALineHolds) {
    const std::string typed = "AT" + std::string(400, 'Q');
    const std::string read = typed.substr(0, kTerminalCommandSize - 1);
    const std::string sentLine = typed.substr(0, kMaxCommandLength);
    const Sent sent = Send("E173 (COM5)", typed);
    EXPECT_EQ(sent.outcome, SendOutcome::Replied);
    EXPECT_EQ(sent.pieces, EchoAndReply(read, sentLine + "\r\r\nOK\r\n"));
}

TEST(TerminalSendSilence, SilentModemLeavesOnlyTheEchoAfterTheLimit) {
    for (const char* command : {"ATI", ""}) {
        const Sent sent = Send("E173 (COM4)", command);
        EXPECT_EQ(sent.outcome, SendOutcome::Silent) << command;
        EXPECT_EQ(sent.pieces, Echo(command)) << command;
        EXPECT_GE(sent.elapsedMs, static_cast<long long>(kTerminalTimeLimitMs) - 20) << command;
        EXPECT_LT(sent.elapsedMs, static_cast<long long>(kTerminalTimeLimitMs) + 1500) << command;
    }
}

TEST(TerminalSendNoPort, NothingSelectedAppendsNothingAndSendsNothing) {
    const size_t before = ReadsSoFar(5);
    const Sent none = Send(nullptr, "AT+NEVER");
    EXPECT_EQ(none.outcome, SendOutcome::NoSelection);
    EXPECT_TRUE(none.pieces.empty());
    // A send that does reach the modem afterwards is the first thing it hears.
    const Sent marker = Send("E173 (COM5)", "AT+MARK");
    EXPECT_EQ(marker.outcome, SendOutcome::Replied);
    EXPECT_EQ(ReceivedSince(5, before), "AT+MARK\\r");
}

TEST(TerminalSendNoPort, UnopenableEntryKeepsTheEchoOnly) {
    for (const char* entry : {"", "no port here", "E173 (COM9)", "E173 (COM)"}) {
        const Sent sent = Send(entry, "ATI");
        EXPECT_EQ(sent.outcome, SendOutcome::OpenFailed) << "'" << entry << "'";
        EXPECT_EQ(sent.pieces, Echo("ATI")) << "'" << entry << "'";
    }
}

TEST(TerminalSendAtPath, DevicePathFormSendsTheSameWay) {
    Transcript transcript;
    EXPECT_EQ(SendTerminalCommandAtPath("\\\\.\\COM3", "ATI", &Transcript::Append, &transcript),
              SendOutcome::Replied);
    EXPECT_EQ(transcript.pieces, EchoAndReply("ATI", kAtiReply));

    for (const char* path : {"", "\\\\.\\", "\\\\.\\COM9"}) {
        Transcript failed;
        EXPECT_EQ(SendTerminalCommandAtPath(path, "AT", &Transcript::Append, &failed),
                  SendOutcome::OpenFailed) << path;
        EXPECT_EQ(failed.pieces, Echo("AT")) << path;
    }
    Transcript none;
    EXPECT_EQ(SendTerminalCommandAtPath(nullptr, "AT", &Transcript::Append, &none),
              SendOutcome::OpenFailed);
    EXPECT_EQ(none.pieces, Echo("AT"));
}

}  // namespace
