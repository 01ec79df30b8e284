// The exit-cleanup steps, each case in a child process of its own: the steps and handlers are
// process-wide and run once, so the test program itself must never install them.
#include "common/exit_cleanup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

int ReportFd = -1;   // the child's end of the pipe its steps report into

void StepA() { (void)!write(ReportFd, "A", 1); }
void StepB() { (void)!write(ReportFd, "B", 1); }
void OwnHandler(int) {
    (void)!write(ReportFd, "H", 1);
    _exit(7);
}

template <int N>
void NumberedStep() {}
template <int... N>
int AddNumberedSteps(std::integer_sequence<int, N...>) {
    return (0 + ... + (AddExitCleanup(&NumberedStep<N>) ? 1 : 0));
}

struct ChildEnd {
    std::string report;   // what the steps wrote, in order, and "R" once the child was ready
    int status = 0;
};

// Runs `body` in a child with StepA and StepB registered (B last, so it runs first); once it
// says it is ready, sends it each of `signals` in turn and collects how it ended.
template <typename Body>
ChildEnd RunChild(Body body, std::initializer_list<int> signals = {}) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        ReportFd = fds[1];
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        body();
        _exit(0);
    }
    close(fds[1]);
    ChildEnd end;
    char byte = 0;
    // The child writes R when it waits for signals; no R (a body that just ends) is fine too.
    if (signals.size() > 0 && read(fds[0], &byte, 1) == 1) end.report += byte;
    for (int signalNumber : signals) kill(child, signalNumber);
    while (read(fds[0], &byte, 1) == 1) end.report += byte;
    close(fds[0]);
    waitpid(child, &end.status, 0);
    return end;
}

void RegisterAndWait() {
    AddExitCleanup(StepA);
    AddExitCleanup(StepB);
    AddExitCleanup(StepA);   // not a second time
    (void)!write(ReportFd, "R", 1);
    for (;;) pause();
}

TEST(ExitCleanup, EveryEndingSignalRunsTheStepsOnceAndEndsTheProcessByIt) {
    for (int signalNumber : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGRTMIN}) {
        const ChildEnd end = RunChild(RegisterAndWait, {signalNumber});
        EXPECT_EQ(end.report, "RBA") << strsignal(signalNumber);
        EXPECT_TRUE(WIFSIGNALED(end.status) && WTERMSIG(end.status) == signalNumber) << strsignal(signalNumber);
    }
}

TEST(ExitCleanup, AnIgnoredSignalStaysIgnoredAndAnOwnHandlerKeepsItsSay) {
    const ChildEnd ignored = RunChild([] {
        signal(SIGUSR1, SIG_IGN);
        RegisterAndWait();
    }, {SIGUSR1, SIGTERM});
    EXPECT_EQ(ignored.report, "RBA");
    EXPECT_TRUE(WIFSIGNALED(ignored.status) && WTERMSIG(ignored.status) == SIGTERM);

    const ChildEnd own = RunChild([] {
        signal(SIGUSR2, OwnHandler);
        RegisterAndWait();
    }, {SIGUSR2});
    EXPECT_EQ(own.report, "RH");
    EXPECT_TRUE(WIFEXITED(own.status) && WEXITSTATUS(own.status) == 7);
}

TEST(ExitCleanup, ANormalExitRunsThemOnceAndAForkedChildNever) {
    const ChildEnd end = RunChild([] {
        AddExitCleanup(StepA);
        AddExitCleanup(StepB);
        const pid_t grandchild = fork();
        if (grandchild == 0) std::exit(0);   // runs atexit, but the steps are its parent's
        waitpid(grandchild, nullptr, 0);
        RunExitCleanup();
        RunExitCleanup();
        raise(SIGTERM);   // after the steps ran: only the default action is left
        std::exit(0);
    });
    EXPECT_EQ(end.report, "BA");
    EXPECT_TRUE(WIFSIGNALED(end.status) && WTERMSIG(end.status) == SIGTERM);

    const ChildEnd atExit = RunChild([] {
        AddExitCleanup(StepA);
        std::exit(0);
    });
    EXPECT_EQ(atExit.report, "A");
}

TEST(ExitCleanup, AFullTableRefusesInsteadOfDroppingAStep) {
    const ChildEnd end = RunChild([] {
        const int added = AddNumberedSteps(std::make_integer_sequence<int, 64>());
        const char verdict = added > 8 && added < 64 && !AddExitCleanup(StepA) ? 'F' : 'x';
        (void)!write(ReportFd, &verdict, 1);
        _exit(0);
    });
    EXPECT_EQ(end.report, "F");
}

}  // namespace
