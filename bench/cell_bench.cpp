// The radio reading of `cell` against a simulated modem, timed against the protocol floor of
// the commands it sends. Each run uses a fresh session, so the family is found anew, as each
// `cell` process does.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/benches.h"
#include "bench/protocol_floor.h"
#include "link/port_session.h"
#include "radio/radio_session.h"

namespace {

constexpr double kCellGoalRatio = 1.10;

void RecordCommand(const char* command, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(command);
}

}  // namespace

int RunCellBench(const std::string& portName, const std::string& profilePath, int runs) {
    Profile profile;
    if (!LoadBenchProfile(profilePath, &profile)) return 1;
    const std::string path = "\\\\.\\" + portName;
    PortSession port(path.c_str());
    if (!port.IsOpen()) {
        std::fprintf(stderr, "vesmarin-bench cell: cannot open %s\n", portName.c_str());
        return 1;
    }
    std::vector<double> runMs;
    std::vector<std::string> commands;
    for (int run = 0; run < runs; ++run) {
        RadioSession radio(port.Handle());
        commands.clear();
        radio.SetCommandObserver(&RecordCommand, &commands);
        RadioFacts facts;
        const double start = NowMs();
        const CellReading reading = radio.ReadCell(&facts, StopCheck{});
        const double end = NowMs();
        if (reading.outcome != CellOutcome::Read || facts.registration == Registration::Unknown) {
            std::fprintf(stderr, "vesmarin-bench cell: the reading on %s failed at %s\n", portName.c_str(),
                         reading.failedCommand.c_str());
            return 1;
        }
        runMs.push_back(end - start);
    }
    double floorMs = 0;
    for (const std::string& command : commands) floorMs += FloorOfCommand(profile, command).ms;
    PrintRatioLine("cell (" + std::to_string(commands.size()) + " commands)", runMs, floorMs, kCellGoalRatio);
    return 0;
}
