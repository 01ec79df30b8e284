#include "exporter/http_server_linux.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <list>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEventsPerWait = 64;
// Accepts per wake-up: the loop turns to the connections it has between bursts.
constexpr int kAcceptsPerWake = 64;
// Out of descriptors (the readings hold them, or the system's table is full): the pending
// connections wait in the backlog instead of the loop spinning on a listening socket that
// stays readable.
constexpr int kPauseWithoutDescriptorsMs = 100;
// What a closing connection still reads so that a client's unread bytes (a request body
// never read) do not turn the close into a reset that could destroy the answer at its end.
constexpr size_t kDrainBytes = 64 * 1024;

enum class Phase { Reading, Writing };
enum class Flushed { Done, Pending, Failed };

struct Connection {
    int fd = -1;
    Phase phase = Phase::Reading;
    Clock::time_point deadline;
    std::string in;          // received and not yet used
    std::string out;         // the answer being sent
    size_t sent = 0;
    bool closeAfter = false;
    bool peerDone = false;   // the client shut its side: nothing more will come
    int answered = 0;
    std::list<Connection>::iterator self;
};

int MsUntil(Clock::time_point when, Clock::time_point now) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count() + 1;
    return static_cast<int>(std::max<long long>(0, std::min<long long>(ms, INT_MAX)));
}

