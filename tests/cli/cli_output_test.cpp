// Output that cannot be written is no success: a full disk is exit 3 with a message, a closed
// stdout is refused before anything is opened, and a reader that goes away ends the tool
// quietly with its lock removed. Layout CliModems: COM5 answers.
#include <gtest/gtest.h>
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/support/modem_transcript.h"

namespace {

// A private lock folder, so that what the tool leaves in it is its alone.
class LockFolder {
public:
    LockFolder() {
        char path[] = "/tmp/vesmarin-locks-XXXXXX";
        if (mkdtemp(path) != nullptr) path_ = path;
    }
    ~LockFolder() { rmdir(path_.c_str()); }
    const std::string& Path() const { return path_; }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(path_.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(dir);
        }
        return names;
    }

private:
    std::string path_;
};

// One line for `term` to send, as a file to redirect its input from.
class InputFile {
public:
    explicit InputFile(const std::string& text) {
        char path[] = "/tmp/vesmarin-input-XXXXXX";
        const int fd = mkstemp(path);
        if (fd < 0) return;
        path_ = path;
        if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) path_.clear();
        close(fd);
    }
    ~InputFile() {
        if (!path_.empty()) unlink(path_.c_str());
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string Contents(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[512];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
        std::fclose(file);
    }
    return text;
}

TEST(CliModemsOutput, AFullDiskIsExitThreeWithAMessageForEveryCommand) {
    const InputFile input("ATI\n");
    ASSERT_FALSE(input.Path().empty());
    const struct {
        std::string args;
        const char* command;
    } cases[] = {
        {"scan", "scan"},
        {"scan --json", "scan"},
        {"at COM5 AT+CGMM", "at"},
        {"info COM5", "info"},
        {"info --json COM5", "info"},
        {"watch --count 3 --interval 0.2 COM5", "watch"},
        {"watch --json --count 3 --interval 0.2 COM5", "watch"},
        {"term COM5 <" + input.Path(), "term"},
        {"at --help", "at"},
        {"--version", ""},
    };
    for (const auto& c : cases) {
        const CliOutcome run = RunCliCommand(c.args + " >/dev/full", CliStderr::Separate);
        EXPECT_EQ(run.status, 3) << c.args << ": " << run.err;
        const std::string who = *c.command ? std::string("vesmarin-cli ") + c.command : "vesmarin-cli";
        EXPECT_NE(run.err.find(who + ": the output could not be written: "), std::string::npos)
            << c.args << ": " << run.err;
    }
}

TEST(CliModemsOutput, AClosedStdoutReachesNeitherTheModemNorALockFile) {
    LockFolder locks;
    ASSERT_FALSE(locks.Path().empty());
    const std::string lockDir = "VESMARIN_LOCK_DIR=" + locks.Path() + " ";
    std::vector<std::string> before;
    ASSERT_TRUE(ReceivedByModem(5, &before));
    for (const char* args : {"at COM5 AT+CGMM", "info COM5", "watch --count 1 COM5"}) {
        const CliOutcome run = RunCliCommand(std::string(args) + " >&-", CliStderr::Separate);
        EXPECT_EQ(run.status, 3) << args;
        EXPECT_NE(run.err.find(": the output could not be written: "), std::string::npos) << args << ": " << run.err;
        EXPECT_TRUE(locks.Files().empty()) << args;
    }
    // A run that does reach the modem marks the transcript: what the runs above sent would
    // stand before its command.
    const CliOutcome marker = RunCliCommand("at COM5 AT+CGMI", CliStderr::Separate);
    ASSERT_EQ(marker.status, 0) << marker.err;
    std::vector<std::string> after;
    ASSERT_TRUE(ReceivedByModem(5, &after));
    ASSERT_GT(after.size(), before.size());
    for (size_t i = before.size(); i < after.size(); ++i) {
        EXPECT_NE(after[i].find("AT+CGMI"), std::string::npos) << "sent with stdout closed: " << after[i];
    }
}

TEST(CliModemsOutput, AReaderThatGoesAwayEndsTheWatchQuietlyWithItsLockRemoved) {
    LockFolder locks;
    ASSERT_FALSE(locks.Path().empty());
    const InputFile status("");
    const InputFile err("");
    ASSERT_FALSE(status.Path().empty() || err.Path().empty());
    // `head` leaves after the first line; the watch learns it at its next write.
    const std::string command = "(VESMARIN_LOCK_DIR=" + locks.Path() + " " + VESMARIN_CLI +
                                " watch --interval 0.2 COM5 2>" + err.Path() + "; echo $? >" + status.Path() +
                                ") | head -1 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(Contents(status.Path()), "0\n");
    EXPECT_EQ(Contents(err.Path()), "") << "quietly";
    EXPECT_TRUE(locks.Files().empty());
}

}  // namespace
