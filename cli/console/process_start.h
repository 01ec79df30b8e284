// What the tool does before it opens anything, one implementation per platform.
#pragma once

#include <string>
#include <vector>

// Makes sure descriptors 0-2 are open (a closed one is reopened on the null device, so the
// next file opened, a lock file or the modem's device, cannot take its number and receive the
// output) and that a reader closing the pipe early shows as a failed write rather than as a
// signal that ends the tool before it removes its locks. True when stdout was closed.
bool PrepareProcess();

// The arguments after the program's name, as UTF-8 (on Windows from the wide command line).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