// One try, no waiting: the server's own short answers fit any socket's empty send buffer.
void SendOnce(int fd, const std::string& bytes) {
    while (send(fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

bool StartedARequest(const std::string& in) {
    return in.find_first_not_of("\r\n") != std::string::npos;
}

}  // namespace

struct HttpServer::Loop {
    HttpHandler handler;
    HttpLimits limits;
    std::atomic<size_t> cap;
    std::atomic<bool> stopping{false};
    int epoll = -1, wake = -1, listening = -1, port = 0;
    bool acceptPaused = false;
    Clock::time_point resumeAt;
    // Each list is in deadline order: a connection joins its end with now plus a constant.
    std::list<Connection> reading, writing, closed;
    char listenTag = 0, wakeTag = 0;   // the epoll data of the two descriptors that are no connection

    Loop(HttpHandler h, const HttpLimits& l) : handler(std::move(h)), limits(l), cap(l.connections) {
        epoll = epoll_create1(EPOLL_CLOEXEC);
        wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (epoll >= 0 && wake >= 0) Watch(wake, EPOLLIN, &wakeTag, EPOLL_CTL_ADD);
    }
    ~Loop() {
        for (auto* list : {&reading, &writing}) {
            for (auto& connection : *list) close(connection.fd);
        }
        for (int fd : {listening, wake, epoll}) {
            if (fd >= 0) close(fd);
        }
    }

    bool Watch(int fd, uint32_t events, void* data, int operation) {
        epoll_event event{};
        event.events = events;
        event.data.ptr = data;
        return epoll_ctl(epoll, operation, fd, &event) == 0;
    }
    size_t Count() const { return reading.size() + writing.size(); }
    std::list<Connection>& ListOf(const Connection& c) { return c.phase == Phase::Reading ? reading : writing; }

    void Serve();
    void Accept(Clock::time_point now);
    void PauseAccept(Clock::time_point until);
    void MaybeResumeAccept(Clock::time_point now);
    void OnReadable(Connection* c, Clock::time_point now);
    void Answer(Connection* c, Clock::time_point now);
    void Send(Connection* c, std::string bytes, bool close, Clock::time_point now);
    Flushed Flush(Connection* c);
    void Finish(Connection* c, Clock::time_point now);
    void Close(Connection* c);
    void Expire(Clock::time_point now);
    int Timeout(Clock::time_point now) const;
};

void HttpServer::Loop::Serve() {
    epoll_event events[kEventsPerWait];
    while (!stopping.load()) {
        const int count = epoll_wait(epoll, events, kEventsPerWait, Timeout(Clock::now()));
        if (count < 0 && errno != EINTR) return;
        const auto now = Clock::now();
        for (int i = 0; i < count; ++i) {
            void* data = events[i].data.ptr;
            if (data == &wakeTag) {
                uint64_t value = 0;
                while (read(wake, &value, sizeof value) > 0) {
                }
            } else if (data == &listenTag) {
                Accept(now);
            } else {
                Connection* c = static_cast<Connection*>(data);
                if (c->fd < 0) continue;   // closed earlier in this batch
                if (c->phase == Phase::Reading) {
                    OnReadable(c, now);
                } else if (Flush(c) == Flushed::Done) {
                    Finish(c, now);
                }
            }
        }
        Expire(now);
        MaybeResumeAccept(now);
        closed.clear();
    }
}

int HttpServer::Loop::Timeout(Clock::time_point now) const {
    Clock::time_point next = Clock::time_point::max();
    if (!reading.empty()) next = reading.front().deadline;
    if (!writing.empty()) next = std::min(next, writing.front().deadline);
    if (acceptPaused && resumeAt > now) next = std::min(next, resumeAt);
    return next == Clock::time_point::max() ? -1 : MsUntil(next, now);
}

void HttpServer::Loop::Accept(Clock::time_point now) {
    for (int i = 0; i < kAcceptsPerWake; ++i) {
        if (Count() >= cap.load() && reading.empty()) {
            // Every connection is being answered, and answers end within writeMs.
            PauseAccept(now);
            return;
        }
        const int fd = accept4(listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                PauseAccept(now + std::chrono::milliseconds(kPauseWithoutDescriptorsMs));
            }
            return;
        }
        // The newcomer stays; the connection that has waited longest for its request goes.
        while (Count() >= cap.load() && !reading.empty()) {
            Connection& oldest = reading.front();
            SendOnce(oldest.fd, ResponseBytes(ServerAnswer(503), false, true, false));
            Close(&oldest);
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        reading.emplace_back();
        Connection& c = reading.back();
        c.self = std::prev(reading.end());
        c.fd = fd;
        c.deadline = now + std::chrono::milliseconds(limits.requestMs);
        if (!Watch(fd, EPOLLIN, &c, EPOLL_CTL_ADD)) {
            Close(&c);
            continue;
        }
        OnReadable(&c, now);   // a client's request usually arrives with its connection
    }
}

void HttpServer::Loop::PauseAccept(Clock::time_point until) {
    if (!acceptPaused) Watch(listening, 0, &listenTag, EPOLL_CTL_MOD);
    acceptPaused = true;
    resumeAt = until;
}

void HttpServer::Loop::MaybeResumeAccept(Clock::time_point now) {
    if (!acceptPaused || now < resumeAt || (Count() >= cap.load() && reading.empty())) return;
    Watch(listening, EPOLLIN, &listenTag, EPOLL_CTL_MOD);
    acceptPaused = false;
}

void HttpServer::Loop::OnReadable(Connection* c, Clock::time_point now) {
    char chunk[4096];
    // Never more than one head's worth is held: the rest waits in the socket.
    while (!c->peerDone && c->in.size() < limits.headBytes) {
        const size_t room = std::min(sizeof chunk, limits.headBytes - c->in.size());
        const ssize_t got = recv(c->fd, chunk, room, 0);
        if (got > 0) {
            c->in.append(chunk, static_cast<size_t>(got));
        } else if (got == 0) {
            c->peerDone = true;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else if (errno != EINTR) {
            Close(c);
            return;
        }
    }
    Answer(c, now);
}

void HttpServer::Loop::Answer(Connection* c, Clock::time_point now) {
    HttpRequestHead head;
    size_t used = 0;
    int status = 0;
    switch (ReadRequestHead(c->in.data(), c->in.size(), limits.headBytes, &head, &used, &status)) {
        case HeadRead::Incomplete:
            if (c->peerDone) Close(c);
            return;
        case HeadRead::Refused:
            Send(c, ResponseBytes(ServerAnswer(status), false, true, false), true, now);
            return;
        case HeadRead::Complete:
            break;
    }
    c->in.erase(0, used);
    ++c->answered;
    const bool close =
        !head.keepAlive || head.hasBody || c->peerDone || c->answered >= limits.requestsPerConnection;
    HttpResponse response;
    try {
        response = handler(head.method, head.path);
    } catch (...) {   // out of memory building an answer: this client fails, the server goes on
        response = ServerAnswer(500);
    }
    Send(c, ResponseBytes(response, head.method == "HEAD", close, head.http10 && !close), close, now);
}

void HttpServer::Loop::Send(Connection* c, std::string bytes, bool close, Clock::time_point now) {
    c->out = std::move(bytes);
    c->sent = 0;
    c->closeAfter = close;
    const Flushed flushed = Flush(c);
    if (flushed == Flushed::Done) {
        Finish(c, now);
    } else if (flushed == Flushed::Pending) {
        writing.splice(writing.end(), reading, c->self);
        c->phase = Phase::Writing;
        c->deadline = now + std::chrono::milliseconds(limits.writeMs);
        Watch(c->fd, EPOLLOUT, c, EPOLL_CTL_MOD);
    }
}

Flushed HttpServer::Loop::Flush(Connection* c) {
    while (c->sent < c->out.size()) {
        const ssize_t put = send(c->fd, c->out.data() + c->sent, c->out.size() - c->sent, MSG_NOSIGNAL);
        if (put > 0) {
            c->sent += static_cast<size_t>(put);
        } else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return Flushed::Pending;
        } else if (put == 0 || errno != EINTR) {
            Close(c);
            return Flushed::Failed;
        }
    }
    return Flushed::Done;
}

void HttpServer::Loop::Finish(Connection* c, Clock::time_point now) {
    if (c->closeAfter) {
        Close(c);
        return;
    }
    c->out.clear();
    c->out.shrink_to_fit();
    if (c->phase == Phase::Writing) Watch(c->fd, EPOLLIN, c, EPOLL_CTL_MOD);
    reading.splice(reading.end(), ListOf(*c), c->self);
    c->phase = Phase::Reading;
    c->deadline = now + std::chrono::milliseconds(limits.requestMs);
    // A pipelined request may be held already; the socket will not announce it again.
    if (StartedARequest(c->in)) Answer(c, now);
}

void HttpServer::Loop::Close(Connection* c) {
    char scratch[4096];
    for (size_t drained = 0; drained < kDrainBytes;) {
        const ssize_t got = recv(c->fd, scratch, sizeof scratch, MSG_DONTWAIT);
        if (got <= 0) break;
        drained += static_cast<size_t>(got);
    }
    // Out of the epoll set first: a reading process being started holds a copy of every
    // descriptor until it executes, and while any copy is open a closed socket would stay in
    // the set, its events naming a connection that is gone.
    epoll_ctl(epoll, EPOLL_CTL_DEL, c->fd, nullptr);
    close(c->fd);
    c->fd = -1;
    closed.splice(closed.end(), ListOf(*c), c->self);
}

void HttpServer::Loop::Expire(Clock::time_point now) {
    while (!reading.empty() && reading.front().deadline <= now) {
        Connection& late = reading.front();
        // An idle keep-alive connection is closed without a word; a new one that has not sent
        // its request in time is told so, so that no client is left guessing why it was cut off.
        if (late.answered == 0 || StartedARequest(late.in)) {
            SendOnce(late.fd, ResponseBytes(ServerAnswer(408), false, true, false));
        }
        Close(&late);
    }
    while (!writing.empty() && writing.front().deadline <= now) Close(&writing.front());
}

HttpServer::HttpServer(HttpHandler handler, const HttpLimits& limits)
    : loop_(new Loop(std::move(handler), limits)) {}

HttpServer::~HttpServer() = default;

bool HttpServer::Listen(const std::string& host, int port, std::string* error) {
    Loop& loop = *loop_;
    if (loop.epoll < 0 || loop.wake < 0) {
        *error = std::strerror(errno);
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int looked = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (looked != 0) {
        *error = gai_strerror(looked);
        return false;
    }
    int reason = 0;
    for (addrinfo* address = found; address != nullptr && loop.listening < 0; address = address->ai_next) {
        const int fd = socket(address->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            reason = errno;
            continue;
        }
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(fd, address->ai_addr, address->ai_addrlen) != 0 || listen(fd, SOMAXCONN) != 0) {
            reason = errno;
            close(fd);
            continue;
        }
        loop.listening = fd;
    }
    freeaddrinfo(found);
    if (loop.listening < 0) {
        *error = std::strerror(reason);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(loop.listening, reinterpret_cast<sockaddr*>(&bound), &length);
    loop.port = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                            : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    loop.Watch(loop.listening, EPOLLIN, &loop.listenTag, EPOLL_CTL_ADD);
    return true;
}

int HttpServer::Port() const { return loop_->port; }

void HttpServer::Run() { loop_->Serve(); }

void HttpServer::Stop() {
    loop_->stopping.store(true);
    const uint64_t one = 1;
    while (write(loop_->wake, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void HttpServer::SetConnectionCap(size_t connections) { loop_->cap.store(std::max<size_t>(connections, 1)); }
