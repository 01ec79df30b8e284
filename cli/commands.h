// The tool's commands. Each takes the arguments after its own name (UTF-8) and returns the
// process exit status.
#pragma once

#include "cli/command_arguments.h"

int RunScan(const Arguments& args);
int RunAt(const Arguments& args);
int RunInfo(const Arguments& args);
int RunTerm(const Arguments& args);
int RunWatch(const Arguments& args);

struct ManyOptions;
// info --all, after its options are read.
int RunInfoAll(const ManyOptions& options);
// The hidden reading process of info --all and serve (see command_read_modem.cpp).
int RunReadModem(const Arguments& args);
// watch --all (see command_watch_all_posix.cpp).
int RunWatchAll(const Arguments& args);
// The Prometheus exporter (Linux; the Windows build says it has none).
int RunServe(const Arguments& args);
