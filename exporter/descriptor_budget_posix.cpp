#include "exporter/descriptor_budget_posix.h"

#include <sys/resource.h>

#include <algorithm>

namespace {

constexpr size_t kOwnDescriptors = 64;
constexpr size_t kPipesPerDevice = 2;
constexpr size_t kDevicesAtLeast = 32;
constexpr size_t kMostConnections = 1024;
constexpr size_t kFewestConnections = 8;

}  // namespace

size_t RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? static_cast<size_t>(1) << 20 : static_cast<size_t>(limit.rlim_cur);
}

size_t DescriptorReserve(size_t modems) {
    return kOwnDescriptors + kPipesPerDevice * std::max(kDevicesAtLeast, 2 * modems);
}

size_t ConnectionCap(size_t limit, size_t modems) {
    const size_t reserve = DescriptorReserve(modems);
    const size_t left = limit > reserve ? limit - reserve : 0;
    return std::max(kFewestConnections, std::min(kMostConnections, left));
}
