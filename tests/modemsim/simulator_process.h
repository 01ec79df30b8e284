// Runs the built modemsim binary for a test and talks to its ports like a client would.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// A scratch directory removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // Writes `text` to Path()/name and returns the file's path.
    std::string WriteFile(const std::string& name, const std::string& text) const;

private:
    std::string path_;
};

class SimulatorProcess {
public:
    SimulatorProcess() = default;
    ~SimulatorProcess();  // SIGKILLs a simulator still running
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Starts modemsim with these arguments; returns once it printed "ready" (true) or exited or
    // stayed silent for `timeoutMs` (false).
    bool Start(const std::vector<std::string>& arguments, int timeoutMs = 5000);
    // Sends `signalNumber` and waits for the exit; returns the exit code, or -1 when it did not
    // exit normally within `timeoutMs`.
    int Stop(int signalNumber, int timeoutMs = 5000);
    // Waits for an exit without signalling it (for a simulator expected to refuse to start).
    int WaitExit(int timeoutMs = 5000);
    const std::string& Stdout() const { return stdout_; }
    pid_t Pid() const { return pid_; }
    // Everything the simulator wrote on stderr (complete once it exited).
    std::string Stderr();

private:
    void DrainPipes(int timeoutMs);
    pid_t pid_ = -1;
    int stdoutPipe_ = -1;
    int stderrPipe_ = -1;
    std::string stdout_;
    std::string stderr_;
    int exitStatus_ = -1;  // waitpid status once it exited
};

// One client of a simulated port, opened raw and non-blocking.
class PortClient {
public:
    explicit PortClient(const std::string& path);
    ~PortClient();
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    void Close();
    bool Write(const std::string& bytes);
    // Collects bytes until `count` have arrived or `timeoutMs` passed.
    std::string ReadCount(size_t count, int timeoutMs);
    // Collects bytes until the data ends with `suffix` or `timeoutMs` passed.
    std::string ReadUntil(const std::string& suffix, int timeoutMs);
    // Collects bytes until nothing arrived for `quietMs` or `timeoutMs` passed.
    std::string ReadQuiet(int quietMs, int timeoutMs);
    int Fd() const { return fd_; }

private:
    int fd_ = -1;
};

// Milliseconds of a monotonic clock.
long long NowMs();

std::string ModemsimPath();
std::string BundledProfile(const std::string& name);
std::string ReadWholeFile(const std::string& path);
