#include "tools/modemsim/device_link.h"

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

std::string DeviceLinkPath(const std::string& directory, int portNumber) {
    return directory + "/com" + std::to_string(portNumber);
}

bool DeviceLinkReplaceable(const std::string& linkPath, std::string* error) {
    struct stat info {};
    if (lstat(linkPath.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;
        *error = linkPath + ": " + strerror(errno);
        return false;
    }
    if (S_ISLNK(info.st_mode)) return true;
    *error = linkPath + ": exists and is not a symbolic link; not replacing it";
    return false;
}

bool CreateDeviceLink(const std::string& linkPath, const std::string& target, std::string* error) {
    // Made beside the final name and renamed over it, so a client never finds the name missing
    // or pointing half-way.
    const size_t slash = linkPath.rfind('/');
    const std::string temporary = linkPath.substr(0, slash + 1) + ".modemsim-" +
                                  std::to_string(getpid()) + "-" + linkPath.substr(slash + 1);
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        *error = temporary + ": " + strerror(errno);
        return false;
    }
    if (rename(temporary.c_str(), linkPath.c_str()) != 0) {
        *error = linkPath + ": " + strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveDeviceLink(const std::string& linkPath, const std::string& target) {
    char current[4096];
    const ssize_t length = readlink(linkPath.c_str(), current, sizeof current - 1);
    if (length < 0) return;
    if (target.compare(0, std::string::npos, current, static_cast<size_t>(length)) != 0) return;
    unlink(linkPath.c_str());
}
