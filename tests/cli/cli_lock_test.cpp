// vesmarin-cli sharing a port with other runs of itself: which run gets the port, what the
// loser is told, and the lock file left behind (or not) by a run that is stopped. Layout
// CliModems: COM5 answers, COM4 stays silent (a run on it holds the port for 2000 ms).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/run_cli.h"

namespace {

struct Started {
    pid_t pid = -1;
    int output = -1;   // stderr (and, on a terminal, stdout)
};

struct Ended {
    int status = -1;   // the exit code, or minus the signal that ended it
    std::string err;
};

// Starts the tool; it waits for the write end of the pipe `go` to be closed before it runs, so that two runs can be let
// loose at the same moment. `lockDir` replaces VESMARIN_LOCK_DIR when given; `terminal` puts
// stdout and stderr on a pty of their own instead of stderr on a pipe.
Started Start(const std::vector<std::string>& args, const int go[2], const char* lockDir = nullptr,
              bool terminal = false) {
    Started run;
    int fds[2] = {-1, -1};
    if (terminal) {
        run.pid = forkpty(&run.output, nullptr, nullptr, nullptr);
    } else {
        if (pipe(fds) != 0) return run;
        run.pid = fork();
    }
    if (run.pid == 0) {
        if (!terminal) {
            dup2(fds[1], STDERR_FILENO);
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, STDOUT_FILENO);
        }
        if (lockDir != nullptr) setenv("VESMARIN_LOCK_DIR", lockDir, 1);
        close(go[1]);
        char byte;
        while (read(go[0], &byte, 1) < 0 && errno == EINTR) {
        }
        close(go[0]);
        ExecCli(args);
    }
    if (!terminal) {
        close(fds[1]);
        run.output = fds[0];
    }
    return run;
}

Ended Finish(const Started& run) {
    Ended ended;
    char chunk[4096];
    for (;;) {
        const ssize_t n = read(run.output, chunk, sizeof chunk);
        if (n > 0) {
            ended.err.append(chunk, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;   // end of the pipe, or EIO once the pty's slave is closed
        }
    }
    close(run.output);
    int status = 0;
    waitpid(run.pid, &status, 0);
    ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
    return ended;
}

// Runs the tool alone, at once.
Ended RunNow(const std::vector<std::string>& args, const char* lockDir = nullptr, bool terminal = false) {
    int go[2];
    if (pipe(go) != 0) return {};
    const Started run = Start(args, go, lockDir, terminal);
    close(go[0]);
    close(go[1]);
    return Finish(run);
}

// The lock file that a run on COMn makes, in the lock directory of the tests.
std::string LockFileOf(int comNumber) {
    const std::string link = std::string(std::getenv("VESMARIN_PORTS")) + "/com" + std::to_string(comNumber);
    char device[PATH_MAX];
    if (realpath(link.c_str(), device) == nullptr) return "";
    std::string name = device + std::strlen("/dev/");
    for (char& c : name) c = c == '/' ? '_' : c;
    return std::string(std::getenv("VESMARIN_LOCK_DIR")) + "/LCK.." + name;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool WaitUntilExists(const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Exists(path)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST(CliModemsRace, OfTwoRunsStartedTogetherExactlyOneGetsThePortAndTheOtherNamesIt) {
    const struct {
        std::vector<std::string> args;
        const char* lockDir;   // nullptr: the tests' own; else one that does not exist
        int rounds;
        int winnerStatus;
    } cases[] = {
        {{"at", "COM4", "AT"}, nullptr, 3, 1},                                  // silent: held 2000 ms
        {{"at", "COM4", "AT"}, "/nonexistent-vesmarin-locks", 3, 1},            // flock decides
        {{"info", "COM5"}, nullptr, 3, 0},
    };
    for (const auto& c : cases) {
        for (int round = 0; round < c.rounds; ++round) {
            SCOPED_TRACE(c.args[0] + " " + c.args[1] + (c.lockDir ? " without lock files" : "") +
                         ", round " + std::to_string(round));
            int go[2];
            ASSERT_EQ(pipe(go), 0);
            const Started first = Start(c.args, go, c.lockDir);
            const Started second = Start(c.args, go, c.lockDir);
            close(go[0]);
            close(go[1]);
            const Ended a = Finish(first);
            const Ended b = Finish(second);
            const bool firstWon = a.status == c.winnerStatus;
            const Ended& winner = firstWon ? a : b;
            const Ended& loser = firstWon ? b : a;
            EXPECT_EQ(winner.status, c.winnerStatus) << a.err << b.err;
            EXPECT_EQ(loser.status, 2) << a.err << b.err;
            const pid_t winnerPid = firstWon ? first.pid : second.pid;
            EXPECT_NE(loser.err.find("in use by vesmarin-cli (pid " + std::to_string(winnerPid) + ")"),
                      std::string::npos)
                << loser.err;
        }
    }
}

TEST(CliModemsLock, EveryEndingSignalRemovesTheLockOfARunningCommand) {
    const std::string lock = LockFileOf(4);
    ASSERT_FALSE(lock.empty());
    // SIGPIPE is ignored by the tool (a reader that goes away ends it through its normal path),
    // so it is not among the signals that end it.
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM}) {
        SCOPED_TRACE(strsignal(signalNumber));
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        const Started run = Start({"at", "COM4", "AT"}, go);
        close(go[0]);
        close(go[1]);
        ASSERT_TRUE(WaitUntilExists(lock));
        kill(run.pid, signalNumber);
        const Ended ended = Finish(run);
        EXPECT_EQ(ended.status, -signalNumber);   // it still dies of the signal
        EXPECT_FALSE(Exists(lock));
        unlink(lock.c_str());
    }
}

// Runs the tool with stdin from /dev/null, stdout and stderr into one pipe, and gives it
// `seconds` to end by itself; a run that does not is killed and reported as hung (-1000).
Ended RunWithin(const std::vector<std::string>& args, int seconds) {
    Ended ended;
    int fds[2];
    if (pipe(fds) != 0) return ended;
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(fds[1], STDOUT_FILENO);
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        ExecCli(args);
    }
    close(fds[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    bool hung = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd output{fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&output, 1, static_cast<int>(left.count())) == 0) {
            hung = true;
            kill(pid, SIGKILL);
            break;
        }
        char chunk[4096];
        const ssize_t n = read(fds[0], chunk, sizeof chunk);
        if (n > 0) ended.err.append(chunk, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR) break;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ended.status = hung ? -1000 : WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return ended;
}

// Anyone may put a FIFO at a lock path of the shared lock folder: reading it would wait for a
// writer for good. Every command says the port is locked, naming the path, and ends.
TEST(CliModemsLock, AFifoAtTheLockPathHangsNoCommandAndIsNamed) {
    const std::string lock = LockFileOf(5);
    ASSERT_FALSE(lock.empty());
    ASSERT_EQ(mkfifo(lock.c_str(), 0666), 0) << std::strerror(errno);
    const std::string named = "is locked by " + lock + " (a FIFO, not a lock file)";
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"at", "COM5", "AT"}, 2},
        {{"info", "COM5"}, 2},
        {{"watch", "--count", "1", "COM5"}, 2},
        {{"term", "COM5"}, 2},
        {{"scan", "--verbose"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const Ended ended = RunWithin(c.args, 60);
        EXPECT_EQ(ended.status, c.status) << ended.err;
        EXPECT_NE(ended.err.find(named), std::string::npos) << ended.err;
    }
    struct stat still {};
    EXPECT_TRUE(lstat(lock.c_str(), &still) == 0 && S_ISFIFO(still.st_mode));   // not the tool's to remove
    unlink(lock.c_str());
}

