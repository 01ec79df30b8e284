// Notices clients opening and closing the ports' slave devices (inotify), so the simulator can
// do what a serial port does on its last close. The kernel queues the event before open() or
// close() returns, so events read before a port's data are never older than that data.
#pragma once

#include <functional>
#include <string>

class ClientWatch {
public:
    enum class Event { Opened, Closed, Lost };  // Lost: the queue overflowed, counts are unknown

    ClientWatch() = default;
    ~ClientWatch();
    ClientWatch(const ClientWatch&) = delete;
    ClientWatch& operator=(const ClientWatch&) = delete;

    bool Start(std::string* error);
    // Watches one device; returns its watch id, or -1 with a reason.
    int Watch(const std::string& path, std::string* error);
    // Stops watching; the id's events that are still queued are dropped by the caller.
    void Unwatch(int watchId);
    int Fd() const { return fd_; }
    // Hands every queued event to `handle` (watch id, event); the id is -1 for Lost.
    void Drain(const std::function<void(int, Event)>& handle);

private:
    int fd_ = -1;
};
