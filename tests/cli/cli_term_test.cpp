// vesmarin-cli term driven as a user drives it: lines from a pipe, and keys at a terminal.
// Layout CliTerm: COM5 answers with echo off, COM4 stays silent.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/modem_transcript.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs "vesmarin-cli term ARGS" with `input` on stdin (a file, so EOF comes after it).
Outcome RunTerm(const std::string& args, const std::string& input) {
    char folder[] = "/tmp/vesmarin-term-XXXXXX";
    Outcome outcome;
    if (mkdtemp(folder) == nullptr) return outcome;
    const std::string in = std::string(folder) + "/in";
    const std::string err = std::string(folder) + "/err";
    std::ofstream(in, std::ios::binary) << input;
    const std::string command =
        std::string(VESMARIN_CLI) + " term " + args + " <" + in + " 2>" + err;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe != nullptr) {
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) outcome.out.append(chunk, n);
        const int status = pclose(pipe);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    outcome.err = ReadFile(err);
    std::remove(in.c_str());
    std::remove(err.c_str());
    rmdir(folder);
    return outcome;
}

size_t ReadsSoFar(int portNumber) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReceivedByModem(portNumber, &lines));
    return lines.size();
}

std::string ReceivedSince(int portNumber, size_t skip) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReceivedByModem(portNumber, &lines));
    std::string joined;
    for (size_t i = skip; i < lines.size(); ++i) joined += lines[i] + "|";
    return joined;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

const std::string kAtiReply =
    "\r\nManufacturer: Testmaker\r\nModel: E173\r\nRevision: 11.126.85.00.209\r\n"
    "IMEI: 350000000000001\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n";

TEST(CliTermPiped, EachLineIsOneTransactionUntilExit) {
    const size_t before = ReadsSoFar(5);
    const Outcome run = RunTerm("COM5", "ATI\n\nexit\nAT+NEVER\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "cmd> ATI\n" + kAtiReply + "\n" + "cmd> \n\r\nERROR\r\n\n");
    EXPECT_EQ(run.err, "");
    // The empty line went out as a lone carriage return; nothing after "exit" did.
    EXPECT_EQ(ReceivedSince(5, before), "ATI\\r|\\r|");
}

TEST(CliTermPiped, EndOfInputEndsLikeExit) {
    const Outcome run = RunTerm("'E173 (COM5)'", "ATI");   // no line end after the last line
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "cmd> ATI\n" + kAtiReply + "\n");
    const Outcome nothing = RunTerm("COM5", "");
    EXPECT_EQ(nothing.status, 0);
    EXPECT_EQ(nothing.out, "");
}

TEST(CliTermPiped, RepliesArriveAsUtf8WithTheirNulBytes) {
    const Outcome run = RunTerm("COM5", "AT+CYR\r\nAT+NUL\r\n");   // a CRLF file
    EXPECT_EQ(run.status, 0) << run.err;
    const char nulReply[] = "cmd> AT+NUL\n\r\nA\0B\r\n\r\nOK\r\n\n";
    EXPECT_EQ(run.out, std::string(u8"cmd> AT+CYR\n\r\nОператор: Связь\r\n\r\nOK\r\n\n") +
                           std::string(nulReply, sizeof nulReply - 1));
}

TEST(CliTermPiped, RefusedAndUnansweredLinesMakeExitOne) {
    const size_t before = ReadsSoFar(5);
    const Outcome refused = RunTerm("COM5", "AT\tI\nATI\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "cmd> ATI\n" + kAtiReply + "\n");
    EXPECT_NE(refused.err.find("control character"), std::string::npos) << refused.err;
    EXPECT_EQ(ReceivedSince(5, before), "ATI\\r|");

    const Outcome tooLong = RunTerm("COM5", std::string(255, 'A') + "\n");
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find("254"), std::string::npos) << tooLong.err;

    const Outcome silent = RunTerm("COM4", "ATI\n");
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(silent.out, "cmd> ATI\n");
    EXPECT_NE(silent.err.find("no reply from COM4 within 2000 ms"), std::string::npos) << silent.err;
}