TEST(CliModemsLock, AnEmptyLockIsHeldWhileYoungAndRemovedWhenOld) {
    const std::string lock = LockFileOf(5);
    ASSERT_FALSE(lock.empty());
    std::ofstream(lock).close();
    const Ended young = RunNow({"at", "COM5", "AT"});
    EXPECT_EQ(young.status, 2);
    EXPECT_NE(young.err.find("is locked by " + lock), std::string::npos) << young.err;
    EXPECT_TRUE(Exists(lock));

    const timeval old[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
    ASSERT_EQ(utimes(lock.c_str(), old), 0);
    EXPECT_EQ(RunNow({"at", "COM5", "AT"}).status, 0);
    EXPECT_FALSE(Exists(lock));
}

TEST(CliModemsLock, APortUsedWithoutALockFileIsToldOnATerminal) {
    const char* missing = "/nonexistent-vesmarin-locks";
    const std::string note = "is used without a lock file: ";
    const Ended terminal = RunNow({"at", "COM5", "AT"}, missing, true);
    EXPECT_EQ(terminal.status, 0);
    EXPECT_NE(terminal.err.find("vesmarin-cli at: note: COM5 " + note), std::string::npos) << terminal.err;
    const Ended piped = RunNow({"at", "COM5", "AT"}, missing);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err.find(note), std::string::npos) << piped.err;
    // With the tests' own lock directory there is nothing to tell.
    EXPECT_EQ(RunNow({"at", "COM5", "AT"}, nullptr, true).err.find(note), std::string::npos);
    EXPECT_NE(RunNow({"info", "COM5"}, missing, true).err.find("vesmarin-cli info: note: COM5 " + note),
              std::string::npos);

    // scan --verbose tells it in its account, wherever that goes.
    FILE* scan = popen(("VESMARIN_LOCK_DIR=" + std::string(missing) + " " + VESMARIN_CLI + " scan --verbose").c_str(), "r");
    ASSERT_NE(scan, nullptr);
    std::string account;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, scan)) > 0) account.append(chunk, n);
    pclose(scan);
    EXPECT_NE(account.find("Ports were opened without lock files: "), std::string::npos) << account;
}

}  // namespace
