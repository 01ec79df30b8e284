// The exporter's HTTP server with small limits: the oldest waiting connection shed for a
// newcomer, a request that trickles past its total deadline ended, pipelined requests and
// HEAD on one connection, a connection closed while a child process holds its socket, the
// connection cap that leaves the readings their descriptors, and what the exporter answers at
// each path.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "exporter/descriptor_budget_posix.h"
#include "exporter/exporter_routes.h"
#include "exporter/http_server_linux.h"
#include "tests/support/http_client_posix.h"

namespace {

class HttpServerTest : public ::testing::Test {
protected:
    void Start(const HttpLimits& limits) {
        server_ = std::make_unique<HttpServer>([](const std::string& method, const std::string& path) {
            HttpResponse response;
            response.contentType = "text/plain";
            response.body = method + " " + path + "\n";
            return response;
        }, limits);
        std::string error;
        ASSERT_TRUE(server_->Listen("127.0.0.1", 0, &error)) << error;
        ASSERT_GT(server_->Port(), 0);
        thread_ = std::thread([this] { server_->Run(); });
    }
    void TearDown() override {
        if (!server_) return;
        server_->Stop();
        thread_.join();
    }
    std::unique_ptr<HttpServer> server_;
    std::thread thread_;
};

bool Quiet(int fd) {
    pollfd state{fd, POLLIN, 0};
    return poll(&state, 1, 0) == 0;
}

TEST_F(HttpServerTest, ShedsTheConnectionWaitingLongestNeverTheNewcomer) {
    HttpLimits limits;
    limits.connections = 3;
    limits.requestMs = 60000;   // nothing expires during the test
    Start(limits);
    const int trickling = ConnectLocal(server_->Port());
    ASSERT_GE(trickling, 0);
    ASSERT_TRUE(SendAll(trickling, "GET /metrics HTTP/1.1\r\nHost: x\r\n"));
    const int idle1 = ConnectLocal(server_->Port());
    const int idle2 = ConnectLocal(server_->Port());
    const int newcomer = ConnectLocal(server_->Port());
    ASSERT_GE(newcomer, 0);
    ASSERT_TRUE(SendAll(newcomer, "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n"));
    const HttpAnswer answered = ReadAnswer(newcomer, 10000);
    EXPECT_EQ(answered.status, 200) << "a complete request waits for no incomplete one";
    EXPECT_EQ(answered.body, "GET /metrics\n");
    const HttpAnswer shed = ReadAnswer(trickling, 10000);
    EXPECT_EQ(shed.status, 503);
    EXPECT_TRUE(shed.closed);
    EXPECT_TRUE(Quiet(idle1) && Quiet(idle2)) << "only the oldest is shed";
    for (int fd : {trickling, idle1, idle2, newcomer}) close(fd);
}

TEST_F(HttpServerTest, EndsARequestThatTricklesPastItsTotalDeadline) {
    HttpLimits limits;
    limits.requestMs = 500;
    Start(limits);
    const int fd = ConnectLocal(server_->Port());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(SendAll(fd, "GET /metrics HTTP/1.1\r\n"));
    // A header line every 100 ms: each read is quick, the whole never ends. Bounded at 10 s.
    HttpAnswer answer;
    for (int line = 0; line < 100 && answer.status == 0; ++line) {
        if (!SendAll(fd, "X-Slow: " + std::to_string(line) + "\r\n")) break;
        answer = ReadAnswer(fd, 100);
    }
    if (answer.status == 0) answer = ReadAnswer(fd, 2000);
    EXPECT_EQ(answer.status, 408);
    EXPECT_TRUE(answer.closed || ReadAnswer(fd, 2000).closed);
    close(fd);
}

TEST_F(HttpServerTest, AnswersPipelinedRequestsInOrderAndHeadWithoutItsBody) {
    Start(HttpLimits());
    const int fd = ConnectLocal(server_->Port());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(SendAll(fd, "GET /one HTTP/1.1\r\nHost: x\r\n\r\nHEAD /two HTTP/1.1\r\nHost: x\r\n\r\n"
                            "GET /three HTTP/1.0\r\n\r\n"));
    // The answers back to back, the connection closed after the 1.0 one (no keep-alive asked).
    std::string bytes;
    bool closed = false;
    for (int reads = 0; reads < 100 && !closed; ++reads) {   // bounded: 100 reads of at most 100 ms
        pollfd ready{fd, POLLIN, 0};
        char chunk[4096];
        const ssize_t got = poll(&ready, 1, 100) == 1 ? recv(fd, chunk, sizeof chunk, 0) : -1;
        if (got > 0) bytes.append(chunk, static_cast<size_t>(got));
        closed = got == 0;
    }
    EXPECT_EQ(bytes.find("HTTP/1.1 200 OK\r\n"), 0u) << bytes;
    EXPECT_NE(bytes.find("\r\n\r\nGET /one\nHTTP/1.1 200 OK\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Content-Length: 10\r\n\r\nHTTP/1.1 200 OK\r\n"), std::string::npos)
        << "HEAD's answer carried a body: " << bytes;
    const std::string last = "Connection: close\r\n\r\nGET /three\n";
    const size_t at = bytes.find(last);
    EXPECT_NE(at, std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("Connection:"), at) << "keep-alive ended early: " << bytes;
    EXPECT_EQ(bytes.size(), at + last.size()) << bytes;
    EXPECT_TRUE(closed);
    close(fd);
}

// A reading process being started holds a copy of every descriptor until it executes. A
// connection the server closes meanwhile must leave its epoll set all the same: else the
// socket's events, once the client hangs up, name a connection that is gone (a use after free
// that the sanitizer build reports).
TEST_F(HttpServerTest, ClosesAConnectionWhoseSocketAChildStillHolds) {
    Start(HttpLimits());
    const int fd = ConnectLocal(server_->Port());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(SendAll(fd, "GET /one HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_EQ(ReadAnswer(fd, 10000).status, 200);
    int release[2];
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {   // holds the server's copies until the test closes the pipe
        close(fd);       // not the client's: its close must reach the server
        close(release[1]);
        char byte;
        while (read(release[0], &byte, 1) < 0) {
        }
        _exit(0);
    }
    close(release[0]);
    ASSERT_TRUE(SendAll(fd, "GET /two HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
    EXPECT_EQ(ReadAnswer(fd, 10000).status, 200);
    close(fd);   // the server's socket, still open in the child, now reads as ended
    for (int i = 0; i < 5; ++i) EXPECT_EQ(HttpGet(server_->Port(), "/three").status, 200);
    close(release[1]);
    waitpid(child, nullptr, 0);
}

TEST(DescriptorBudget, LeavesTheReadingsTheirDescriptors) {
    const struct {
        size_t limit, modems, connections;
    } rows[] = {
        {1024, 0, 896},     // the reserve for 32 devices
        {1024, 6, 896},
        {1024, 100, 560},   // 64 + 2 pipes x 200 devices
        {524288, 6, 1024},  // a raised limit: at most 1024
        {100, 6, 8},        // too few for the reserve: a few still answered
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ConnectionCap(row.limit, row.modems), row.connections) << row.limit << " " << row.modems;
        if (row.connections > 8) {
            EXPECT_LE(row.connections + DescriptorReserve(row.modems), row.limit);
        }
    }
}

}  // namespace

// Each path's answer: its type, and the page's guard (a policy that forbids anything from
// elsewhere or inline, no sniffing, no caching of the live answers).
TEST(ExporterAnswer, EveryPathWithItsTypeAndGuard) {
    ExporterSite site;
    site.snapshot = [] { return ExporterSnapshot{}; };
    struct Case {
        const char* method;
        const char* path;
        int status;
        const char* type;    // its start
        const char* cache;   // nullptr: no guard headers
    } const cases[] = {
        {"GET", "/", 200, "text/html", "no-store"},
        {"HEAD", "/", 200, "text/html", "no-store"},
        {"GET", "/api/v1/modems", 200, "application/json", "no-store"},
        {"GET", "/status.css", 200, "text/css", "no-cache"},
        {"GET", "/status.js", 200, "text/javascript", "no-cache"},
        {"GET", "/metrics", 200, "text/plain; version=0.0.4", nullptr},
        {"POST", "/api/v1/modems", 405, "text/plain", nullptr},
        {"GET", "/api/v1/modems/", 404, "text/plain", nullptr},
        {"GET", "/status.JS", 404, "text/plain", nullptr},
        {"GET", "/api/v1", 404, "text/plain", nullptr},
    };
    for (const auto& c : cases) {
        const HttpResponse answer = ExporterAnswer(site, c.method, c.path);
        EXPECT_EQ(answer.status, c.status) << c.path;
        EXPECT_EQ(answer.contentType.rfind(c.type, 0), 0u) << c.path << " " << answer.contentType;
        const auto header = [&](const std::string& name) {
            for (const auto& pair : answer.headers) {
                if (pair.first == name) return pair.second;
            }
            return std::string();
        };
        if (c.cache == nullptr) {
            EXPECT_EQ(header("Content-Security-Policy"), "") << c.path;
            continue;
        }
        EXPECT_EQ(header("Content-Security-Policy").rfind("default-src 'self';", 0), 0u) << c.path;
        EXPECT_EQ(header("X-Content-Type-Options"), "nosniff") << c.path;
        EXPECT_EQ(header("Cache-Control"), c.cache) << c.path;
    }
}
