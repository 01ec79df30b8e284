// UUCP lock files as the POSIX port layer reads and writes them, in a scratch lock directory.
#include "link/port_holders_posix.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// A process that has ended and been reaped: its pid names nobody.
pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
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
        {"zero", Ascii(0), kYoung, LockState::Free, 0},
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
