// UUCP lock files as the POSIX port layer reads and writes them, in a scratch lock directory.
#include "link/port_holders_posix.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int FilesIn(const std::string& directory) {
    int count = 0;
    if (DIR* entries = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(entries)) count += entry->d_name[0] != '.';
        closedir(entries);
    }
    return count;
}

// A process that has ended and been reaped: its pid names nobody.
pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

long PidMax() {
    std::ifstream file("/proc/sys/kernel/pid_max");
    long value = 0;
    file >> value;
    return value;
}

class LockFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vesmarin-locks-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        const char* saved = std::getenv("VESMARIN_LOCK_DIR");
        hadSaved_ = saved != nullptr;
        saved_ = saved ? saved : "";
        setenv("VESMARIN_LOCK_DIR", dir_.c_str(), 1);
        lock_ = dir_ + "/LCK..ttyUSB2";
    }
    void TearDown() override {
        if (hadSaved_) setenv("VESMARIN_LOCK_DIR", saved_.c_str(), 1);
        else unsetenv("VESMARIN_LOCK_DIR");
        unlink(lock_.c_str());
        rmdir(lock_.c_str());
        rmdir(dir_.c_str());
    }
    void Write(const std::string& bytes) const {
        std::ofstream file(lock_, std::ios::binary | std::ios::trunc);
        file << bytes;
    }
    std::string Read() const {
        std::ifstream file(lock_, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    bool Exists() const { return access(lock_.c_str(), F_OK) == 0; }
    static std::string Ascii(pid_t pid) {
        char text[16];
        std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
        return text;
    }
    std::string dir_;
    std::string lock_;
    std::string saved_;
    bool hadSaved_ = false;
};

TEST_F(LockFiles, NameComesFromTheDeviceBelowDev) {
    const struct {
        const char* device;
        std::string name;
    } cases[] = {
        {"/dev/ttyUSB2", "LCK..ttyUSB2"},
        {"/dev/ttyACM0", "LCK..ttyACM0"},
        {"/dev/pts/3", "LCK..pts_3"},
        {"/tmp/ports/com4", "LCK..com4"},
    };
    for (const auto& c : cases) {
        char path[512];
        ASSERT_TRUE(LockFilePathFor(c.device, path, sizeof path)) << c.device;
        EXPECT_EQ(std::string(path), dir_ + "/" + c.name);
    }
    char tiny[8];
    EXPECT_FALSE(LockFilePathFor("/dev/ttyUSB2", tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "");
}

TEST_F(LockFiles, LiveOwnerHoldsItAndADeadOneLeavesItStale) {
    const int32_t parent = static_cast<int32_t>(getppid());
    // A lock without a pid may be one whose maker has not written it yet: held while young.
    constexpr int kYoung = 0;
    constexpr int kOld = 10;
    const struct {
        const char* what;
        std::string content;
        int ageSeconds;
        LockState state;
        pid_t holder;
    } cases[] = {
        {"ascii, live", Ascii(getppid()), kYoung, LockState::HeldByOther, getppid()},
        {"ascii without padding", std::to_string(getppid()) + "\n", kYoung, LockState::HeldByOther, getppid()},
        {"binary, live", std::string(reinterpret_cast<const char*>(&parent), sizeof parent), kYoung,
         LockState::HeldByOther, getppid()},
        {"this process", Ascii(getpid()), kYoung, LockState::Ours, 0},
        {"ascii, dead", Ascii(DeadPid()), kYoung, LockState::Free, 0},
        {"empty, young", "", kYoung, LockState::HeldByOther, 0},
        {"garbage, young", "modem manager\n", kYoung, LockState::HeldByOther, 0},
        {"empty, old", "", kOld, LockState::Free, 0},
        {"garbage, old", "modem manager\n", kOld, LockState::Free, 0},
        // Read strictly: what is no pid of this system is treated as no pid at all (it
        // wrapped to pid 1 once), held while young, stale when old.
        {"zero, young", Ascii(0), kYoung, LockState::HeldByOther, 0},
        {"zero, old", Ascii(0), kOld, LockState::Free, 0},
        {"2^32 + 1, young", "4294967297\n", kYoung, LockState::HeldByOther, 0},
        {"2^32 + 1, old", "4294967297\n", kOld, LockState::Free, 0},
        {"past pid_max", std::to_string(PidMax() + 1) + "\n", kOld, LockState::Free, 0},
        {"40 digits", "1" + std::string(39, '0') + "\n", kOld, LockState::Free, 0},
        {"signed", "+" + std::to_string(getppid()) + "\n", kOld, LockState::Free, 0},
        {"binary, negative", std::string("\xff\xff\xff\xff", 4), kOld, LockState::Free, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.content);
        const timeval then[2] = {{time(nullptr) - c.ageSeconds, 0}, {time(nullptr) - c.ageSeconds, 0}};
        ASSERT_EQ(utimes(lock_.c_str(), then), 0);
        PortHolder holder;
        EXPECT_EQ(CheckLockFile(lock_.c_str(), &holder), c.state);
        EXPECT_EQ(holder.pid, c.holder);
        // Only a stale lock is removed.
        EXPECT_EQ(Exists(), c.state != LockState::Free);
    }
    PortHolder none;
    unlink(lock_.c_str());
    EXPECT_EQ(CheckLockFile(lock_.c_str(), &none), LockState::Free);
}

TEST_F(LockFiles, CreatedWithThisPidAndRemovedOnlyByItsOwner) {
    PortHolder holder;
    bool taken = true;
    ASSERT_TRUE(CreateLockFile(lock_.c_str(), &holder, &taken));
    EXPECT_FALSE(taken);
    EXPECT_EQ(Read(), Ascii(getpid()));
    RemoveLockFile(lock_.c_str());
    EXPECT_FALSE(Exists());

    // Readable by every user under the service's umask: others read the pid in it.
    const mode_t savedMask = umask(0077);
    EXPECT_TRUE(CreateLockFile(lock_.c_str(), &holder, &taken));
    umask(savedMask);
    struct stat made {};
    ASSERT_EQ(stat(lock_.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0644u);
    RemoveLockFile(lock_.c_str());

    // A live process's lock is neither replaced nor removed.
    Write(Ascii(getppid()));
    EXPECT_FALSE(CreateLockFile(lock_.c_str(), &holder, &taken));
    EXPECT_TRUE(taken);
    EXPECT_EQ(holder.pid, getppid());
    RemoveLockFile(lock_.c_str());
    EXPECT_EQ(Read(), Ascii(getppid()));

    // A stale one is.
    Write(Ascii(DeadPid()));
    EXPECT_TRUE(CreateLockFile(lock_.c_str(), &holder, &taken));
    EXPECT_EQ(Read(), Ascii(getpid()));
    RemoveLockFile(lock_.c_str());
}

// The lock directory is everyone's: what a user put there is looked at, never followed,
// opened only as a regular file, and never removed.
TEST_F(LockFiles, WhatIsNoRegularFileIsALockOfSomethingUnknown) {
    const std::string target = dir_ + "/target";
    const struct {
        const char* what;
        int (*make)(const std::string& path, const std::string& target);
        const char* oddity;
    } cases[] = {
        {"symlink to a device", [](const std::string& p, const std::string&) { return symlink("/dev/null", p.c_str()); },
         "a symbolic link"},
        {"symlink to a lock of this process",
         [](const std::string& p, const std::string& t) {
             std::ofstream(t) << std::to_string(getpid()) << "\n";
             return symlink(t.c_str(), p.c_str());
         },
         "a symbolic link"},
        {"dangling symlink", [](const std::string& p, const std::string&) { return symlink("/nonexistent-lock", p.c_str()); },
         "a symbolic link"},
        {"directory", [](const std::string& p, const std::string&) { return mkdir(p.c_str(), 0755); }, "a directory"},
        {"device", [](const std::string& p, const std::string&) { return mknod(p.c_str(), S_IFCHR | 0600, makedev(1, 3)); },
         "a character device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.make(lock_, target) != 0) {
            if (errno != EPERM) ADD_FAILURE() << "cannot make it: " << std::strerror(errno);
            continue;   // a device needs root
        }
        const timeval old[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
        lutimes(lock_.c_str(), old);   // old enough to be stale, were it read as a lock
        PortHolder holder;
        EXPECT_EQ(CheckLockFile(lock_.c_str(), &holder), LockState::HeldByOther);
        EXPECT_STREQ(holder.oddity, c.oddity);
        bool taken = false;
        PortHolder creator;
        EXPECT_FALSE(CreateLockFile(lock_.c_str(), &creator, &taken));
        EXPECT_TRUE(taken);
        RemoveLockFile(lock_.c_str());
        struct stat still {};
        EXPECT_EQ(lstat(lock_.c_str(), &still), 0);
        unlink(lock_.c_str());
        rmdir(lock_.c_str());
        unlink(target.c_str());
    }
}

// Every lock held, from any thread, is removed when a signal ends the process, up to the
// table's size; one more is refused rather than held untracked.
TEST_F(LockFiles, AnEndingSignalRemovesEveryLockHeldAndAFullTableRefuses) {
    for (int signalNumber : {SIGQUIT, SIGPIPE}) {
        SCOPED_TRACE(strsignal(signalNumber));
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            std::atomic<int> made{0};
            std::vector<std::thread> threads;
            for (int t = 0; t < 4; ++t) {
                threads.emplace_back([&, t] {
                    for (int i = t; i < kMaxHeldLockFiles; i += 4) {
                        PortHolder holder;
                        bool taken = false;
                        if (CreateLockFile((dir_ + "/LCK..port" + std::to_string(i)).c_str(), &holder, &taken)) ++made;
                    }
                });
            }
            for (auto& thread : threads) thread.join();
            PortHolder holder;
            bool taken = false;
            errno = 0;
            const bool oneMore = CreateLockFile((dir_ + "/LCK..one-more").c_str(), &holder, &taken);
            const char verdict = made == kMaxHeldLockFiles && !oneMore && !taken && errno == ENOLCK ? 'R' : 'x';
            (void)!write(ready[1], &verdict, 1);
            for (;;) pause();
        }
        close(ready[1]);
        char verdict = 0;
        ASSERT_EQ(read(ready[0], &verdict, 1), 1);
        close(ready[0]);
        EXPECT_EQ(verdict, 'R');
        EXPECT_EQ(FilesIn(dir_), kMaxHeldLockFiles);
        kill(child, signalNumber);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber);
        EXPECT_EQ(FilesIn(dir_), 0);
        for (int i = 0; i < kMaxHeldLockFiles; ++i) unlink((dir_ + "/LCK..port" + std::to_string(i)).c_str());
    }
}

TEST_F(LockFiles, UnwritableDirectoryIsNoLockAndNoRefusal) {
    setenv("VESMARIN_LOCK_DIR", "/nonexistent-vesmarin-locks", 1);
    char path[512];
    ASSERT_TRUE(LockFilePathFor("/dev/ttyUSB2", path, sizeof path));
    PortHolder holder;
    bool taken = true;
    EXPECT_EQ(CheckLockFile(path, &holder), LockState::Free);
    EXPECT_FALSE(CreateLockFile(path, &holder, &taken));
    EXPECT_FALSE(taken);
}

}  // namespace
