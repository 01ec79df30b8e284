#include "link/port_holders_posix.h"

#include <dirent.h>
#include <pthread.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr char kDevDirectory[] = "/dev/";
constexpr char kPtyDirectory[] = "/dev/pts/";

// A decimal number that is the whole text, as /proc names processes and descriptors.
bool ParseDecimal(const char* text, long* value) {
    if (text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    *value = parsed;
    return true;
}

void ReadCommandName(pid_t pid, char* name, size_t nameSize) {
    if (nameSize == 0) return;
    name[0] = '\0';
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/comm", static_cast<int>(pid));
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    const ssize_t n = read(fd, name, nameSize - 1);
    close(fd);
    if (n <= 0) return;
    name[n] = '\0';
    if (char* newline = std::strchr(name, '\n')) *newline = '\0';
}

// The pty number that a descriptor on /dev/ptmx is the master of, from its fdinfo; -1 when
// the kernel does not say.
long PtyMasterIndex(pid_t pid, const char* fdName) {
    char path[320];   // a descriptor's name is at most 255 characters
    std::snprintf(path, sizeof path, "/proc/%d/fdinfo/%s", static_cast<int>(pid), fdName);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char info[1024];
    const ssize_t n = read(fd, info, sizeof info - 1);
    close(fd);
    if (n <= 0) return -1;
    info[n] = '\0';
    const char* field = std::strstr(info, "tty-index:");
    if (field == nullptr) return -1;
    return std::strtol(field + std::strlen("tty-index:"), nullptr, 10);
}

bool IsPtyMaster(const char* target) {
    return std::strcmp(target, "/dev/ptmx") == 0 || std::strcmp(target, "/dev/pts/ptmx") == 0;
}

// Looks through one process's descriptors. Returns true when it has `device` open and is not
// the master side of that pty.
bool ProcessHolds(pid_t pid, const char* device, long ptyIndex) {
    char fdDirectory[64];
    std::snprintf(fdDirectory, sizeof fdDirectory, "/proc/%d/fd", static_cast<int>(pid));
    DIR* fds = opendir(fdDirectory);
    if (fds == nullptr) return false;   // gone meanwhile, or another user's
    bool holds = false;
    bool isLineEnd = false;
    while (const dirent* entry = readdir(fds)) {
        long fdNumber = 0;
        if (!ParseDecimal(entry->d_name, &fdNumber)) continue;
        char link[320];
        std::snprintf(link, sizeof link, "%s/%s", fdDirectory, entry->d_name);
        char target[4096];
        const ssize_t n = readlink(link, target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (std::strcmp(target, device) == 0) {
            holds = true;
        } else if (ptyIndex >= 0 && IsPtyMaster(target) && PtyMasterIndex(pid, entry->d_name) == ptyIndex) {
            isLineEnd = true;
            break;
        }
    }
    closedir(fds);
    return holds && !isLineEnd;
}

// The pid in a lock file: ASCII (HDB UUCP: blanks, digits, a line feed) or, in four bytes
// that are not ASCII, the old binary form. -1 when it is neither.
pid_t ParseLockPid(const char* text, size_t size) {
    size_t at = 0;
    while (at < size && text[at] == ' ') ++at;
    long value = 0;
    size_t digits = 0;
    for (; at < size && text[at] >= '0' && text[at] <= '9' && digits < 10; ++at, ++digits) {
        value = value * 10 + (text[at] - '0');
    }
    const bool restIsLineEnd = at == size || (at + 1 == size && text[at] == '\n');
    if (digits > 0 && restIsLineEnd) return static_cast<pid_t>(value);
    if (size == sizeof(int32_t)) {
        int32_t binary = 0;
        std::memcpy(&binary, text, sizeof binary);
        return binary > 0 ? static_cast<pid_t>(binary) : 0;
    }
    return -1;
}

bool ProcessAlive(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// Another program may create its lock file first and write its pid a moment later; a lock
// without a readable pid is taken for stale only once it is older than this.
constexpr time_t kFreshLockSeconds = 5;

bool YoungerThan(const struct stat& info, time_t seconds) {
    const time_t now = time(nullptr);
    return info.st_mtime + seconds > now && info.st_mtime <= now + seconds;
}

// The lock files this process holds, for the signal handler that removes them when the
// process is ended. A slot's path is written before `used` is set and `used` cleared before
// the path goes, with the stop signals blocked meanwhile, so the handler never sees half a
// path.
constexpr int kHeldLockSlots = 8;
constexpr size_t kHeldLockPathSize = 512;
struct HeldLock {
    volatile sig_atomic_t used;
    char path[kHeldLockPathSize];
};
HeldLock gHeldLocks[kHeldLockSlots];
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPreviousActions[3];
bool gHandlersInstalled = false;

void RemoveHeldLocks() {
    for (auto& lock : gHeldLocks) {
        if (lock.used) unlink(lock.path);
    }
}

// Only async-signal-safe calls: unlink, sigaction, raise.
void OnStopSignal(int signalNumber) {
    RemoveHeldLocks();
    for (size_t i = 0; i < sizeof kStopSignals / sizeof kStopSignals[0]; ++i) {
        if (kStopSignals[i] != signalNumber) continue;
        const struct sigaction& previous = gPreviousActions[i];
        if (previous.sa_handler == SIG_IGN) return;
        if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler != SIG_DFL) {
            previous.sa_handler(signalNumber);
            return;
        }
    }
    // The default action, so the parent sees the process ended by this signal.
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void RemoveHeldLocksAtExit() { RemoveHeldLocks(); }

void InstallStopHandlers() {
    if (gHandlersInstalled) return;
    gHandlersInstalled = true;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kStopSignals) sigaddset(&action.sa_mask, signalNumber);
    for (size_t i = 0; i < sizeof kStopSignals / sizeof kStopSignals[0]; ++i) {
        sigaction(kStopSignals[i], nullptr, &gPreviousActions[i]);
        // A program that ignores the signal keeps ignoring it.
        if (gPreviousActions[i].sa_handler != SIG_IGN) sigaction(kStopSignals[i], &action, nullptr);
    }
    atexit(RemoveHeldLocksAtExit);
}

// Blocks the stop signals for its lifetime, so a lock file and its slot change together.
class StopSignalsBlocked {
public:
    StopSignalsBlocked() {
        sigset_t stop;
        sigemptyset(&stop);
        for (int signalNumber : kStopSignals) sigaddset(&stop, signalNumber);
        pthread_sigmask(SIG_BLOCK, &stop, &saved_);
    }
    ~StopSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

private:
    sigset_t saved_;
};

void RememberHeldLock(const char* lockPath) {
    for (auto& lock : gHeldLocks) {
        if (lock.used) continue;
        std::snprintf(lock.path, sizeof lock.path, "%s", lockPath);
        lock.used = 1;
        return;
    }
}

void ForgetHeldLock(const char* lockPath) {
    for (auto& lock : gHeldLocks) {
        if (lock.used && std::strcmp(lock.path, lockPath) == 0) {
            lock.used = 0;
            return;
        }
    }
}

bool IsDirectory(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// Writes this process's lock into a new file of its own, then links it to the lock's name,
// so that nobody ever reads a lock file that is still empty.
bool LinkNewLock(const char* lockPath) {
    char temporary[600];
    const int length = std::snprintf(temporary, sizeof temporary, "%s.%d", lockPath, static_cast<int>(getpid()));
    if (length < 0 || static_cast<size_t>(length) >= sizeof temporary) return false;
    const int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    char text[16];
    const int textLength = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    const bool written = write(fd, text, static_cast<size_t>(textLength)) == textLength;
    close(fd);
    const bool linked = written && link(temporary, lockPath) == 0;
    const int error = errno;
    unlink(temporary);
    errno = error;
    return linked;
}

}  // namespace

bool FindDeviceHolder(const char* device, PortHolder* holder) {
    long ptyIndex = -1;
    if (std::strncmp(device, kPtyDirectory, sizeof kPtyDirectory - 1) == 0 &&
        !ParseDecimal(device + sizeof kPtyDirectory - 1, &ptyIndex)) {
        ptyIndex = -1;
    }
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return false;
    const pid_t self = getpid();
    bool found = false;
    while (const dirent* entry = readdir(proc)) {
        long pid = 0;
        if (!ParseDecimal(entry->d_name, &pid) || pid == self) continue;
        if (ProcessHolds(static_cast<pid_t>(pid), device, ptyIndex)) {
            holder->pid = static_cast<pid_t>(pid);
            ReadCommandName(holder->pid, holder->name, sizeof holder->name);
            found = true;
            break;
        }
    }
    closedir(proc);
    return found;
}

bool LockFilePathFor(const char* device, char* path, size_t pathSize) {
    if (pathSize == 0) return false;
    path[0] = '\0';
    const char* directory = std::getenv("VESMARIN_LOCK_DIR");
    if (directory == nullptr || directory[0] == '\0') {
        if (IsDirectory("/var/lock")) {
            directory = "/var/lock";
        } else if (IsDirectory("/run/lock")) {
            directory = "/run/lock";
        } else {
            return false;
        }
    }
    const char* name = device;
    if (std::strncmp(device, kDevDirectory, sizeof kDevDirectory - 1) == 0) {
        name = device + sizeof kDevDirectory - 1;
    } else if (const char* slash = std::strrchr(device, '/')) {
        name = slash + 1;
    }
    const int length = std::snprintf(path, pathSize, "%s/LCK..", directory);
    if (length < 0 || static_cast<size_t>(length) >= pathSize) {
        path[0] = '\0';
        return false;
    }
    size_t at = static_cast<size_t>(length);
    for (const char* c = name; *c != '\0'; ++c) {
        if (at + 1 >= pathSize) {
            path[0] = '\0';
            return false;
        }
        path[at++] = *c == '/' ? '_' : *c;
    }
    path[at] = '\0';
    return true;
}

LockState CheckLockFile(const char* lockPath, PortHolder* holder) {
    const int fd = open(lockPath, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // A lock that exists but cannot be read still says someone holds the port.
        return errno == ENOENT ? LockState::Free : LockState::HeldByOther;
    }
    struct stat opened {};
    const bool statted = fstat(fd, &opened) == 0;
    char text[64];
    const ssize_t n = read(fd, text, sizeof text);
    close(fd);
    const pid_t pid = n > 0 ? ParseLockPid(text, static_cast<size_t>(n)) : -1;
    if (pid == getpid()) return LockState::Ours;
    if (pid > 0 && ProcessAlive(pid)) {
        holder->pid = pid;
        ReadCommandName(pid, holder->name, sizeof holder->name);
        return LockState::HeldByOther;
    }
    if (pid < 0 && (!statted || YoungerThan(opened, kFreshLockSeconds))) {
        return LockState::HeldByOther;   // its maker may not have written its pid yet
    }
    // The process that left it is gone (or it names none): stale, as lock users agree. It is
    // removed only if it is still the file just read, not a lock made meanwhile by another.
    struct stat current {};
    if (stat(lockPath, &current) == 0 && current.st_ino == opened.st_ino && current.st_dev == opened.st_dev) {
        unlink(lockPath);
    }
    return LockState::Free;
}

bool CreateLockFile(const char* lockPath, PortHolder* holder, bool* taken) {
    *taken = false;
    InstallStopHandlers();
    for (int attempt = 0; attempt < 2; ++attempt) {
        {
            const StopSignalsBlocked blocked;
            if (LinkNewLock(lockPath)) {
                RememberHeldLock(lockPath);
                return true;
            }
        }
        if (errno != EEXIST) return false;
        // Someone made it between our check and now: theirs, unless it is already stale.
        const LockState state = CheckLockFile(lockPath, holder);
        if (state == LockState::HeldByOther) {
            *taken = true;
            return false;
        }
        if (state == LockState::Ours) return false;
    }
    return false;
}

void RemoveLockFile(const char* lockPath) {
    if (lockPath == nullptr || lockPath[0] == '\0') return;
    const StopSignalsBlocked blocked;
    ForgetHeldLock(lockPath);
    PortHolder holder;
    if (CheckLockFile(lockPath, &holder) == LockState::Ours) unlink(lockPath);
}
