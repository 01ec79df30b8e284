// One transaction without the reader thread on a port that opens but never answers. Only the
// port's total read time-out ends it; the information run waits this long for every query a
// silent modem leaves unanswered.
#include <cstdio>
#include <string>

#include "bench/bench_report.h"
#include "bench/benches.h"
#include "link/serial_port.h"
#include "link/transact.h"

namespace {

constexpr double kExpectedMs = double{kReadTotalPerByteMs} * kReplyCapacity + kReadTotalConstantMs;

}  // namespace

int RunSilentBench(const std::string& portName) {
    const std::string path = "\\\\.\\" + portName;
    PortHandle port = OpenPort(path.c_str());
    if (port == nullptr) {
        char reason[256];
        PortErrorText(reason, sizeof reason);
        std::fprintf(stderr, "vesmarin-bench silent: cannot open %s: %s\n", portName.c_str(), reason);
        return 1;
    }
    ConfigurePort(port);
    DrainPort(port);
    std::printf("silent port %s: one transaction without the reader thread, expecting %.0f ms...\n",
                portName.c_str(), kExpectedMs);
    std::fflush(stdout);
    const double start = NowMs();
    const uint32_t count = Transact(port, "AT", false, kProbeTimeLimitMs);
    const double elapsed = NowMs() - start;
    ClosePort(port);
    std::printf("silent port %s: %u bytes after %.1f ms; expected 0 bytes after %.0f ms (%+.1f ms)\n",
                portName.c_str(), count, elapsed, kExpectedMs, elapsed - kExpectedMs);
    return count == 0 ? 0 : 1;
}
