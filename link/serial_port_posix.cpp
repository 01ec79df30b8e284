// POSIX backend: termios for the line, poll against deadlines for the read-end rules, an
// advisory lock for exclusive use, and a self-pipe to cancel a read that the reader thread
// still has pending.
#include <fcntl.h>
#include <poll.h>
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
#include <thread>

#include "link/port_names.h"
#include "link/serial_port.h"

struct SerialPort {
    int fd = -1;
    int cancelRead = -1;    // read end of the self-pipe, polled with the device
    int cancelWrite = -1;
    std::atomic<bool> cancelled{false};
};

namespace {

thread_local int gLastOpenError = 0;

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

int OpenDevice(const char* path) {
    char device[4096];
    if (!DeviceForPortPath(path, device, sizeof device)) {
        errno = ENOENT;
        return -1;
    }
    const int fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios probe{};
    if (tcgetattr(fd, &probe) != 0) {   // not a terminal device
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    // Exclusive use: the lock keeps out every other user of the program (root included), and
    // TIOCEXCL keeps out other programs that do not take the lock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        errno = EBUSY;
        return -1;
    }
    ioctl(fd, TIOCEXCL);
    return fd;
}

}  // namespace

PortHandle OpenPort(const char* path) {
    if (path == nullptr) {
        gLastOpenError = ENOENT;
        return nullptr;
    }
    const int fd = OpenDevice(path);
    if (fd < 0) {
        gLastOpenError = errno;
        return nullptr;
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        gLastOpenError = errno;
        ioctl(fd, TIOCNXCL);
        close(fd);
        return nullptr;
    }
    auto* port = new SerialPort;
    port->fd = fd;
    port->cancelRead = pipeFds[0];
    port->cancelWrite = pipeFds[1];
    return port;
}

void ConfigurePort(PortHandle port) {
    if (port == nullptr) return;
    termios tio{};
    if (tcgetattr(port->fd, &tio) != 0) return;
    // The line discipline must be raw for a byte-exact AT dialogue; this has no counterpart in
    // the Windows settings and is not a line setting of the device. Flow control (CRTSCTS,
    // IXON, IXOFF, IXANY, the start/stop characters) and the modem-control lines (HUPCL,
    // CLOCAL) are left exactly as the device reported them.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
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
    if (port == nullptr) return;
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
    if (port == nullptr) return;
    // The same budget as the Windows write time-outs: n ms per byte plus a constant.
    const int64_t deadline = NowMs() + int64_t{kWriteTotalPerByteMs} * count + kWriteTotalConstantMs;
    uint32_t done = 0;
    while (done < count) {
        const ssize_t n = write(port->fd, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        const int64_t left = deadline - NowMs();
        if (left <= 0) return;
        pollfd pfd{port->fd, POLLOUT, 0};
        poll(&pfd, 1, static_cast<int>(left));
    }
}

uint32_t ReadPort(PortHandle port, char* buffer, uint32_t capacity) {
    if (port == nullptr || capacity == 0) return 0;
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
        if (fds[1].revents & POLLIN) break;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(port->fd, buffer + received, capacity - received);
            if (n > 0) {
                received += static_cast<uint32_t>(n);
                lastByte = NowMs();
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        }
        // Hang-up or error with nothing to read: the device went away (a stick pulled out).
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) break;
        if (!(fds[0].revents & POLLIN)) continue;
        break;
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
    delete port;
}

void PortErrorText(char* text, size_t textSize) {
    if (textSize == 0) return;
    const int error = gLastOpenError;
    if (error == EBUSY || error == EWOULDBLOCK) {
        std::snprintf(text, textSize, "the port is in use by another program");
        return;
    }
    std::snprintf(text, textSize, "%s", std::strerror(error));
}

bool LastOpenFoundNoDevice() {
    // EIO and ENXIO come from a ttyS node whose UART is not there: the kernel makes the nodes
    // whether or not the hardware exists.
    const int error = gLastOpenError;
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