TEST(CliTermPiped, BadPortsAndArgumentsAreExitTwo) {
    const Outcome missing = RunTerm("COM9", "ATI\n");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("cannot open COM9"), std::string::npos) << missing.err;
    EXPECT_EQ(RunTerm("nowhere", "").status, 2);
    EXPECT_EQ(RunTerm("", "").status, 2);
    EXPECT_EQ(RunTerm("COM5 COM4", "").status, 2);
    const Outcome help = RunTerm("--help", "");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
}

// A program on a pseudo-terminal of its own, typed at like a keyboard: the tool itself, or a
// shell that starts it.
class TypedSession {
public:
    explicit TypedSession(const std::string& port)
        : TypedSession(std::vector<std::string>{VESMARIN_CLI, "term", port}) {}
    explicit TypedSession(const std::vector<std::string>& argv) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        const std::string slave = ptsname(master_);
        tcgetattr(master_, &found_);
        child_ = fork();
        if (child_ == 0) {
            setsid();
            const int fd = open(slave.c_str(), O_RDWR);
            dup2(fd, 0);
            dup2(fd, 1);
            dup2(fd, 2);
            setenv("TERM", "xterm", 1);
            setenv("PS1", "shell$ ", 1);
            const rlimit noCore{0, 0};   // SIGQUIT ends the tool without a core file
            setrlimit(RLIMIT_CORE, &noCore);
            std::vector<std::string> strings = argv;
            std::vector<char*> args;
            for (auto& text : strings) args.push_back(&text[0]);
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ~TypedSession() {
        if (child_ > 0 && !exited_) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
    }
    bool Started() const { return master_ >= 0 && child_ > 0; }

    void Send(int signalNumber) { kill(child_, signalNumber); }

    void Type(const std::string& keys) { EXPECT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size())); }

    // Reads the screen output until `text` has appeared `times` times in all, or 10 s pass.
    bool WaitFor(const std::string& text, size_t times = 1) {
        return WaitUntil([&] { return Count(screen_, text) >= times; });
    }

    // Reads the screen output until `done` holds, or 10 s pass.
    bool WaitUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0) return false;
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(std::min<long long>(left, 20))) <= 0) continue;
            char chunk[4096];
            const ssize_t n = read(master_, chunk, sizeof chunk);
            if (n <= 0) return done();
            screen_.append(chunk, static_cast<size_t>(n));
        }
        return true;
    }

    // Reads the screen output until no process has the terminal open any more (the master
    // then reads EIO), or 10 s pass.
    void ReadToTheEnd() { WaitUntil([] { return false; }); }

    // The editor draws the prompt at the start of a line once it has the terminal in raw mode:
    // only then do keys reach it as keys (typed earlier, the terminal's own line editing would
    // take them). A redraw of the line starts with a carriage return alone and is not counted.
    // The prompt may be drawn a moment before the raw mode is set, so that is waited for too
    // (a pty's master reads the settings of its slave).
    bool WaitForPrompt(size_t times) {
        if (!WaitFor("\ncmd> ", times)) return false;
        return WaitUntil([&] { return !InFoundMode(); });
    }

    // Whether the terminal's modes are those it had before the program started.
    bool InFoundMode() const {
        termios now{};
        if (tcgetattr(master_, &now) != 0) return false;
        return now.c_lflag == found_.c_lflag && now.c_iflag == found_.c_iflag && now.c_oflag == found_.c_oflag;
    }

    // The exit status, reading the screen meanwhile so the program never blocks on a full
    // terminal, and then what it wrote last; -1 when a signal ended it (Signal() tells which)
    // or when it has not ended within 10 s (it is then killed).
    int Wait() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (waitpid(child_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) return -1;
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 100) > 0) {
                char chunk[4096];
                const ssize_t n = read(master_, chunk, sizeof chunk);
                if (n > 0) screen_.append(chunk, static_cast<size_t>(n));
            }
        }
        exited_ = true;
        // Its last words may have come between the read above and its end.
        ReadToTheEnd();
        if (WIFSIGNALED(status)) signal_ = WTERMSIG(status);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Signal() const { return signal_; }
    const std::string& Screen() const { return screen_; }

