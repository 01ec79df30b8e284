// The scan of COM1 to COM254 with simulated modems, timed against the protocol floor of the two
// probe transactions of each modem; every other port number costs one failed open.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/benches.h"
#include "bench/protocol_floor.h"
#include "link/discovery.h"

namespace {

constexpr double kScanGoalRatio = 1.20;
const char* const kProbeCommands[] = {"ATE0", "AT+CGMM"};

}  // namespace

int RunScanBench(const std::vector<std::string>& profilePaths, int runs) {
    double floorMs = 0;
    for (const std::string& path : profilePaths) {
        Profile profile;
        if (!LoadBenchProfile(path, &profile)) return 1;
        for (const char* command : kProbeCommands) floorMs += FloorOfCommand(profile, command).ms;
    }

    std::vector<double> runMs;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        ProbePorts();
        runMs.push_back(NowMs() - start);
        if (ModemList.count != static_cast<int>(profilePaths.size())) {
            std::fprintf(stderr, "vesmarin-bench scan: found %d modems, expected %zu\n",
                         static_cast<int>(ModemList.count), profilePaths.size());
            return 1;
        }
    }
    PrintRatioLine("scan COM1-COM254 (" + std::to_string(profilePaths.size()) + " modems)", runMs, floorMs,
                   kScanGoalRatio);
    return 0;
}
