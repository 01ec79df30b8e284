// The exporter's HTTP/1.1 server: one epoll loop on one thread that accepts, reads and answers.
// A request is answered only once its request line and headers are complete, and those must
// arrive within one total deadline, so clients that trickle their headers or sit idle cost a
// descriptor each and nothing else: a complete request is answered at once however many
// incomplete ones are pending. A body is never read (nothing served takes one): a request
// that has one is answered at once and its connection closed.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "exporter/http_message.h"

// Called on the loop's thread for every complete, well-formed request (the path without its
// query), so it must answer from memory. HEAD is passed as HEAD and answered as GET would be.
using HttpHandler = std::function<HttpResponse(const std::string& method, const std::string& path)>;

struct HttpLimits {
    size_t connections = 1024;        // open at once; see SetConnectionCap
    int requestMs = 5000;             // request line and headers in total, from the first wait
    int writeMs = 10000;              // one answer in total
    size_t headBytes = 8192;          // request line and headers together (431 beyond)
    int requestsPerConnection = 100;  // keep-alive, then closed
};

class HttpServer {
public:
    HttpServer(HttpHandler handler, const HttpLimits& limits);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds host:port ("127.0.0.1", "::1", a name) and listens; port 0 takes a free one.
    // False with the system's reason in `error`.
    bool Listen(const std::string& host, int port, std::string* error);
    int Port() const;

    // Serves until Stop, which may be called from any thread (not from a signal handler).
    void Run();
    void Stop();

    // At the cap a newcomer is taken in and the connection that has waited longest for its
    // request (an idle keep-alive one included) is answered 503 and closed; when every
    // connection is being answered, newcomers wait in the listen backlog. Any thread.
    void SetConnectionCap(size_t connections);

private:
    struct Loop;
    std::unique_ptr<Loop> loop_;
};