private:
    int master_ = -1;
    pid_t child_ = -1;
    bool exited_ = false;
    int signal_ = 0;
    termios found_{};
    std::string screen_;
};

TEST(CliTermTyped, ArrowUpRecallsTheLastCommandAndCtrlDEnds) {
    const size_t before = ReadsSoFar(5);
    TypedSession session("COM5");
    ASSERT_TRUE(session.Started());
    ASSERT_TRUE(session.WaitForPrompt(1)) << session.Screen();
    session.Type("ATX\x7fI\r");                      // a typo, erased
    ASSERT_TRUE(session.WaitForPrompt(2)) << session.Screen();
    session.Type("\x1b[A\r");                        // the same command again
    ASSERT_TRUE(session.WaitForPrompt(3)) << session.Screen();
    session.Type("\x04");
    EXPECT_EQ(session.Wait(), 0) << session.Screen();
    EXPECT_EQ(ReceivedSince(5, before), "ATI\\r|ATI\\r|");
    // The typed line is the echo: the prompt line is not printed a second time.
    EXPECT_EQ(Count(session.Screen(), "cmd> ATI\r\n"), 0u) << session.Screen();
    EXPECT_EQ(Count(session.Screen(), "Manufacturer: Testmaker"), 2u);
}

TEST(CliTermTyped, CtrlCDropsTheLineAndExitEnds) {
    const size_t before = ReadsSoFar(5);
    TypedSession session("COM5");
    ASSERT_TRUE(session.Started());
    ASSERT_TRUE(session.WaitForPrompt(1)) << session.Screen();
    session.Type("AT+CFUN=0\x03");
    ASSERT_TRUE(session.WaitForPrompt(2)) << session.Screen();
    EXPECT_EQ(Count(session.Screen(), "^C"), 1u);
    session.Type("exit\r");
    EXPECT_EQ(session.Wait(), 0) << session.Screen();
    EXPECT_EQ(ReceivedSince(5, before), "");
}

// Resizes that come while the editor draws the line (the screen is not read meanwhile, so its
// writes wait for room) fail none of them: the next command is answered and Ctrl-D ends with 0.
TEST(CliTermTyped, ResizesWhileTheLineIsDrawnDoNotEndTheTool) {
    const size_t before = ReadsSoFar(5);
    TypedSession session("COM5");
    ASSERT_TRUE(session.Started());
    ASSERT_TRUE(session.WaitForPrompt(1)) << session.Screen();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < end) session.Send(SIGWINCH);
    session.Type("ATI\r");
    ASSERT_TRUE(session.WaitFor("Manufacturer: Testmaker")) << session.Screen();
    const size_t reply = session.Screen().find("Manufacturer: Testmaker");
    // The prompt after the reply, and the editor's mode, so that Ctrl-D reaches the editor.
    ASSERT_TRUE(session.WaitUntil([&] {
        return session.Screen().find("\ncmd> ", reply) != std::string::npos && !session.InFoundMode();
    })) << session.Screen().substr(reply);
    session.Type("\x04");
    EXPECT_EQ(session.Wait(), 0) << session.Screen().substr(reply);
    EXPECT_EQ(ReceivedSince(5, before), "ATI\\r|");
}

// A script started the tool: they share a process group. SIGTERM at the prompt ends the tool
// alone, the terminal put back, and the script goes on.
TEST(CliTermTyped, SigtermAtThePromptEndsOnlyTheTool) {
    const std::string script = std::string("sh -c 'echo tool $$; exec ") + VESMARIN_CLI +
                               " term COM5'; echo \"script goes on after $?\"";
    TypedSession session(std::vector<std::string>{"/bin/bash", "-c", script});
    ASSERT_TRUE(session.Started());
    ASSERT_TRUE(session.WaitForPrompt(1)) << session.Screen();
    const size_t at = session.Screen().find("tool ");
    ASSERT_NE(at, std::string::npos);
    const pid_t tool = static_cast<pid_t>(std::atol(session.Screen().c_str() + at + 5));
    ASSERT_GT(tool, 0);
    session.Type("ATI");
    ASSERT_TRUE(session.WaitFor("ATI")) << session.Screen();
    kill(tool, SIGTERM);
    EXPECT_EQ(session.Wait(), 0) << session.Screen();
    EXPECT_NE(session.Screen().find("script goes on after 143"), std::string::npos) << session.Screen();
    EXPECT_TRUE(session.InFoundMode());
}

