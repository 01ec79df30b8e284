// Running copies of this program side by side, each with a deadline. The core keeps one reply
// buffer, reader and error text per process (the window's design), so each modem is read in a
// process of its own: a modem that hangs or crashes its reader takes nothing else down, and
// the locks it takes are released by that process's own clean-up.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct ChildRun {
    std::vector<std::string> arguments;   // after the program's own path
    bool started = false;
    bool timedOut = false;   // still running at the deadline, and ended for it
    int exitCode = -1;       // -1 when it did not exit normally
    std::string out;         // everything it wrote to stdout (stderr is dropped)
};

// Starts every run at once and waits for all of them. A run still going after `deadlineMs` is
// asked to end (SIGTERM on POSIX, so its locks are released), and killed when it has not
// ended 2 s later; Windows ends it at once. The program is this one (OwnProgramPath). When
// `stop` becomes true the deadline is taken as passed (checked every 200 ms). The children
// start with default signal actions and nothing blocked, whatever this process has set.
// However this process ends, its children end too: on POSIX an ending signal has them asked
// to end as at the deadline (an exit-cleanup step) before this process goes, and a child
// whose parent is gone all the same (SIGKILL, a crash) ends by itself through
// FollowParentProcess; on Windows they belong to a job object that ends them when this
// process's handle to it closes.
void RunChildren(std::vector<ChildRun>* runs, uint32_t deadlineMs, const std::atomic<bool>* stop = nullptr);

// In a process that RunChildren started: from now on it ends (by SIGTERM, so that its own
// clean-up releases its locks) as soon as the process that started it is gone. Does nothing
// in a process started otherwise.
void FollowParentProcess();

// How a child learns which process started it (decimal pid in its environment).
constexpr char kParentPidVariable[] = "VESMARIN_PARENT_PID";

// The running program's own file, as the system knows it.
std::string OwnProgramPath();
