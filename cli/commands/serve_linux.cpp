// serve: the Prometheus exporter. Readings run on their own schedule in a thread of their own
// (each modem in a process of its own); the HTTP side only ever copies the last readings.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdio>
#include <list>
#include <memory>
#include <thread>

#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"
#include "cli/console/console_output.h"
#include "cli/console/exit_codes.h"
#include "cli/commands/many_options.h"
#include "cli/commands/serve_options.h"
#include "exporter/metrics_text.h"

namespace {

constexpr CommandHelp kServeHelp = {
    "a Prometheus exporter for every modem (Linux only)",
    "A Prometheus exporter (Linux only; not in the Windows build): /metrics in the text\n"
    "format, a short page at /. Scrapes are answered from the last readings, never by\n"
    "talking to a modem. Every modem is found as info --all finds it and read in a process of\n"
    "its own; nothing is ever set on a modem, and between readings the ports are free for\n"
    "other programs. A port another program holds is skipped for that round and counted.\n",
    "No TLS, no authentication: bind beyond localhost only behind a reverse proxy or an SSH\n"
    "tunnel. A modem gone for --forget-after seconds stops having series; until then its\n"
    "vesmarin_up is 0. --timeout is one modem's information run's deadline.\n"
    "SIGTERM and SIGINT end it with every lock released. Exit status: 0 ended by a signal,\n"
    "2 bad arguments or the address cannot be bound.\n",
};

// httplib's pool, bounded: a connection that finds more than kQueueLimit others waiting is
// answered 503 at once instead of waiting its turn behind them.
constexpr size_t kWorkers = 64;
constexpr size_t kQueueLimit = 256;

class BoundedPool : public httplib::TaskQueue {
public:
    explicit BoundedPool(size_t workers) {
        for (size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
    }
    void enqueue(std::function<void()> job) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            jobs_.push_back(std::move(job));
            waiting_.store(jobs_.size());
        }
        ready_.notify_one();
    }
    void shutdown() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ending_ = true;
        }
        ready_.notify_all();
        for (auto& thread : threads_) thread.join();
    }
    static bool Overloaded() { return waiting_.load() > kQueueLimit; }

private:
    void Work() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
                if (ending_ && jobs_.empty()) return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
                waiting_.store(jobs_.size());
            }
            job();
        }
    }
    std::vector<std::thread> threads_;
    std::list<std::function<void()>> jobs_;
    std::mutex mutex_;
    std::condition_variable ready_;
    bool ending_ = false;
    static std::atomic<size_t> waiting_;
};
std::atomic<size_t> BoundedPool::waiting_{0};

void Routes(httplib::Server& server, ExporterRounds& rounds) {
    server.set_pre_routing_handler([](const httplib::Request&, httplib::Response& response) {
        if (!BoundedPool::Overloaded()) return httplib::Server::HandlerResponse::Unhandled;
        response.status = 503;
        response.set_header("Retry-After", "1");
        response.set_content("busy, try again\n", "text/plain; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get("/metrics", [&rounds](const httplib::Request&, httplib::Response& response) {
        response.set_content(MetricsText(rounds.Snapshot()), "text/plain; version=0.0.4; charset=utf-8");
    });
    server.Get("/", [&rounds](const httplib::Request&, httplib::Response& response) {
        response.set_content(StatusPage(rounds.Snapshot()), "text/html; charset=utf-8");
    });
    const auto notAllowed = [](const httplib::Request&, httplib::Response& response) {
        response.status = 405;
        response.set_header("Allow", "GET, HEAD");
        response.set_content("only GET and HEAD\n", "text/plain; charset=utf-8");
    };
    for (const char* path : {"/", "/metrics"}) {
        server.Post(path, notAllowed);
        server.Put(path, notAllowed);
        server.Delete(path, notAllowed);
        server.Patch(path, notAllowed);
        server.Options(path, notAllowed);
    }
}

int RunServe(ServeOptions options) {
    options.settings.version = VESMARIN_VERSION;
    options.settings.notice = [](const std::string& text) { WriteUtf8Message(stderr, "vesmarin-cli serve: " + text + "\n"); };

    // A client that goes away mid-answer must not end the exporter. The ending signals are
    // taken by this thread alone (sigwait), so no reading or HTTP thread is interrupted; the
    // reading processes start with them unblocked.
    signal(SIGPIPE, SIG_IGN);
    sigset_t ending;
    sigemptyset(&ending);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ending, sig);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    httplib::Server server;
    server.new_task_queue = [] { return new BoundedPool(kWorkers); };
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    server.set_keep_alive_timeout(2);
    server.set_payload_max_length(64 * 1024);
    // The library listens with a backlog of 5: a burst of connections would lose SYNs and wait
    // out TCP's retries. Its socket is caught as it is made and given the system's backlog.
    int listening = -1;
    // Headers and body go out in two writes: without TCP_NODELAY (which accepted sockets
    // inherit from this one) a keep-alive scrape would wait out the peer's delayed ACK.
    server.set_socket_options([&listening](int socket) {
        httplib::default_socket_options(socket);
        const int on = 1;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        listening = socket;
    });
    ExporterRounds rounds(options.settings);
    Routes(server, rounds);

    int port = options.port;
    if (port == 0) {
        port = server.bind_to_any_port(options.host);
    } else if (!server.bind_to_port(options.host, port)) {
        port = -1;
    }
    if (port <= 0) {
        return UsageError("serve", "cannot listen on " + options.host + ":" + std::to_string(options.port));
    }
    if (listening >= 0) ::listen(listening, SOMAXCONN);
    const bool v6 = options.host.find(':') != std::string::npos;
    std::printf("vesmarin-cli serve: listening on http://%s%s%s:%d/\n", v6 ? "[" : "", options.host.c_str(),
                v6 ? "]" : "", port);
    std::fflush(stdout);

    std::thread http([&server] { server.listen_after_bind(); });
    std::thread reading([&rounds] { rounds.Run(); });
    int received = 0;
    while (sigwait(&ending, &received) != 0) {
    }
    rounds.Stop();
    server.stop();
    reading.join();
    http.join();
    return kExitSuccess;
}
}  // namespace

void DeclareServe(CommandLine* line) {
    auto options = std::make_shared<ServeOptions>();
    CommandOptions serve = line->AddCommand("serve", kServeHelp, [options] { return RunServe(*options); });
    DeclareServeOptions(serve, options.get());
}
