#include "tools/modemsim/open_count.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

bool IsNumber(const char* text) {
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') return false;
    }
    return true;
}

int CountInProcess(const std::string& fdDirectory, const std::string& device) {
    DIR* fds = opendir(fdDirectory.c_str());
    if (fds == nullptr) return 0;   // gone meanwhile, or another user's
    int count = 0;
    char target[4096];
    while (const dirent* entry = readdir(fds)) {
        if (!IsNumber(entry->d_name)) continue;
        const std::string link = fdDirectory + "/" + entry->d_name;
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (device == target) ++count;
    }
    closedir(fds);
    return count;
}

}  // namespace

int CountOtherOpeners(const std::string& device) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return 0;
    const long self = static_cast<long>(getpid());
    int count = 0;
    while (const dirent* entry = readdir(proc)) {
        if (!IsNumber(entry->d_name) || std::strtol(entry->d_name, nullptr, 10) == self) continue;
        count += CountInProcess(std::string("/proc/") + entry->d_name + "/fd", device);
    }
    closedir(proc);
    return count;
}
