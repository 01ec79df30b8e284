// The holders of a device that Linux shows in /proc: each process's open descriptors, its
// command name, and the system's pid_max.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/port_holders_posix.h"

namespace {

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

// The kernel's ceiling for pid_max (PID_MAX_LIMIT on 64-bit systems).
constexpr long kPidMaxCeiling = 4194304;

}  // namespace

void ReadProcessName(pid_t pid, char* name, size_t nameSize) {
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

pid_t ProcessIdLimit() {
    long limit = kPidMaxCeiling;
    const int fd = open("/proc/sys/kernel/pid_max", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char text[32];
        const ssize_t n = read(fd, text, sizeof text - 1);
        close(fd);
        if (n > 0) {
            text[n] = '\0';
            if (char* newline = std::strchr(text, '\n')) *newline = '\0';
            long value = 0;
            if (ParseDecimal(text, &value) && value > 1 && value <= kPidMaxCeiling) limit = value;
        }
    }
    return static_cast<pid_t>(limit);
}

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
            ReadProcessName(holder->pid, holder->name, sizeof holder->name);
            found = true;
            break;
        }
    }
    closedir(proc);
    return found;
}
