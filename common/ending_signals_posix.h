// The signals whose default action ends the process, in one list for every POSIX file that
// handles them: the exit-cleanup steps, the commands that turn them into a stop request, and
// the reading processes, which start with their default actions.
#pragma once

#include <signal.h>

namespace ending_signals {

// What someone else sends (a closing session's SIGHUP, kill's SIGTERM, a timer's SIGALRM):
// these may be taken as a request to stop and finish the work in hand.
constexpr int kSentToTheProcess[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// What a fault of the program raises in the thread that made it: a handler that returns
// would only meet the fault again, so these are never taken as a stop request.
constexpr int kFaults[] = {SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGSEGV, SIGSYS};

}  // namespace ending_signals

enum class EndingSignalKind { All, SentToTheProcess };

// Calls visit(signalNumber) for each ending signal of `kind`, the real-time signals included
// (SIGKILL and SIGSTOP cannot be caught and are not listed).
template <typename Visit>
void ForEachEndingSignal(EndingSignalKind kind, Visit visit) {
    for (int signalNumber : ending_signals::kSentToTheProcess) visit(signalNumber);
    if (kind == EndingSignalKind::All) {
        for (int signalNumber : ending_signals::kFaults) visit(signalNumber);
    }
#ifdef SIGRTMIN
    for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber) visit(signalNumber);
#endif
}
