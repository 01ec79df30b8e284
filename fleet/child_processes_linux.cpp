#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "common/ending_signals_posix.h"
#include "common/exit_cleanup.h"
#include "fleet/child_processes.h"

extern char** environ;

namespace {

constexpr int kGraceMs = 2000;
constexpr int kStopCheckMs = 200;

// Every reading process still running, so that however this process ends its exit-cleanup
// step ends them first (each then removes its own lock files). Read inside signal handlers:
// lock-free atomics only. A child past the table's end is still ended by its own watch on
// this process (FollowParentProcess).
constexpr int kMaxTracked = 1024;
std::atomic<pid_t> Tracked[kMaxTracked];
std::atomic<bool> ProcessEnding{false};

// Async-signal-safe: kill, waitpid and nanosleep only. Children that outlast the grace are
// killed; the ones reaped here are gone for the thread that waits on them too, which no
// longer matters as the process is ending.
void EndTrackedChildren() {
    ProcessEnding.store(true);
    for (auto& slot : Tracked) {
        const pid_t pid = slot.load();
        if (pid > 0) kill(pid, SIGTERM);
    }
    for (int waited = 0;; ++waited) {
        bool running = false;
        for (auto& slot : Tracked) {
            const pid_t pid = slot.load();
            if (pid <= 0) continue;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == 0) {
                if (waited < kGraceMs) {
                    running = true;
                } else {
                    kill(pid, SIGKILL);
                }
            } else {
                slot.store(0);
            }
        }
        if (!running) return;
        timespec slice{0, 1000000};
        nanosleep(&slice, nullptr);
    }
}

void Track(pid_t pid) {
    for (auto& slot : Tracked) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, pid)) break;
    }
    // The process began to end while this child was being started: the step may have
    // missed it.
    if (ProcessEnding.load()) kill(pid, SIGTERM);
}

// Before the child is reaped: its pid may be used again as soon as it is.
void Untrack(pid_t pid) {
    for (auto& slot : Tracked) {
        pid_t mine = pid;
        if (slot.compare_exchange_strong(mine, 0)) return;
    }
}

// This process's environment with the variable that tells a child who its parent is.
class ChildEnvironment {
public:
    ChildEnvironment() {
        const std::string prefix = std::string(kParentPidVariable) + "=";
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0) strings_.push_back(*entry);
        }
        strings_.push_back(prefix + std::to_string(getpid()));
        for (auto& text : strings_) pointers_.push_back(&text[0]);
        pointers_.push_back(nullptr);
    }
    char** Get() { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

struct Running {
    pid_t pid = -1;
    int fds[2] = {-1, -1};   // read ends of its stdout and stderr; -1 once at their end
};

// Both ends close on exec; the child's copies are made by the spawn's dup2.
bool MakePipe(int fds[2]) { return pipe2(fds, O_CLOEXEC) == 0; }

void CloseAll(int fds[2]) {
    for (int i = 0; i < 2; ++i) {
        if (fds[i] >= 0) close(fds[i]);
        fds[i] = -1;
    }
}

// Starts the program with stdout and stderr on pipes of their own; their read ends go to
// `readFds` (stdout, stderr).
pid_t Spawn(const std::string& program, const std::vector<std::string>& arguments, char** environment,
            int readFds[2]) {
    int outFds[2] = {-1, -1}, errFds[2] = {-1, -1};
    if (!MakePipe(outFds)) return -1;
    if (!MakePipe(errFds)) {
        CloseAll(outFds);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errFds[1], 2);
    std::vector<std::string> strings{program};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : strings) argv.push_back(&text[0]);
    argv.push_back(nullptr);
    // A child must end on SIGTERM (its clean-up removes its lock files) even when this
    // process blocks or ignores the signals it handles itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    ForEachEndingSignal(EndingSignalKind::All, [&](int signalNumber) { sigaddset(&defaults, signalNumber); });
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environment) != 0) pid = -1;
    if (pid > 0) Track(pid);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(outFds[1]);
    close(errFds[1]);
    if (pid < 0) {
        close(outFds[0]);
        close(errFds[0]);
        return -1;
    }
    readFds[0] = outFds[0];
    readFds[1] = errFds[0];
    return pid;
}