// While a command runs the terminal is as found: what is typed ahead is echoed, and Ctrl-C ends
// the tool (the line typed ahead is never sent).
TEST(CliTermTyped, DuringACommandTheTerminalIsAsFoundAndCtrlCEndsTheTool) {
    const size_t before = ReadsSoFar(4);
    TypedSession session("COM4");
    ASSERT_TRUE(session.Started());
    ASSERT_TRUE(session.WaitForPrompt(1)) << session.Screen();
    session.Type("ATI\r");
    ASSERT_TRUE(session.WaitUntil([&] { return ReceivedSince(4, before) == "ATI\\r|"; }));
    EXPECT_TRUE(session.InFoundMode());
    session.Type("AT+CSQ");
    EXPECT_TRUE(session.WaitFor("AT+CSQ")) << session.Screen();
    session.Type("\x03");
    EXPECT_EQ(session.Wait(), -1) << session.Screen();
    EXPECT_EQ(session.Signal(), SIGINT);
    EXPECT_TRUE(session.InFoundMode());
    EXPECT_EQ(ReceivedSince(4, before), "ATI\\r|");
}

TEST(CliTermTyped, CtrlBackslashAtThePromptEndsTheTool) {
    TypedSession session("COM5");
    ASSERT_TRUE(session.Started());
    ASSERT_TRUE(session.WaitForPrompt(1)) << session.Screen();
    session.Type("AT\x1c");
    EXPECT_EQ(session.Wait(), -1) << session.Screen();
    EXPECT_EQ(session.Signal(), SIGQUIT);
    EXPECT_TRUE(session.InFoundMode());
}

// In a shell with job control: Ctrl-Z in the middle of a line stops the tool, and after `fg`
// the line is drawn again and goes on; `fg` itself never reaches the modem.
TEST(CliTermTyped, CtrlZSuspendsAndFgResumesTheLine) {
    const size_t before = ReadsSoFar(5);
    TypedSession shell(std::vector<std::string>{"/bin/bash", "--norc", "--noprofile", "-i"});
    ASSERT_TRUE(shell.Started());
    ASSERT_TRUE(shell.WaitFor("shell$ ")) << shell.Screen();
    shell.Type(std::string(VESMARIN_CLI) + " term COM5\r");
    ASSERT_TRUE(shell.WaitForPrompt(1)) << shell.Screen();
    shell.Type("AT+CF");
    ASSERT_TRUE(shell.WaitFor("AT+CF")) << shell.Screen();
    shell.Type("\x1a");
    ASSERT_TRUE(shell.WaitFor("Stopped")) << shell.Screen();
    ASSERT_TRUE(shell.WaitFor("shell$ ", 2)) << shell.Screen();
    shell.Type("fg\r");
    ASSERT_TRUE(shell.WaitFor("cmd> AT+CF", 2)) << shell.Screen();
    ASSERT_TRUE(shell.WaitUntil([&] { return !shell.InFoundMode(); }));
    const size_t prompts = Count(shell.Screen(), "\ncmd> ");
    shell.Type("UN?\r");
    ASSERT_TRUE(shell.WaitFor("ERROR")) << shell.Screen();
    // Ctrl-D typed before the editor has the terminal would be the terminal's own end of file.
    ASSERT_TRUE(shell.WaitForPrompt(prompts + 1)) << shell.Screen();
    shell.Type("\x04");
    ASSERT_TRUE(shell.WaitFor("shell$ ", 3)) << shell.Screen();
    shell.Type("exit\r");
    EXPECT_EQ(shell.Wait(), 0) << shell.Screen();
    EXPECT_EQ(ReceivedSince(5, before), "AT+CFUN?\\r|");
}

}  // namespace
