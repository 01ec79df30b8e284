#include "tools/modemsim/client_watch.h"

#include <string.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

ClientWatch::~ClientWatch() {
    if (fd_ >= 0) close(fd_);
}

bool ClientWatch::Start(std::string* error) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        *error = std::string("inotify_init1: ") + strerror(errno);
        return false;
    }
    return true;
}

int ClientWatch::Watch(const std::string& path, std::string* error) {
    const int id = inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    if (id < 0) *error = path + ": inotify_add_watch: " + strerror(errno);
    return id;
}

void ClientWatch::Unwatch(int watchId) {
    if (fd_ >= 0 && watchId >= 0) inotify_rm_watch(fd_, watchId);
}

void ClientWatch::Drain(const std::function<void(int, Event)>& handle) {
    alignas(inotify_event) char buffer[4096];
    while (true) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        for (ssize_t at = 0; at < n;) {
            inotify_event event;
            memcpy(&event, buffer + at, sizeof event);
            at += static_cast<ssize_t>(sizeof event + event.len);
            if (event.mask & IN_Q_OVERFLOW) handle(-1, Event::Lost);
            if (event.mask & IN_OPEN) handle(event.wd, Event::Opened);
            if (event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) handle(event.wd, Event::Closed);
        }
    }
}
