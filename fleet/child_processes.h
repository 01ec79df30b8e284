// Running copies of this program side by side, each with a deadline. The core keeps one reply
// buffer, reader and error text per process (the window's design), so each modem is read in a
// process of its own: a modem that hangs or crashes its reader takes nothing else down, and
// the locks it takes are released by that process's own clean-up.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How a child process ended.
struct ChildExit {
    enum class Kind {
        NotStarted,   // it could not be started (out of processes or descriptors, no program)
        Exited,       // it ended by itself, with `code` as its exit status
        Signalled,    // a signal it did not ask for ended it (POSIX), `code` the signal
        TimedOut,     // it was still running at the deadline (or the stop) and was ended for it
    };
    Kind kind = Kind::NotStarted;
    int code = 0;

    bool Started() const { return kind != Kind::NotStarted; }
    bool ExitedWith(int status) const { return kind == Kind::Exited && code == status; }
    // "could not start", "exited with status 1", "ended by signal 11", "timed out".
    std::string Text() const;
};

// What a child writes to stderr is kept up to this many bytes, the last ones: the end of a
// crash report or of a library's complaint says why.
constexpr size_t kChildErrorTail = 2048;

struct ChildRun {
    std::vector<std::string> arguments;   // after the program's own path
    ChildExit exit;
    std::string out;         // everything it wrote to stdout
    std::string err;         // the last kChildErrorTail bytes it wrote to stderr
};

// Why a reading process gave no result, in one line: how it ended, then the last of its stderr
// with line ends folded ("the reading process ended by signal 6: Assertion failed / ...");
// `why` (what its output lacked) when it exited without a word on stderr.
std::string ChildFailureText(const ChildRun& run, const std::string& why);

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
