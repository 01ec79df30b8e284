#include "tools/modemsim/simulator.h"

#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/modemsim/client_watch.h"
#include "tools/modemsim/device_link.h"
#include "tools/modemsim/modem_engine.h"
#include "tools/modemsim/open_count.h"
#include "tools/modemsim/profile.h"
#include "tools/modemsim/pty_port.h"
#include "tools/modemsim/transcript_log.h"

namespace {

volatile sig_atomic_t StopSignal = 0;
// A stop signal that another process sent (not the terminal, which signals the command's
// process group, the command included), waiting to be passed on to the command.
volatile sig_atomic_t SignalToPassOn = 0;
volatile sig_atomic_t ChildEnded = 0;

void OnStopSignal(int signalNumber, siginfo_t* info, void*) {
    StopSignal = signalNumber;
    if (info == nullptr || info->si_code != SI_KERNEL) SignalToPassOn = signalNumber;
}

void OnChildSignal(int) { ChildEnded = 1; }

// A port gets at most this many bytes written per turn of the loop, so that a flood on one
// port, above all one that nobody reads and the pty therefore never holds back, cannot keep
// the other ports waiting.
constexpr size_t kMaxBytesPerTurn = 64 * 1024;

Millis NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct SimulatedPort {
    PortAssignment assignment;
    PtyPort pty;
    std::unique_ptr<ModemEngine> engine;
    std::string linkPath;
    bool linked = false;
    std::string logPath;
    TranscriptLog log;
    Millis inputQuietUntil = 0;  // after a read error, so a broken pty cannot spin the loop
    int watchId = -1;
    int clients = 0;             // clients that have the port open now
    bool recount = false;        // a close or lost event waits to be settled from /proc
    bool eventsLost = false;
    uint64_t commandsLogged = 0; // the engine's CommandsTaken() when the transcript last heard
    bool unplugged = false;      // gone for good: no link, no pty
};

bool CheckDirectory(const std::string& option, const std::string& path, std::string* error) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        *error = option + " " + path + ": " + strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = option + " " + path + ": not a directory";
        return false;
    }
    return true;
}

class Simulator {
public:
    explicit Simulator(const Options& options) : options_(options) {}
    ~Simulator() { TearDown(false); }

    int Run() {
        std::string error;
        if (!Prepare(&error)) {
            std::fprintf(stderr, "modemsim: %s\n", error.c_str());
            return kExitBadInput;
        }
        BlockStopSignals();
        if (!BringUp(&error)) {
            std::fprintf(stderr, "modemsim: %s\n", error.c_str());
            TearDown(true);
            return kExitFailure;
        }
        for (const auto& port : ports_)
            std::fprintf(stderr, "modemsim: COM%d = %s -> %s (%s)\n", port->assignment.number,
                         port->linkPath.c_str(), port->pty.slavePath.c_str(),
                         port->assignment.profilePath.c_str());
        int status = kExitOk;
        if (options_.command.empty()) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        } else if (!StartCommand(&error)) {
            std::fprintf(stderr, "modemsim: %s\n", error.c_str());
            status = kExitCannotRun;
        }
        if (status == kExitOk) Serve();
        if (child_ > 0) status = commandStatus_;
        const std::string reason = options_.command.empty() || child_ <= 0
                                       ? "stopped by signal " + std::to_string(StopSignal)
                                       : "stopped: the command ended with status " + std::to_string(status);
        for (auto& port : ports_) {
            port->log.EndReply(NowMs() - start_);
            NoteFinalSettings(port.get());
            port->log.Note(reason, NowMs() - start_);
        }
        TearDown(false);
        return status;
    }

