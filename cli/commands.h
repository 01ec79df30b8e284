// The tool's commands. Each takes the arguments after its own name (UTF-8) and returns the
// process exit status.
#pragma once

#include <string>

#include "cli/command_arguments.h"

int RunScan(const Arguments& args);
int RunAt(const Arguments& args);
int RunInfo(const Arguments& args);
int RunTerm(const Arguments& args);
int RunWatch(const Arguments& args);
int RunCell(const Arguments& args);

// The body of `cell` apart from its argument parsing: PORT as typed (UTF-8), --json or not.
int ReadCell(const std::string& portUtf8, bool json);
