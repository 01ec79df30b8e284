#include "tests/support/http_client_posix.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Appends what arrives before `end`; false at the connection's end, an error or the time.
bool ReadMore(int fd, std::string* into, Clock::time_point end, bool* closed) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, MsLeft(end)) <= 0) return false;
    char chunk[4096];
    const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
    if (got <= 0) {
        *closed = true;
        return false;
    }
    into->append(chunk, static_cast<size_t>(got));
    return true;
}

}  // namespace

int ConnectLocal(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
        const ssize_t put = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        sent += static_cast<size_t>(put);
    }
    return true;
}

HttpAnswer ReadAnswer(int fd, int timeoutMs, bool withBody) {
    HttpAnswer answer;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string bytes;
    size_t headEnd = std::string::npos;
    while ((headEnd = bytes.find("\r\n\r\n")) == std::string::npos) {
        if (!ReadMore(fd, &bytes, end, &answer.closed)) return answer;
    }
    answer.head = bytes.substr(0, headEnd + 2);
    if (answer.head.compare(0, 5, "HTTP/") == 0 && answer.head.size() > 12) {
        answer.status = std::atoi(answer.head.c_str() + 9);
    }
    bytes.erase(0, headEnd + 4);
    const size_t length = answer.head.find("\r\nContent-Length: ");
    if (!withBody) {
        answer.body = bytes;
    } else if (length != std::string::npos) {
        const size_t wanted = std::strtoul(answer.head.c_str() + length + 18, nullptr, 10);
        while (bytes.size() < wanted && ReadMore(fd, &bytes, end, &answer.closed)) {
        }
        answer.body = bytes;
    } else {
        while (ReadMore(fd, &bytes, end, &answer.closed)) {
        }
        answer.body = bytes;
    }
    if (!answer.closed && answer.head.find("\r\nConnection: close\r\n") != std::string::npos) {
        std::string extra;   // nothing but the close is due: anything here is a fault to see
        while (ReadMore(fd, &extra, end, &answer.closed)) {
        }
        answer.body += extra;
    }
    return answer;
}

HttpAnswer Exchange(int port, const std::string& request, int timeoutMs) {
    const int fd = ConnectLocal(port);
    if (fd < 0) return HttpAnswer();
    HttpAnswer answer;
    if (SendAll(fd, request)) {
        const bool head = request.compare(0, 5, "HEAD ") == 0;
        answer = ReadAnswer(fd, timeoutMs, !head);
    }
    close(fd);
    return answer;
}

HttpAnswer HttpGet(int port, const std::string& path, int timeoutMs) {
    return Exchange(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", timeoutMs);
}
