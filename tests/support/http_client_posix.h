// A raw HTTP/1.1 client for the exporter's tests: it sends exactly the bytes it is given (so
// malformed requests can be sent too), talks to 127.0.0.1 only and bounds every wait.
#pragma once

#include <string>

struct HttpAnswer {
    int status = 0;      // 0 when no status line arrived in time
    std::string head;    // status line and headers
    std::string body;
    bool closed = false; // the server closed the connection after it
};

// A socket connected to 127.0.0.1:port, or -1.
int ConnectLocal(int port);

// Every byte of `bytes`; false when the connection failed.
bool SendAll(int fd, const std::string& bytes);

// One answer on `fd` within `timeoutMs`: the body as its Content-Length says (none when
// `withBody` is false, as for HEAD), else to the connection's end.
HttpAnswer ReadAnswer(int fd, int timeoutMs, bool withBody = true);

// `request` on a connection of its own, and the one answer to it.
HttpAnswer Exchange(int port, const std::string& request, int timeoutMs = 10000);

// GET `path` with Connection: close.
HttpAnswer HttpGet(int port, const std::string& path, int timeoutMs = 10000);
