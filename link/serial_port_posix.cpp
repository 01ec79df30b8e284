// POSIX backend: termios for the line, poll against deadlines for the read-end rules, a
// self-pipe to cancel a read that the reader thread still has pending, and, for the exclusive
// use a Windows port has by itself, an advisory lock, exclusive mode, a look for other
// processes that have the device open, and the UUCP lock file.
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "common/cp1251.h"
#include "link/port_holders_posix.h"
#include "link/port_names.h"
#include "link/serial_port.h"

namespace {
constexpr size_t kLockPathSize = kMaxLockPathSize;
}  // namespace

struct SerialPort {
    int fd = -1;
    int cancelRead = -1;    // read end of the self-pipe, polled with the device
    int cancelWrite = -1;
    std::atomic<bool> cancelled{false};
    std::atomic<int> failure{0};   // the errno that showed the device gone; 0 while it works
    char lockPath[kLockPathSize] = {};   // the lock file this port made; empty when none
};

namespace {

// Written by OpenPort and by whichever thread's read or write finds the device gone; the
// reader thread is joined before its owner looks.
std::atomic<int> LastOpenErrno{0};

// Who holds the port that the last OpenPort found busy, when it could tell. Written by
// OpenPort only; HolderKnown goes false with every other error.
std::atomic<bool> HolderKnown{false};
char BusyDevice[PATH_MAX];
char BusyLockFile[kLockPathSize];
PortHolder BusyHolder;

// Why the last port opened without a lock file had none; empty while every port had one.
char UnlockedWhy[kLockPathSize + 128];
std::atomic<bool> OpenedUnlocked{false};

void NoteUnlocked(const char* lockFile, int error) {
    if (lockFile == nullptr) {
        std::snprintf(UnlockedWhy, sizeof UnlockedWhy, "there is no lock directory (/var/lock, /run/lock)");
    } else {
        std::snprintf(UnlockedWhy, sizeof UnlockedWhy, "%s cannot be made: %s", Utf8ToCp1251Shown(lockFile).c_str(),
                      std::strerror(error));
    }
    OpenedUnlocked.store(true);
}

constexpr int kHolderLooks = 5;
constexpr int kHolderLookGapMs = 20;

// A process that has the device open and still has it after a few looks over ~100 ms.
bool FindLastingHolder(const char* device, PortHolder* holder) {
    for (int look = 0; look < kHolderLooks; ++look) {
        if (!FindDeviceHolder(device, holder)) return false;
        if (look + 1 < kHolderLooks) {
            pollfd none{-1, 0, 0};
            poll(&none, 0, kHolderLookGapMs);
        }
    }
    return true;
}

void SetLastError(int error) {
    HolderKnown.store(false);
    LastOpenErrno.store(error);
}

void SetBusyBy(const char* device, const PortHolder& holder, const char* lockFile) {
    std::snprintf(BusyDevice, sizeof BusyDevice, "%s", device);
    std::snprintf(BusyLockFile, sizeof BusyLockFile, "%s", lockFile);
    BusyHolder = holder;
    LastOpenErrno.store(EBUSY);
    HolderKnown.store(true);
}

// A read or write failed for a reason other than "try again": the device is gone or broken,
// and every later request would fail the same way.
void MarkFailed(SerialPort* port, int error) {
    int expected = 0;
    if (port->failure.compare_exchange_strong(expected, error)) SetLastError(error);
}

bool HasFailed(const SerialPort* port) { return port->failure.load() != 0; }

constexpr int64_t kPollSliceMs = 1000;
constexpr int64_t kDrainLimitMs = 1000;

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void CloseFd(int* fd) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
}

void DrainCancelPipe(SerialPort* port) {
    char scratch[16];
    while (read(port->cancelRead, scratch, sizeof scratch) > 0) {
    }
}

