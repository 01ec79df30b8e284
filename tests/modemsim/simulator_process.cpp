#include "tests/modemsim/simulator_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string ModemsimPath() { return MODEMSIM_PATH; }

std::string BundledProfile(const std::string& name) { return std::string(MODEMSIM_PROFILES) + "/" + name; }

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TempDir::TempDir() {
    char pattern[] = "/tmp/modemsim-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    const std::string command = "rm -rf '" + path_ + "'";
    if (system(command.c_str()) != 0) {
        // Nothing more to do in a destructor; the directory lies in /tmp.
    }
}

std::string TempDir::WriteFile(const std::string& name, const std::string& text) const {
    const std::string path = path_ + "/" + name;
    std::ofstream file(path, std::ios::binary);
    file << text;
    return path;
}

SimulatorProcess::~SimulatorProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (stdoutPipe_ >= 0) close(stdoutPipe_);
    if (stderrPipe_ >= 0) close(stderrPipe_);
}

bool SimulatorProcess::Start(const std::vector<std::string>& arguments, int timeoutMs) {
    int out[2];
    int err[2];
    if (pipe(out) != 0) return false;
    if (pipe(err) != 0) return false;
    std::vector<std::string> all{ModemsimPath()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(out[1]);
        close(err[0]);
        close(err[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    stdoutPipe_ = out[0];
    stderrPipe_ = err[0];
    fcntl(stdoutPipe_, F_SETFL, O_NONBLOCK);
    fcntl(stderrPipe_, F_SETFL, O_NONBLOCK);
    const long long deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
        DrainPipes(20);
        if (stdout_.find("ready\n") != std::string::npos) return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            DrainPipes(0);
            pid_ = -1;
            exitStatus_ = status;
            return false;
        }
    }
    return false;
}

void SimulatorProcess::DrainPipes(int timeoutMs) {
    pollfd fds[2] = {{stdoutPipe_, POLLIN, 0}, {stderrPipe_, POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) <= 0) return;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0) continue;
        while (true) {
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) break;
            (i == 0 ? stdout_ : stderr_).append(buffer, static_cast<size_t>(n));
        }
    }
}

int SimulatorProcess::WaitExit(int timeoutMs) {
    if (pid_ <= 0) return WIFEXITED(exitStatus_) ? WEXITSTATUS(exitStatus_) : -1;
    const long long deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            exitStatus_ = status;
            DrainPipes(0);
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        DrainPipes(10);
    }
    return -1;
}

int SimulatorProcess::Stop(int signalNumber, int timeoutMs) {
    if (pid_ > 0) kill(pid_, signalNumber);
    return WaitExit(timeoutMs);
}

std::string SimulatorProcess::Stderr() {
    DrainPipes(0);
    return stderr_;
}

PortClient::PortClient(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios settings{};
    if (tcgetattr(fd_, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd_, TCSANOW, &settings);
    }
}

PortClient::~PortClient() { Close(); }

void PortClient::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool PortClient::Write(const std::string& bytes) {
    size_t done = 0;
    const long long deadline = NowMs() + 5000;
    while (done < bytes.size() && NowMs() < deadline) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else {
            pollfd fd{fd_, POLLOUT, 0};
            poll(&fd, 1, 50);
        }
    }
    return done == bytes.size();
}

namespace {

// Reads what is there within `waitMs`; returns false when nothing came.
bool ReadSome(int fd, int waitMs, std::string* data) {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, waitMs < 0 ? 0 : waitMs) <= 0) return false;
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    data->append(buffer, static_cast<size_t>(n));
    return true;
}

}  // namespace

std::string PortClient::ReadCount(size_t count, int timeoutMs) {
    std::string data;
    const long long deadline = NowMs() + timeoutMs;
    while (data.size() < count && NowMs() < deadline) ReadSome(fd_, static_cast<int>(deadline - NowMs()), &data);
    return data;
}

std::string PortClient::ReadUntil(const std::string& suffix, int timeoutMs) {
    std::string data;
    const long long deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
        if (data.size() >= suffix.size() && data.compare(data.size() - suffix.size(), suffix.size(), suffix) == 0)
            break;
        ReadSome(fd_, static_cast<int>(deadline - NowMs()), &data);
    }
    return data;
}

std::string PortClient::ReadQuiet(int quietMs, int timeoutMs) {
    std::string data;
    const long long deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
        const long long left = deadline - NowMs();
        if (!ReadSome(fd_, static_cast<int>(left < quietMs ? left : quietMs), &data)) break;
    }
    return data;
}
