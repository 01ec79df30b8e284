// UUCP lock files, as any POSIX system keeps them. The lock directory is writable by every
// user (mode 1777), so whatever lies at a lock path may have been put there to do harm: it
// is looked at without following links (lstat, O_NOFOLLOW) and opened only as a regular
// file, never blocking, so a FIFO or a device at the lock path cannot stall the tool.
#include "link/port_holders_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/exit_cleanup.h"

namespace {

constexpr char kDevDirectory[] = "/dev/";

// No link followed, no wait for a FIFO's writer, no terminal made controlling.
constexpr int kLockReadFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;

// The pid in a lock file: ASCII (HDB UUCP: blanks, digits, a line feed) or, in four bytes
// that are not ASCII, the old binary form; -1 when it is neither or lies outside 1..limit.
// Async-signal-safe (the exit cleanup reads lock files with it).
pid_t ParseLockPid(const char* text, size_t size, pid_t limit) {
    size_t at = 0;
    while (at < size && text[at] == ' ') ++at;
    const size_t digitsStart = at;
    long long value = 0;
    for (; at < size && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value <= limit) value = value * 10 + (text[at] - '0');   // stops growing past limit
    }
    const bool restIsLineEnd = at == size || (at + 1 == size && text[at] == '\n');
    if (at > digitsStart && restIsLineEnd) return value >= 1 && value <= limit ? static_cast<pid_t>(value) : -1;
    if (size == sizeof(int32_t)) {
        int32_t binary = 0;
        std::memcpy(&binary, text, sizeof binary);
        return binary >= 1 && binary <= limit ? static_cast<pid_t>(binary) : -1;
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

const char* OddityOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Reads the start of a lock file that is a regular file; -1 on any other kind or failure,
// with `opened` the file read (for its age and identity). Async-signal-safe.
ssize_t ReadRegularLock(const char* lockPath, char* text, size_t textSize, struct stat* opened, int* error) {
    const int fd = open(lockPath, kLockReadFlags);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    ssize_t n = -1;
    if (fstat(fd, opened) != 0) {
        *error = errno;
    } else if (!S_ISREG(opened->st_mode)) {
        *error = EINVAL;   // swapped for something else since it was looked at
    } else {
        n = read(fd, text, textSize);
        if (n < 0) *error = errno;
    }
    close(fd);
    return n;
}

// ---------------------------------------------------------------------------------------
// The lock files this process holds, for the exit cleanup that removes them however the
// process ends. Any thread claims a slot (free -> writing), writes the path, then publishes
// it (held); the cleanup reads only held slots. A slot is published before its lock file is
// made and withdrawn after it is gone, and the cleanup removes a file only when it still
// names this process, so the file and the table never disagree in a way that loses a lock
// or removes another's.

enum : int { kSlotFree = 0, kSlotWriting = 1, kSlotHeld = 2 };
struct HeldLock {
    std::atomic<int> state{kSlotFree};
    char path[kMaxLockPathSize];
};
static_assert(ATOMIC_INT_LOCK_FREE == 2, "the lock table is read from a signal handler");
HeldLock HeldLocks[kMaxHeldLockFiles];
std::atomic<pid_t> CleanupAddedIn{0};   // the process that added RemoveHeldLocks

// The temporary name a lock is written under before it is linked into place.
bool TemporaryNameOf(const char* lockPath, pid_t pid, char* name, size_t nameSize) {
    // Digits by hand: snprintf is not async-signal-safe.
    char digits[16];
    size_t count = 0;
    for (unsigned long value = static_cast<unsigned long>(pid); count == 0 || value != 0; value /= 10) {
        digits[count++] = static_cast<char>('0' + value % 10);
    }
    const size_t length = std::strlen(lockPath);
    if (length + 1 + count + 1 > nameSize) return false;
    std::memcpy(name, lockPath, length);
    name[length] = '.';
    for (size_t i = 0; i < count; ++i) name[length + 1 + i] = digits[count - 1 - i];
    name[length + 1 + count] = '\0';
    return true;
}

bool NamesThisProcess(const char* lockPath) {
    char text[64];
    struct stat opened {};
    int error = 0;
    const ssize_t n = ReadRegularLock(lockPath, text, sizeof text, &opened, &error);
    return n > 0 && ParseLockPid(text, static_cast<size_t>(n), getpid()) == getpid();
}

// An exit-cleanup step: async-signal-safe.
void RemoveHeldLocks() {
    const pid_t self = getpid();
    for (HeldLock& lock : HeldLocks) {
        if (lock.state.load() != kSlotHeld) continue;
        char temporary[kMaxLockPathSize + 16];
        if (TemporaryNameOf(lock.path, self, temporary, sizeof temporary)) unlink(temporary);
        if (NamesThisProcess(lock.path)) unlink(lock.path);
    }
}

bool RememberHeldLock(const char* lockPath) {
    const size_t length = std::strlen(lockPath);
    if (length >= kMaxLockPathSize) return false;
    for (HeldLock& lock : HeldLocks) {
        int expected = kSlotFree;
        if (!lock.state.compare_exchange_strong(expected, kSlotWriting)) continue;
        std::memcpy(lock.path, lockPath, length + 1);
        lock.state.store(kSlotHeld);
        return true;
    }
    return false;
}

void ForgetHeldLock(const char* lockPath) {
    for (HeldLock& lock : HeldLocks) {
        // A held slot's path changes only through its owner, so it may be compared here.
        if (lock.state.load() != kSlotHeld || std::strcmp(lock.path, lockPath) != 0) continue;
        int expected = kSlotHeld;
        if (lock.state.compare_exchange_strong(expected, kSlotWriting)) {
            lock.state.store(kSlotFree);
            return;
        }
    }
}

// Once per process: a child made by fork() adds it again to make the cleanup its own.
bool EnsureCleanupAdded() {
    if (CleanupAddedIn.load() == getpid()) return true;
    if (!AddExitCleanup(RemoveHeldLocks)) return false;
    CleanupAddedIn.store(getpid());
    return true;
}

bool IsDirectory(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// Writes this process's lock into a new file of its own, then links it to the lock's name,
// so that nobody ever reads a lock file that is still empty.
bool LinkNewLock(const char* lockPath) {
    char temporary[kMaxLockPathSize + 16];
    if (!TemporaryNameOf(lockPath, getpid(), temporary, sizeof temporary)) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return false;
    // Other users' programs read the pid in it to tell who holds the port; a umask such as
    // the service's 0077 would leave it readable by this user alone. Should it fail, a lock
    // that others cannot read still keeps them out, which beats no lock.
    fchmod(fd, 0644);
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
    struct stat seen {};
    if (lstat(lockPath, &seen) != 0) {
        // A lock that exists but cannot be looked at still says someone holds the port.
        return errno == ENOENT ? LockState::Free : LockState::HeldByOther;
    }
    if (!S_ISREG(seen.st_mode)) {
        holder->oddity = OddityOf(seen.st_mode);
        return LockState::HeldByOther;
    }
    char text[64];
    struct stat opened {};
    int error = 0;
    const ssize_t n = ReadRegularLock(lockPath, text, sizeof text, &opened, &error);
    if (n < 0) {
        if (error == ENOENT) return LockState::Free;   // removed since the look
        // Replaced since the look by something that is no regular file.
        struct stat now {};
        if (lstat(lockPath, &now) == 0 && !S_ISREG(now.st_mode)) holder->oddity = OddityOf(now.st_mode);
        return LockState::HeldByOther;
    }
    const pid_t pid = n > 0 ? ParseLockPid(text, static_cast<size_t>(n), ProcessIdLimit()) : -1;
    if (pid == getpid()) return LockState::Ours;
    if (pid > 0 && ProcessAlive(pid)) {
        holder->pid = pid;
        ReadProcessName(pid, holder->name, sizeof holder->name);
        return LockState::HeldByOther;
    }
    if (pid < 0 && YoungerThan(opened, kFreshLockSeconds)) {
        return LockState::HeldByOther;   // its maker may not have written its pid yet
    }
    // The process that left it is gone (or it names none): stale, as lock users agree. It is
    // removed only if it is still the file just read, not a lock made meanwhile by another.
    struct stat current {};
    if (lstat(lockPath, &current) == 0 && current.st_ino == opened.st_ino && current.st_dev == opened.st_dev) {
        unlink(lockPath);
    }
    return LockState::Free;
}

bool CreateLockFile(const char* lockPath, PortHolder* holder, bool* taken) {
    *taken = false;
    if (!EnsureCleanupAdded() || !RememberHeldLock(lockPath)) {
        errno = ENOLCK;
        return false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (LinkNewLock(lockPath)) return true;
        const int linkError = errno;
        // Someone made it first: theirs, unless it is already stale. A directory this user
        // may not write can still hold another's lock, and that is kept to as well.
        const LockState state = CheckLockFile(lockPath, holder);
        if (state == LockState::HeldByOther) {
            *taken = true;
            break;
        }
        errno = linkError;
        if (state == LockState::Ours || linkError != EEXIST) break;
    }
    const int error = errno;
    ForgetHeldLock(lockPath);
    errno = error;
    return false;
}

void RemoveLockFile(const char* lockPath) {
    if (lockPath == nullptr || lockPath[0] == '\0') return;
    PortHolder holder;
    if (CheckLockFile(lockPath, &holder) == LockState::Ours) unlink(lockPath);
    ForgetHeldLock(lockPath);
}
