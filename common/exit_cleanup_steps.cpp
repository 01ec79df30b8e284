#include "common/exit_cleanup_steps.h"

#include <atomic>

namespace {

// Enough for every lock registry, terminal restore and log flush the tool has; the lock
// registry itself is one step however many locks it holds.
constexpr int kMaxSteps = 32;

// Read inside signal handlers: only lock-free atomics.
static_assert(ATOMIC_POINTER_LOCK_FREE == 2 && ATOMIC_INT_LOCK_FREE == 2,
              "the exit-cleanup table must be readable from a signal handler");
std::atomic<ExitCleanupStep> Steps[kMaxSteps];
std::atomic<int> StepCount{0};
std::atomic_flag AddingStep = ATOMIC_FLAG_INIT;

enum : int { kNotRun = 0, kRunning = 1, kFinished = 2 };
std::atomic<int> RunState{kNotRun};

}  // namespace

bool AddStepToTable(ExitCleanupStep step) {
    if (step == nullptr) return false;
    while (AddingStep.test_and_set(std::memory_order_acquire)) {
    }
    bool added = true;
    const int count = StepCount.load();
    bool present = false;
    for (int i = 0; i < count; ++i) present = present || Steps[i].load() == step;
    if (!present) {
        if (count < kMaxSteps) {
            // The step is stored before the count grows, so a reader never calls an empty slot.
            Steps[count].store(step);
            StepCount.store(count + 1);
        } else {
            added = false;
        }
    }
    AddingStep.clear(std::memory_order_release);
    return added;
}

bool ClaimSteps() {
    int expected = kNotRun;
    return RunState.compare_exchange_strong(expected, kRunning);
}

void RunClaimedSteps() {
    for (int i = StepCount.load(); i-- > 0;) {
        if (const ExitCleanupStep step = Steps[i].load()) step();
    }
    RunState.store(kFinished);
}

bool StepsFinished() { return RunState.load() == kFinished; }