private:
    // Everything that can be wrong with the arguments or profiles is found here, before
    // anything is created.
    bool Prepare(std::string* error) {
        if (!CheckDirectory("--ports", options_.portsDirectory, error)) return false;
        if (!options_.logDirectory.empty() && !CheckDirectory("--log", options_.logDirectory, error))
            return false;
        for (const PortAssignment& assignment : options_.ports) {
            Profile profile;
            if (!LoadProfile(assignment.profilePath, &profile, error)) return false;
            auto port = std::make_unique<SimulatedPort>();
            port->assignment = assignment;
            port->engine = std::make_unique<ModemEngine>(std::move(profile));
            port->linkPath = DeviceLinkPath(options_.portsDirectory, assignment.number);
            if (!DeviceLinkReplaceable(port->linkPath, error)) return false;
            if (!options_.logDirectory.empty())
                port->logPath = options_.logDirectory + "/com" + std::to_string(assignment.number) + ".log";
            ports_.push_back(std::move(port));
        }
        return true;
    }

    // Stop signals (and the command's end) are only delivered inside ppoll, so the loop never
    // misses one between its check of the flag and its wait.
    void BlockStopSignals() {
        sigset_t stopSignals;
        sigemptyset(&stopSignals);
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&stopSignals, signalNumber);
        sigprocmask(SIG_BLOCK, &stopSignals, &startMask_);
        waitMask_ = startMask_;
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigdelset(&waitMask_, signalNumber);
        struct sigaction action {};
        action.sa_sigaction = OnStopSignal;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
        struct sigaction childAction {};
        childAction.sa_handler = OnChildSignal;
        sigemptyset(&childAction.sa_mask);
        sigaction(SIGCHLD, &childAction, nullptr);
        signal(SIGPIPE, SIG_IGN);
    }

    // The command runs with the signal state modemsim was started with; every descriptor of
    // the simulator is close-on-exec, so the command holds no pty open.
    bool StartCommand(std::string* error) {
        std::vector<char*> argv;
        for (const std::string& argument : options_.command) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        child_ = fork();
        if (child_ < 0) {
            *error = std::string("cannot start the command: ") + strerror(errno);
            return false;
        }
        if (child_ == 0) {
            signal(SIGPIPE, SIG_DFL);
            for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) signal(signalNumber, SIG_DFL);
            sigprocmask(SIG_SETMASK, &startMask_, nullptr);
            execvp(argv[0], argv.data());
            const int failure = errno;
            std::fprintf(stderr, "modemsim: %s: %s\n", argv[0], strerror(failure));
            _exit(failure == ENOENT ? kExitCommandNotFound : kExitCannotRun);
        }
        return true;
    }

    // True once the command has ended; its status is then in commandStatus_.
    bool CommandEnded() {
        if (child_ <= 0) return false;
        int status = 0;
        const pid_t done = waitpid(child_, &status, WNOHANG);
        if (done != child_) return false;
        commandStatus_ = WIFEXITED(status) ? WEXITSTATUS(status)
                                           : (WIFSIGNALED(status) ? 128 + WTERMSIG(status) : kExitFailure);
        return true;
    }

    void NoteFinalSettings(SimulatedPort* port) {
        const std::vector<std::string> values = port->engine->SettingValues();
        if (values.empty()) return;
        std::string line = "settings at the end:";
        for (const std::string& value : values) line += " " + value;
        port->log.Note(line, NowMs() - start_);
    }

    bool BringUp(std::string* error) {
        start_ = NowMs();
        if (!clientWatch_.Start(error)) return false;
        for (auto& port : ports_) {
            if (!OpenPtyPort(&port->pty, error)) return false;
            port->watchId = clientWatch_.Watch(port->pty.slavePath, error);
            if (port->watchId < 0) return false;
        }
        for (auto& port : ports_) {
            if (port->logPath.empty()) continue;
            const std::string header = "# modemsim COM" + std::to_string(port->assignment.number) + " on " +
                                       port->pty.slavePath + ", profile " + port->assignment.profilePath +
                                       "\n# seconds since start, rx = received by the modem, "
                                       "tx = sent by the modem";
            if (!port->log.Open(port->logPath, header, error)) return false;
        }
        for (auto& port : ports_) {
            if (!CreateDeviceLink(port->linkPath, port->pty.slavePath, error)) return false;
            port->linked = true;
        }
        return true;
    }

    // Removes the links made; after a failed start also the transcripts, so nothing is left.
    void TearDown(bool removeLogs) {
        for (auto& port : ports_) {
            if (port->linked) RemoveDeviceLink(port->linkPath, port->pty.slavePath);
            port->linked = false;
            if (port->log.IsOpen()) {
                port->log.Close();
                if (removeLogs) unlink(port->logPath.c_str());
            }
            ClosePtyPort(&port->pty);
        }
    }

    void Serve() {
        std::vector<pollfd> fds(ports_.size() + 1);
        pollfd& watchFd = fds.back();
        watchFd.fd = clientWatch_.Fd();
        watchFd.events = POLLIN;
        const bool commandMode = !options_.command.empty();
        while (true) {
            if (commandMode) {
                if (SignalToPassOn != 0) {
                    kill(child_, SignalToPassOn);
                    SignalToPassOn = 0;
                }
                if (ChildEnded != 0) {
                    ChildEnded = 0;
                    if (CommandEnded()) break;
                }
            } else if (StopSignal != 0) {
                break;
            }
            Millis now = NowMs();
            Millis wake = -1;
            for (size_t i = 0; i < ports_.size(); ++i) {
                SimulatedPort& port = *ports_[i];
                Pump(&port, now);
                if (port.unplugged) {
                    fds[i].fd = -1;   // poll skips it
                    fds[i].events = 0;
                    fds[i].revents = 0;
                    continue;
                }
                const Millis deadline = port.engine->NextDeadline();
                if (deadline >= 0 && (wake < 0 || deadline < wake)) wake = deadline;
                const bool quiet = now < port.inputQuietUntil;
                if (quiet && (wake < 0 || port.inputQuietUntil < wake)) wake = port.inputQuietUntil;
                fds[i].fd = port.pty.master;
                fds[i].events = 0;
                if (!quiet && !port.engine->InputBacklogFull()) fds[i].events |= POLLIN;
                if (port.engine->OutgoingSize() > 0) fds[i].events |= POLLOUT;
                fds[i].revents = 0;
            }
            timespec timeout{};
            const Millis waitMs = wake < 0 ? -1 : (wake > now ? wake - now : 0);
            timeout.tv_sec = static_cast<time_t>(waitMs / 1000);
            timeout.tv_nsec = static_cast<long>(waitMs % 1000) * 1000000L;
            const int ready = ppoll(fds.data(), fds.size(), waitMs < 0 ? nullptr : &timeout, &waitMask_);
            if (ready < 0) continue;  // EINTR: a stop signal, checked by the loop
            now = NowMs();
            // Opens and closes first: a client's open is then known before its data is read.
            clientWatch_.Drain([&](int watchId, ClientWatch::Event event) { OnClientEvent(watchId, event, now); });
            SettleClientCounts(now);
            for (size_t i = 0; i < ports_.size(); ++i)
                if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ReadInput(ports_[i].get(), now);
        }
    }

    // Opens are counted as they come; closes and lost events are settled by counting the
    // descriptors in /proc once the queue is read (SettleClientCounts), because inotify merges
    // identical events that wait unread: two opens at once arrive as one. A client's open may
    // reach the queue before its descriptor reaches /proc; such a client is counted as soon as
    // it writes (see ReadInput).
    void OnClientEvent(int watchId, ClientWatch::Event event, Millis now) {
        for (auto& port : ports_) {
            if (port->unplugged) continue;
            if (event == ClientWatch::Event::Lost) {
                port->eventsLost = true;
                port->recount = true;
                continue;
            }
            if (port->watchId != watchId) continue;
            if (event == ClientWatch::Event::Opened) {
                ++port->clients;
                port->log.Note("opened (" + std::to_string(port->clients) + " open)", now - start_);
            } else {
                port->recount = true;
            }
        }
    }

    void SettleClientCounts(Millis now) {
        for (auto& port : ports_) {
            if (!port->recount || port->unplugged) continue;
            port->recount = false;
            const int before = port->clients;
            port->clients = CountOtherOpeners(port->pty.slavePath);
            if (port->eventsLost) {
                port->eventsLost = false;
                // Some opens or closes went unseen: assume a client, so nothing is dropped.
                if (port->clients == 0) port->clients = 1;
                port->log.Note("open/close events were lost; assuming the port is open", now - start_);
            } else if (before > 0 && port->clients == 0) {
                LastClientClosed(port.get(), now);
            }
        }
    }

    // What the last close of a serial port does, which the slave descriptor held open would
    // otherwise prevent: exclusive mode (TIOCEXCL) ends, and what the modem sent that nobody
    // read is gone rather than waiting for the next client.
    void LastClientClosed(SimulatedPort* port, Millis now) {
        ioctl(port->pty.slave, TIOCNXCL);
        tcflush(port->pty.slave, TCIFLUSH);
        port->log.Note("closed; bytes sent until the next open are dropped", now - start_);
    }

    void ReadInput(SimulatedPort* port, Millis now) {
        char buffer[65536];
        // A few reads per wake keep one busy port from starving the others.
        for (int round = 0; round < 8 && !port->engine->InputBacklogFull(); ++round) {
            const ssize_t n = read(port->pty.master, buffer, sizeof buffer);
            if (n > 0) {
                // Bytes from a client whose open was not counted yet: count again, once its
                // descriptor is surely in /proc (it has written through it).
                if (port->clients == 0) port->clients = CountOtherOpeners(port->pty.slavePath);
                port->log.Record("rx", buffer, static_cast<size_t>(n), now - start_);
                port->engine->Receive(buffer, static_cast<size_t>(n), now);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                port->log.Note(std::string("read failed: ") + (n == 0 ? "end of file" : strerror(errno)),
                               now - start_);
                port->inputQuietUntil = now + 100;
            }
            return;
        }
    }

    // Lets the modem act and writes what it has, until the port takes no more, the modem
    // waits for time to pass, or the port has had its share of this turn.
    void Pump(SimulatedPort* port, Millis now) {
        if (port->unplugged) return;
        ModemEngine& engine = *port->engine;
        size_t budget = kMaxBytesPerTurn;
        while (budget > 0) {
            engine.Advance(now);
            for (const std::string& note : engine.TakeNotes()) port->log.Note(note, now - start_);
            if (engine.CommandsTaken() != port->commandsLogged) {
                port->commandsLogged = engine.CommandsTaken();
                port->log.StartReply(now - start_);
            }
            if (engine.Unplugged()) {
                Unplug(port, now);
                return;
            }
            if (engine.OutgoingSize() == 0) {
                if (engine.Idle()) port->log.EndReply(now - start_);
                return;
            }
            const size_t size = engine.OutgoingSize() < budget ? engine.OutgoingSize() : budget;
            const ssize_t n = write(port->pty.master, engine.OutgoingData(), size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;  // the client's side is full: wait for POLLOUT
            // An unsolicited line is recorded whole and counts toward no reply's record.
            if (engine.SendingReport())
                port->log.Record("tx", engine.OutgoingData(), static_cast<size_t>(n), now - start_);
            else
                port->log.RecordSent(engine.OutgoingData(), static_cast<size_t>(n), now - start_);
            engine.Sent(static_cast<size_t>(n));
            budget -= static_cast<size_t>(n);
            // Like a line with no one listening: the bytes go out and are lost.
            if (port->clients == 0) tcflush(port->pty.slave, TCIFLUSH);
        }
    }

    // The modem took an `unplug` command: it goes away as a stick pulled out does. The link
    // goes first, so that no new client finds the port; closing the pty then hangs up the
    // clients that have it open, whose reads and writes fail from now on.
    void Unplug(SimulatedPort* port, Millis now) {
        port->unplugged = true;
        port->log.EndReply(now - start_);
        port->log.Note("unplugged: the link is removed and the pty closed", now - start_);
        std::fprintf(stderr, "modemsim: COM%d unplugged\n", port->assignment.number);
        if (port->linked) RemoveDeviceLink(port->linkPath, port->pty.slavePath);
        port->linked = false;
        clientWatch_.Unwatch(port->watchId);
        port->watchId = -1;
        ClosePtyPort(&port->pty);
    }

    const Options& options_;
    std::vector<std::unique_ptr<SimulatedPort>> ports_;
    ClientWatch clientWatch_;
    sigset_t waitMask_{};
    sigset_t startMask_{};
    Millis start_ = 0;
    pid_t child_ = -1;
    int commandStatus_ = kExitFailure;
};

}  // namespace

int RunSimulator(const Options& options) {
    Simulator simulator(options);
    return simulator.Run();
}
