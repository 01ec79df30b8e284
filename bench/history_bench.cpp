// The exporter's kept history: the heap 30 modems' full histories take, and what one answer of
// /api/v1/modems over them costs (its size and the server thread's time).
#include <malloc.h>

#include <ctime>
#include <cstdio>
#include <vector>

#include "bench/bench_report.h"
#include "bench/benches.h"
#include "exporter/modems_json.h"
#include "fleet/modem_state.h"

namespace {

size_t HeapInUse() { return mallinfo2().uordblks; }

double CpuMs() { return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC; }

}  // namespace

int RunHistoryBench(int modems) {
    ExporterSnapshot snapshot;
    snapshot.now = ExporterClock::now();
    snapshot.modems.resize(static_cast<size_t>(modems));
    SignalPoint point;
    point.unixMs = 1796761105129;
    point.csqRssiDbm = -65;
    point.rssi = -73.5f;
    point.rsrp = -100;
    point.rsrq = -12.5f;
    point.sinr = -2.2f;
    const size_t before = HeapInUse();
    // As the readings build it: one point at a time, each reading's copy replacing the last.
    for (size_t reading = 0; reading < kSignalHistoryReadings + 10; ++reading) {
        for (ExportedModem& modem : snapshot.modems) modem.history = WithPoint(modem.history, point);
    }
    const size_t heap = HeapInUse() - before;
    std::printf("exporter history of %d modems x %zu readings: %.1f KiB of heap (%zu bytes a reading; "
                "goal <= 256 KiB: %s)\n",
                modems, kSignalHistoryReadings, static_cast<double>(heap) / 1024, sizeof(SignalPoint),
                heap <= 256 * 1024 ? "met" : "MISSED");
    std::vector<double> runs;
    size_t bytes = 0;
    for (int run = 0; run < 20; ++run) {
        const double start = CpuMs();
        bytes = ModemsJson(snapshot).size();
        runs.push_back(CpuMs() - start);
    }
    std::printf("/api/v1/modems over those histories: %.0f KiB, median %.2f ms of CPU to write\n",
                static_cast<double>(bytes) / 1024, Median(runs));
    return 0;
}
