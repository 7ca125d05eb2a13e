#include "idle/idle_threads.h"

#include "common/format.h"
#include "hw/backend.h"
#include "hw/driver.h"
#include "hw/log.h"

int32_t ProcessorCount = 1;
std::atomic<uint32_t> IdleStartTick{0};
std::atomic<bool> C2Idling{false};
std::atomic<bool> ChipsetOptimized{false};
std::atomic<uint32_t> C2PortAddress{0};
TIdle* IdleThreads[kIdleSlots] = {};

namespace {

IdleThreadPlatform* g_platform = nullptr;

// Level -> THREAD_PRIORITY_IDLE, LOWEST, BELOW_NORMAL, NORMAL, ABOVE_NORMAL, HIGHEST, TIME_CRITICAL
constexpr int kPriorities[kPriorityLevels] = {-15, -2, -1, 0, 1, 2, 15};

constexpr const char* kCreateError =
    "Quillar: Couln't create idle thread for processor %d.\rProgram execution will continue.";

void RunIdle(void* arg) { static_cast<TIdle*>(arg)->Execute(); }

}  // namespace

int PriorityOfLevel(int level) {
    if (level < 0) level = 0;
    if (level >= kPriorityLevels) level = kPriorityLevels - 1;
    return kPriorities[level];
}

int LevelOfPriority(int priority) {
    for (int level = 0; level < kPriorityLevels; ++level)
        if (kPriorities[level] == priority) return level;
    return 3;
}

void SetIdleThreadPlatform(IdleThreadPlatform* platform) { g_platform = platform; }
IdleThreadPlatform& IdlePlatform() { return *g_platform; }

void TIdle::Execute() {
    uint32_t t = g_platform->TickCount();
    IdleStartTick = t;
    LastSampleTick = t;
    // Nothing but the one request and the flag tests: every instruction here is time
    // the processor is awake.
    do {
        if (C2Idling.load(std::memory_order_relaxed) && ChipsetOptimized.load(std::memory_order_relaxed))
            EnterC2();
        else
            DriverHalt();
    } while (!Terminated.load(std::memory_order_relaxed));
}

int TIdle::PriorityLevel() const { return LevelOfPriority(g_platform->GetPriority(handle)); }

void TIdle::SetPriorityLevel(int level) { g_platform->SetPriority(handle, PriorityOfLevel(level)); }

void CountProcessors() {
    int n = hw::backend::LogicalProcessors();
    ProcessorCount = n < 1 ? 1 : (n > 32 ? 32 : n);
}

void CreateIdleThreads(const std::function<void(const std::string& text)>& reportError) {
    LogText("Creating Threads");
    for (int cpu = 0; cpu < ProcessorCount && cpu < kIdleSlots; ++cpu) {
        try {
            // The object lives until the process ends: its slot is never cleared, so the
            // main thread may still look at it after the thread itself has ended.
            auto* idle = new TIdle(cpu, 0);
            uintptr_t handle = g_platform->CreateSuspended(RunIdle, idle);
            if (!handle) {
                delete idle;
                throw EHardwareException(Format(kCreateError, {cpu}));
            }
            idle->handle = handle;
            g_platform->SetPriority(handle, PriorityOfLevel(0));
            if (!g_platform->SetAffinity(handle, 1u << (cpu % 32))) {
                // Never let it run the loop on the wrong processor.
                g_platform->Discard(handle);
                delete idle;
                throw EHardwareException(Format(kCreateError, {cpu}));
            }
            idle->LastKernelMs = 0;
            idle->Suspended = false;
            g_platform->Resume(handle);
            IdleThreads[cpu] = idle;
        } catch (const std::exception& e) {
            if (reportError) reportError(e.what());
        }
    }
}

void DestroyIdleThreads() {
    LogText("Destroying Threads");
    for (TIdle* t : IdleThreads) {
        if (!t) continue;
        t->Terminated = true;
        if (t->Suspended) {
            t->Suspended = false;
            g_platform->Resume(t->handle);
        }
    }
}

void SuspendIdleThreads(bool suspend) {
    LogText(suspend ? "Suspending Threads" : "Starting Threads");
    for (TIdle* t : IdleThreads) {
        if (!t || t->Suspended == suspend) continue;
        t->Suspended = suspend;
        if (suspend)
            g_platform->Suspend(t->handle);
        else
            g_platform->Resume(t->handle);
    }
}

void SetIdlePriority(int level) {
    for (TIdle* t : IdleThreads)
        if (t) t->SetPriorityLevel(level);
}

bool IdleThreadsRunning() { return IdleThreads[0] != nullptr && !IdleThreads[0]->Suspended; }

bool EnterC2() { return DriverRequest(drv::kReadPort, C2PortAddress.load(std::memory_order_relaxed), 0, 0); }

void ResetIdleThreadsForTest() {
    for (TIdle*& t : IdleThreads) {
        delete t;
        t = nullptr;
    }
}
