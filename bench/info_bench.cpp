// The information run against a responsive simulated modem, timed against the protocol floor
// of its 17 queries. The run's progress report marks when each query is sent, which splits the
// run's time by query without touching the run.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/benches.h"
#include "bench/protocol_floor.h"
#include "info/captured_rows.h"
#include "info/info_run.h"
#include "info/info_table.h"

namespace {

constexpr double kInfoGoalRatio = 1.10;

struct SentQuery {
    std::string command;
    double sentAtMs;
};

void RecordQuery(int, const char* command, void* context) {
    static_cast<std::vector<SentQuery>*>(context)->push_back({command, NowMs()});
}

void PrintSteps(const std::vector<std::vector<double>>& stepMs, const std::vector<SentQuery>& queries,
                const Profile& profile) {
    std::printf("  %-14s %10s %10s %10s\n", "query", "median ms", "floor ms", "excess ms");
    for (size_t i = 0; i < queries.size(); ++i) {
        const double floorMs = FloorOfCommand(profile, queries[i].command).ms;
        const double median = Median(stepMs[i]);
        std::printf("  %-14s %10.1f %10.1f %10.1f\n", queries[i].command.c_str(), median, floorMs,
                    median - floorMs);
    }
}

}  // namespace

int RunInfoBench(const std::string& entry, const std::string& profilePath, int runs, bool steps) {
    Profile profile;
    if (!LoadBenchProfile(profilePath, &profile)) return 1;

    CapturedRows rows;
    std::vector<SentQuery> queries;
    SetInfoRunProgress(&RecordQuery, &queries);

    std::vector<double> runMs;
    std::vector<std::vector<double>> stepMs(kInfoQueryCount);
    double floorMs = 0;
    int status = 0;
    for (int run = 0; run < runs && status == 0; ++run) {
        queries.clear();
        rows.Reset();
        const double start = NowMs();
        const int result = ReadModemInfo(entry.c_str());
        const double end = NowMs();
        if (result != 0) {
            std::fprintf(stderr, "vesmarin-bench info: cannot open the port of '%s'\n", entry.c_str());
            status = 1;
        } else if (queries.size() != kInfoQueryCount) {
            std::fprintf(stderr, "vesmarin-bench info: the run sent %zu queries, not %d\n", queries.size(),
                         kInfoQueryCount);
            status = 1;
        } else if (rows.Value(InfoRow::Model).empty()) {
            std::fprintf(stderr, "vesmarin-bench info: the run read no model: the modem did not answer\n");
            status = 1;
        } else {
            runMs.push_back(end - start);
            for (size_t i = 0; i < queries.size(); ++i) {
                const double next = i + 1 < queries.size() ? queries[i + 1].sentAtMs : end;
                stepMs[i].push_back(next - queries[i].sentAtMs);
            }
        }
    }
    SetInfoRunProgress(nullptr, nullptr);
    if (status != 0) return status;

    bool cut = false;
    for (const SentQuery& query : queries) {
        const CommandFloor floor = FloorOfCommand(profile, query.command);
        floorMs += floor.ms;
        cut = cut || floor.cutByPause;
    }
    if (cut) std::printf("note: a reply pauses for the read's whole silence interval; the floor does not model it\n");
    PrintRatioLine("info run (" + std::to_string(kInfoQueryCount) + " queries)", runMs, floorMs, kInfoGoalRatio);
    if (steps) PrintSteps(stepMs, queries, profile);
    return 0;
}
