// The built vesmarin-cli run through the shell, as a user's script would run it. The test
// target defines VESMARIN_CLI as the tool's path.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Replaces this (forked) process with the tool, given exactly these arguments; 127 if it
// cannot start.
[[noreturn]] inline void ExecCli(const std::vector<std::string>& args) {
    std::vector<std::string> strings{VESMARIN_CLI};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& text : strings) argv.push_back(&text[0]);
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

struct CliOutcome {
    int status = -1;   // the exit status, -1 when the tool did not exit normally
    std::string out;
    std::string err;   // only with CliStderr::Separate
};

enum class CliStderr { Separate, Merged, Dropped };

inline CliOutcome RunCliCommand(const std::string& args, CliStderr stderrTo) {
    CliOutcome outcome;
    char errPath[] = "/tmp/vesmarin-cli-err-XXXXXX";
    int errFd = -1;
    std::string redirect = " 2>/dev/null";
    if (stderrTo == CliStderr::Separate) {
        errFd = mkstemp(errPath);
        if (errFd < 0) return outcome;
        redirect = std::string(" 2>") + errPath;
    } else if (stderrTo == CliStderr::Merged) {
        redirect = " 2>&1";
    }
    const std::string command = std::string(VESMARIN_CLI) + " " + args + redirect;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) outcome.out.append(chunk, n);
        const int status = pclose(pipe);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (errFd >= 0) {
        std::ifstream errFile(errPath, std::ios::binary);
        std::ostringstream err;
        err << errFile.rdbuf();
        outcome.err = err.str();
        close(errFd);
        unlink(errPath);
    }
    return outcome;
}