// stderr keeps its last kChildErrorTail bytes only.
void KeepTail(std::string* text) {
    if (text->size() > kChildErrorTail) text->erase(0, text->size() - kChildErrorTail);
}

ChildExit ExitOf(int status, bool timedOut) {
    if (timedOut) return {ChildExit::Kind::TimedOut, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
    if (WIFEXITED(status)) return {ChildExit::Kind::Exited, WEXITSTATUS(status)};
    return {ChildExit::Kind::Signalled, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

int64_t MsUntil(std::chrono::steady_clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(when - std::chrono::steady_clock::now()).count();
}

}  // namespace

std::string OwnProgramPath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    path[length] = '\0';
    return path;
}

void RunChildren(std::vector<ChildRun>* runs, uint32_t deadlineMs, const std::atomic<bool>* stop) {
    const std::string program = OwnProgramPath();
    // Registered before the first child exists, so that no ending signal can come between.
    AddExitCleanup(EndTrackedChildren);
    ChildEnvironment environment;
    std::vector<Running> running(runs->size());
    std::vector<bool> timedOut(runs->size(), false);
    for (size_t i = 0; i < runs->size(); ++i) {
        running[i].pid = Spawn(program, (*runs)[i].arguments, environment.Get(), running[i].fds);
        (*runs)[i].exit = ChildExit{};
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
    const auto killAt = deadline + std::chrono::milliseconds(kGraceMs);
    bool asked = false;
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::pair<size_t, int>> owners;   // run, and 0 for stdout or 1 for stderr
        for (size_t i = 0; i < running.size(); ++i) {
            for (int stream = 0; stream < 2; ++stream) {
                if (running[i].fds[stream] < 0) continue;
                fds.push_back({running[i].fds[stream], POLLIN, 0});
                owners.push_back({i, stream});
            }
        }
        if (fds.empty()) break;
        const bool stopping = stop != nullptr && stop->load();
        if (!asked && (MsUntil(deadline) <= 0 || stopping)) {
            for (const auto& owner : owners) {
                if (timedOut[owner.first]) continue;
                kill(running[owner.first].pid, SIGTERM);
                timedOut[owner.first] = true;
            }
            asked = true;
        }
        if (asked && MsUntil(killAt) <= 0) {
            for (const auto& owner : owners) {
                kill(running[owner.first].pid, SIGKILL);
                CloseAll(running[owner.first].fds);
            }
            break;
        }
        int64_t wait = asked ? MsUntil(killAt) : MsUntil(deadline);
        if (stop != nullptr && wait > kStopCheckMs) wait = kStopCheckMs;
        const int ready = poll(fds.data(), fds.size(), static_cast<int>(wait < 0 ? 0 : wait));
        if (ready < 0 && errno != EINTR) break;
        for (size_t k = 0; ready > 0 && k < fds.size(); ++k) {
            if (fds[k].revents == 0) continue;
            const size_t i = owners[k].first;
            const int stream = owners[k].second;
            int& fd = running[i].fds[stream];
            char chunk[8192];
            const ssize_t got = read(fd, chunk, sizeof chunk);
            if (got > 0) {
                std::string& into = stream == 0 ? (*runs)[i].out : (*runs)[i].err;
                into.append(chunk, static_cast<size_t>(got));
                if (stream == 1) KeepTail(&into);
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                close(fd);
                fd = -1;
            }
        }
    }
    for (size_t i = 0; i < running.size(); ++i) {
        if (running[i].pid <= 0) continue;
        CloseAll(running[i].fds);
        Untrack(running[i].pid);
        int status = 0;
        while (waitpid(running[i].pid, &status, 0) < 0 && errno == EINTR) {
        }
        (*runs)[i].exit = ExitOf(status, timedOut[i]);
    }
}
