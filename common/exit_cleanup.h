// Work that must happen however the process ends: lock files removed, the terminal put back
// as it was found. Registered steps run once, on a normal exit and on every signal whose
// default action ends the process (SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGALRM,
// SIGUSR1, SIGUSR2 ...); after a signal the process then ends by that signal's default action,
// so its parent sees how it ended. A signal the program was started ignoring stays ignored.
// On Windows the steps run on a normal exit and on console Ctrl-C / Ctrl-Break / close.
#pragma once

// A step must be async-signal-safe (write, unlink, tcsetattr, ...): it may run inside a
// signal handler, at any point of the program.
using ExitCleanupStep = void (*)();

// Registers `step` (at most a small fixed number; false when full). Steps run in the reverse
// order of registration. Registering installs the handlers on first use. A step registered
// again is not added twice. A signal that already has a handler of the program's own when
// the handlers are installed keeps it: that handler decides how the program ends. On POSIX
// the steps run only in the process that registered them, not in a child made by fork().
bool AddExitCleanup(ExitCleanupStep step);

// Runs the registered steps now, once (later calls and signals do nothing more).
void RunExitCleanup();
