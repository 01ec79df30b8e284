// vesmarin-bench: speed of the modem link against the protocol floor of simulated modems.
// scripts/run-bench.sh starts the simulator and runs it; see its usage text below.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/benches.h"

namespace {

constexpr char kUsage[] =
    "usage: vesmarin-bench info --entry ENTRY --profile FILE [--runs N] [--steps]\n"
    "       vesmarin-bench scan --profile FILE [--profile FILE...] [--runs N]\n"
    "       vesmarin-bench silent --port COMn\n"
    "       vesmarin-bench cell --port COMn --profile FILE [--runs N]\n"
    "       vesmarin-bench history\n"
    "\n"
    "Ports are found through VESMARIN_PORTS, where a simulator plays one modem per profile.\n"
    "  info    the information run on ENTRY (such as \"E173 (COM3)\") against its floor\n"
    "  scan    the scan of COM1-COM254; each --profile is one modem the simulator plays\n"
    "  silent  one transaction without the reader thread on a port that never answers\n"
    "  cell    the radio reading of `cell` on COMn against the floor of the commands it sends\n"
    "  history the exporter's kept history of 30 modems: its heap and its JSON's cost; no port\n"
    "  --steps also print each query's median time against its floor\n"
    "Exit status: 0 measured (goals are reported, not enforced), 1 something broke, 2 misuse.\n";

struct Arguments {
    std::string entry;
    std::string port;
    std::vector<std::string> profiles;
    int runs = 5;
    bool steps = false;
};

bool ParseArguments(int argc, char** argv, Arguments* args) {
    for (int i = 2; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--steps") {
            args->steps = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (name == "--entry") {
            args->entry = value;
        } else if (name == "--port") {
            args->port = value;
        } else if (name == "--profile") {
            args->profiles.push_back(value);
        } else if (name == "--runs") {
            char* end = nullptr;
            const long runs = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || runs < 1 || runs > 1000) return false;
            args->runs = static_cast<int>(runs);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (argc < 2 || !ParseArguments(argc, argv, &args)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "info" && !args.entry.empty() && args.profiles.size() == 1)
        return RunInfoBench(args.entry, args.profiles[0], args.runs, args.steps);
    if (command == "scan" && !args.profiles.empty()) return RunScanBench(args.profiles, args.runs);
    if (command == "silent" && !args.port.empty()) return RunSilentBench(args.port);
    if (command == "cell" && !args.port.empty() && args.profiles.size() == 1)
        return RunCellBench(args.port, args.profiles[0], args.runs);
    if (command == "history" && argc == 2) return RunHistoryBench(30);
    std::fputs(kUsage, stderr);
    return 2;
}