// Opens the device for this program alone. On Windows the system refuses a port that another
// program holds; here a device opens whoever else has it, so each kind of other user is
// looked for: a live process's UUCP lock file, a process that has the device open (a modem
// manager, a dialer, a second terminal), another instance of this program (flock), and
// exclusive mode (TIOCEXCL), which keeps out later programs that know no lock. Returns the
// descriptor, or -1 after SetLastError or SetBusyBy. `lockPath` receives the lock file made
// for the port, or stays empty when the lock directory is not writable.
int OpenDevice(const char* path, char* lockPath, size_t lockPathSize) {
    lockPath[0] = '\0';
    char device[4096];
    if (!DeviceForPortPath(path, device, sizeof device)) {
        SetLastError(ENOENT);
        return -1;
    }
    // Other processes' descriptors and the lock file name the device itself, not the link or
    // alias it was reached by.
    char real[PATH_MAX];
    if (realpath(device, real) == nullptr) {
        SetLastError(errno);
        return -1;
    }
    // The lock file decides first, in one step, so that of two programs that start at once
    // exactly one goes on; only the winner opens the device and looks for other users.
    PortHolder holder;
    char lockFile[kLockPathSize];
    const bool lockable = LockFilePathFor(real, lockFile, sizeof lockFile);
    bool locked = false;
    if (lockable) {
        bool taken = false;
        locked = CreateLockFile(lockFile, &holder, &taken);
        const int createError = errno;
        if (taken) {
            SetBusyBy(device, holder, lockFile);
            return -1;
        }
        if (!locked && createError == ENOLCK) {   // a lock this process could not account for
            SetLastError(ENOLCK);
            return -1;
        }
        if (locked) {
            std::snprintf(lockPath, lockPathSize, "%s", lockFile);
        } else if (CheckLockFile(lockFile, &holder) != LockState::Ours) {
            // This user may not write the lock directory: the port is used unlocked, as every
            // program without lock files uses it.
            NoteUnlocked(lockFile, createError);
        }
    } else {
        NoteUnlocked(nullptr, ENOENT);
    }
    auto giveUp = [&](int fd) {
        if (fd >= 0) close(fd);
        if (locked) RemoveLockFile(lockPath);
        lockPath[0] = '\0';
        return -1;
    };

    const int fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EBUSY && FindDeviceHolder(real, &holder)) {
            SetBusyBy(device, holder, "");
        } else {
            SetLastError(error);
        }
        return giveUp(-1);
    }
    termios probe{};
    if (tcgetattr(fd, &probe) != 0) {   // not a terminal device
        SetLastError(errno);
        return giveUp(fd);
    }
    // Without a lock file, flock decides between two instances of this program (it keeps out
    // root too, and this process's own second open); the loser closes at once.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        if (FindDeviceHolder(real, &holder)) {
            SetBusyBy(device, holder, "");
        } else {
            SetLastError(EBUSY);
        }
        return giveUp(-1);
    }
    // Then any other program that has the device open (a modem manager, a dialer). A second
    // instance of this program that lost the race above holds it only for the moment it
    // takes to close it again, so a holder must still be there a little later to count.
    if (FindLastingHolder(real, &holder)) {
        SetBusyBy(device, holder, "");
        flock(fd, LOCK_UN);
        return giveUp(fd);
    }
    ioctl(fd, TIOCEXCL);
    return fd;
}

}  // namespace

PortHandle OpenPort(const char* path) {
    if (path == nullptr) {
        SetLastError(ENOENT);
        return nullptr;
    }
    char lockPath[kLockPathSize];
    const int fd = OpenDevice(path, lockPath, sizeof lockPath);
    if (fd < 0) return nullptr;
    int pipeFds[2];
    if (pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        SetLastError(errno);
        ioctl(fd, TIOCNXCL);
        close(fd);
        RemoveLockFile(lockPath);
        return nullptr;
    }
    auto* port = new SerialPort;
    port->fd = fd;
    port->cancelRead = pipeFds[0];
    port->cancelWrite = pipeFds[1];
    std::snprintf(port->lockPath, sizeof port->lockPath, "%s", lockPath);
    return port;
}

