// Who else uses a serial device on POSIX. There, unlike Windows, opening a device keeps out
// nobody who opened it earlier: the port layer has to look for other users itself, in the
// processes' open files and in the UUCP lock files that dialers and modem tools leave.
#pragma once

#include <sys/types.h>

#include <cstddef>

struct PortHolder {
    pid_t pid = 0;        // 0 when not known
    char name[64] = {};   // the process's command name, empty when not known
    // Set when the lock path is no regular file (which no lock-file user makes, and which is
    // not opened): what it is instead, "a FIFO", "a symbolic link" ...
    const char* oddity = nullptr;
};

// The system's part (port_holders_linux.cpp: /proc).
// Finds a process other than this one that has `device` (a resolved path such as
// /dev/ttyUSB2) open. A process that holds the master side of the pty `device` is the line's
// other end, the modem (a simulator), and is not counted. Processes whose open files this user
// may not see are not counted either.
bool FindDeviceHolder(const char* device, PortHolder* holder);
// The command name of process `pid`, NUL-terminated; empty when it cannot be seen.
void ReadProcessName(pid_t pid, char* name, size_t nameSize);
// The highest pid that a lock file may name (pid_max on Linux).
pid_t ProcessIdLimit();

// The lock files themselves (port_holders_posix.cpp: any POSIX system).

// The UUCP lock file of `device`: LCK.. and the device's name below /dev ("/" becomes "_", so
// /dev/ttyUSB2 gives LCK..ttyUSB2 and /dev/pts/3 LCK..pts_3), in $VESMARIN_LOCK_DIR when that
// is set (tests), else in /var/lock or /run/lock, whichever exists. False when there is no
// lock directory.
bool LockFilePathFor(const char* device, char* path, size_t pathSize);

enum class LockState {
    Free,           // no lock file, or a stale one (its process is gone), now removed
    Ours,           // the lock of this very process
    HeldByOther,    // the lock of a live process; one that cannot be read; one that is no
                    // regular file (a FIFO, a symbolic link, dangling or not, a device, a
                    // directory: held by something unknown, never opened for reading nor
                    // removed); or one without a valid pid that is younger than a few seconds
                    // (its maker may still be writing)
};
// The pid is read strictly: blanks, decimal digits and an optional line feed (or, in exactly
// four bytes that are not that, the old binary form), within 1..ProcessIdLimit(); anything
// else counts as no pid.
LockState CheckLockFile(const char* lockPath, PortHolder* holder);

// How many lock files one process can hold at once. One more is refused (ENOLCK) rather than
// held without the guarantee that an ending signal removes it.
constexpr int kMaxHeldLockFiles = 256;
constexpr size_t kMaxLockPathSize = 512;   // with its NUL

// Creates the lock file with this process's id in the usual form (ten columns and a line
// feed), mode 0644 whatever the umask, in one step (link(2)), so that of two processes
// exactly one makes it. Returns false
// when the file could not be made: either another process made it first (`holder` is then
// filled and `*taken` set), or this process holds kMaxHeldLockFiles already or the path is
// longer than kMaxLockPathSize (errno ENOLCK), or the directory does not let this user write
// (errno says why). Any thread may call it. A lock made here is removed by RemoveLockFile,
// at exit, and when any signal that ends the process does so (common/exit_cleanup.h).
bool CreateLockFile(const char* lockPath, PortHolder* holder, bool* taken);

// Removes the lock file if it still holds this process's id.
void RemoveLockFile(const char* lockPath);