void ConfigurePort(PortHandle port) {
    if (port == nullptr) return;
    termios tio{};
    if (tcgetattr(port->fd, &tio) != 0) return;
    // The line discipline must be raw for a byte-exact AT dialogue; this has no counterpart in
    // the Windows settings and is not a line setting of the device. Software flow control is
    // part of it here: the kernel gives ttyUSB and ttyACM devices IXON by default, unlike a
    // Windows modem driver, and then a 0x13 byte in a reply vanishes from the reply and stops
    // every later write, for later runs too. Hardware flow control (CRTSCTS), the start/stop
    // characters and the modem-control lines (HUPCL, CLOCAL) stay as the device reported them.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                          IXON | IXOFF | IXANY);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(port->fd, TCSANOW, &tio);
}

void DrainPort(PortHandle port) {
    if (port == nullptr || HasFailed(port)) return;
    // tcdrain has no time limit: with hardware flow control and a peer that never raises CTS
    // it would block for good. Watch the output queue instead, for as long as a full command
    // may take at 9600 baud.
    const int64_t deadline = NowMs() + kDrainLimitMs;
    for (;;) {
        int queued = 0;
        if (ioctl(port->fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
        if (NowMs() >= deadline) return;
        pollfd none{-1, 0, 0};
        poll(&none, 0, 1);
    }
}

void WritePort(PortHandle port, const char* bytes, uint32_t count) {
    if (port == nullptr || HasFailed(port)) return;
    // The same budget as the Windows write time-outs: n ms per byte plus a constant.
    const int64_t deadline = NowMs() + int64_t{kWriteTotalPerByteMs} * count + kWriteTotalConstantMs;
    uint32_t done = 0;
    while (done < count) {
        const ssize_t n = write(port->fd, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            MarkFailed(port, errno);
            return;
        }
        const int64_t left = deadline - NowMs();
        if (left <= 0) return;
        pollfd pfd{port->fd, POLLOUT, 0};
        poll(&pfd, 1, static_cast<int>(left));
    }
}

uint32_t ReadPort(PortHandle port, char* buffer, uint32_t capacity) {
    if (port == nullptr || capacity == 0 || HasFailed(port)) return 0;
    const int64_t start = NowMs();
    const int64_t totalDeadline = start + int64_t{kReadTotalPerByteMs} * capacity + kReadTotalConstantMs;
    uint32_t received = 0;
    int64_t lastByte = 0;
    while (received < capacity && !port->cancelled.load()) {
        const int64_t now = NowMs();
        int64_t deadline = totalDeadline;
        if (received != 0 && lastByte + kReadIntervalMs < deadline) deadline = lastByte + kReadIntervalMs;
        if (now >= deadline) break;

        // Linux lets a long poll wake up to 0.1 % late (65 ms on the 65585 ms total); waiting
        // in slices of at most a second keeps every deadline to about a millisecond.
        int64_t wait = deadline - now;
        if (wait > kPollSliceMs) wait = kPollSliceMs;
        pollfd fds[2] = {{port->fd, POLLIN, 0}, {port->cancelRead, POLLIN, 0}};
        const int ready = poll(fds, 2, static_cast<int>(wait));
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (ready == 0) continue;   // the deadline is re-checked at the top
        if (fds[1].revents & POLLIN) break;   // cancelled by StopReader: not a failure
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(port->fd, buffer + received, capacity - received);
            if (n > 0) {
                received += static_cast<uint32_t>(n);
                lastByte = NowMs();
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            // A terminal reads 0 bytes only once it has been hung up.
            MarkFailed(port, n < 0 ? errno : EIO);
            break;
        }
        // Hang-up or error with nothing to read: the device went away (a stick pulled out).
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            MarkFailed(port, (fds[0].revents & POLLNVAL) ? EBADF : EIO);
            break;
        }
    }
    return received;
}

void ClosePort(PortHandle port) {
    if (port == nullptr) return;
    ioctl(port->fd, TIOCNXCL);
    flock(port->fd, LOCK_UN);
    CloseFd(&port->fd);
    CloseFd(&port->cancelRead);
    CloseFd(&port->cancelWrite);
    RemoveLockFile(port->lockPath);
    delete port;
}

bool PortFailed(PortHandle port) { return port != nullptr && HasFailed(port); }

void PortErrorText(char* text, size_t textSize) {
    if (textSize == 0) return;
    const int error = LastOpenErrno.load();
    if (error == EBUSY && HolderKnown.load()) {
        // Paths and process names are the system's bytes, shown in the program's 1251. A lock
        // file is always named, so that a stale or planted one can be found and removed.
        const std::string device = Utf8ToCp1251Shown(BusyDevice);
        const std::string lockFile = Utf8ToCp1251Shown(BusyLockFile);
        if (BusyHolder.pid == 0 && BusyHolder.oddity != nullptr) {
            std::snprintf(text, textSize, "%s is locked by %s (%s, not a lock file)", device.c_str(),
                          lockFile.c_str(), BusyHolder.oddity);
        } else if (BusyHolder.pid == 0) {
            std::snprintf(text, textSize, "%s is locked by %s", device.c_str(), lockFile.c_str());
        } else {
            const std::string name = Utf8ToCp1251Shown(BusyHolder.name[0] != '\0' ? BusyHolder.name : "another program");
            std::snprintf(text, textSize, "%s is in use by %s (pid %d)%s%s", device.c_str(), name.c_str(),
                          static_cast<int>(BusyHolder.pid), lockFile.empty() ? "" : ", lock file ",
                          lockFile.c_str());
        }
        return;
    }
    if (error == ENOLCK) {
        std::snprintf(text, textSize, "this program holds %d lock files already, as many as it can keep track of",
                      kMaxHeldLockFiles);
        return;
    }
    if (error == EBUSY || error == EWOULDBLOCK) {
        std::snprintf(text, textSize, "the port is in use by another program");
        return;
    }
    std::snprintf(text, textSize, "%s", std::strerror(error));
}

void PortFailureText(PortHandle port, char* text, size_t textSize) {
    if (textSize == 0) return;
    text[0] = '\0';
    if (port == nullptr || !HasFailed(port)) return;
    char scratch[256];
    // The GNU strerror_r may return a static string instead of filling the buffer.
    const char* words = strerror_r(port->failure.load(), scratch, sizeof scratch);
    std::snprintf(text, textSize, "%s", words);
}

bool OpenedWithoutLockFile(char* why, size_t whySize) {
    if (!OpenedUnlocked.load()) return false;
    if (whySize > 0) std::snprintf(why, whySize, "%s", UnlockedWhy);
    return true;
}

bool LastOpenFoundBusy() {
    const int error = LastOpenErrno.load();
    return error == EBUSY || error == EWOULDBLOCK;
}

bool LastOpenFoundNoDevice() {
    // EIO and ENXIO come from a ttyS node whose UART is not there: the kernel makes the nodes
    // whether or not the hardware exists.
    const int error = LastOpenErrno.load();
    return error == ENOENT || error == ENODEV || error == ENXIO || error == EIO;
}

// ---------------------------------------------------------------------------------------
// Reader thread

struct ReaderThread {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};

ReaderThread* StartReader(void (*body)(void* context), void* context, uint32_t* threadId) {
    auto* reader = new ReaderThread;
    try {
        reader->thread = std::thread([reader, body, context] {
            body(context);
            std::lock_guard<std::mutex> lock(reader->mutex);
            reader->done = true;
            reader->ended.notify_all();
        });
    } catch (...) {
        delete reader;
        return nullptr;
    }
    if (threadId) *threadId = static_cast<uint32_t>(std::hash<std::thread::id>{}(reader->thread.get_id()));
    return reader;
}

bool WaitReader(ReaderThread* reader, uint32_t timeLimitMs) {
    std::unique_lock<std::mutex> lock(reader->mutex);
    return reader->ended.wait_for(lock, std::chrono::milliseconds(timeLimitMs), [reader] { return reader->done; });
}

void StopReader(ReaderThread* reader, PortHandle port) {
    if (reader == nullptr) return;
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(reader->mutex);
        done = reader->done;
    }
    if (!done && port != nullptr) {
        // The flag covers a reader that has not reached its poll yet; the pipe wakes one
        // that is already waiting.
        port->cancelled.store(true);
        const char wake = 1;
        (void)!write(port->cancelWrite, &wake, 1);
    }
    reader->thread.join();
    if (port != nullptr) {
        port->cancelled.store(false);
        DrainCancelPipe(port);
    }
    delete reader;
}
