#include "idle/idle_threads.h"

#include "common/format.h"
#include "common/log.h"
#include "hw/backend.h"
#include "hw/driver.h"

namespace {

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

TIdle::TIdle(TIdleThreads& owner, int cpu)
    : owner(owner),
      cpu(cpu),
      platform_(owner.platform),
      c2Idling_(owner.C2Idling.Share()),
      chipsetOptimized_(owner.ChipsetOptimized.Share()),
      c2PortAddress_(owner.C2PortAddress.Share()),
      idleStartTick_(owner.IdleStartTick.Share()) {}

void TIdle::Execute() {
    const uint32_t t = platform_.TickCount();
    idleStartTick_ = t;
    LastSampleTick = t;
    // Nothing but the one request and the flag tests: every instruction here is time
    // the processor is awake.
    do {
        if (c2Idling_.load(std::memory_order_relaxed) && chipsetOptimized_.load(std::memory_order_relaxed))
            EnterC2();
        else
            DriverHalt();
    } while (!Terminated.load(std::memory_order_relaxed));
}

bool TIdle::EnterC2() const {
    return DriverRequest(drv::kReadPort, c2PortAddress_.load(std::memory_order_relaxed), 0, 0);
}

int TIdle::PriorityLevel() const { return LevelOfPriority(platform_.GetPriority(handle)); }

void TIdle::SetPriorityLevel(int level) { platform_.SetPriority(handle, PriorityOfLevel(level)); }

TIdleThreads::~TIdleThreads() {
    for (TIdle*& t : IdleThreads)
        if (t && platform.Ended(t->handle)) {
            delete t;
            t = nullptr;
        }
}

void TIdleThreads::CountProcessors() {
    const int n = hw::backend::LogicalProcessors();
    ProcessorCount = n < 1 ? 1 : (n > 32 ? 32 : n);
}

void TIdleThreads::CreateIdleThreads(const std::function<void(const std::string& text)>& reportError) {
    LogText("Creating Threads");
    for (int cpu = 0; cpu < ProcessorCount && cpu < kIdleSlots; ++cpu) {
        try {
            auto* idle = new TIdle(*this, cpu);
            const uintptr_t handle = platform.CreateSuspended(RunIdle, idle);
            if (!handle) {
                delete idle;
                throw EHardwareException(Format(kCreateError, {cpu}));
            }
            idle->handle = handle;
            platform.SetPriority(handle, PriorityOfLevel(0));
            if (!platform.SetAffinity(handle, 1u << (cpu % 32))) {
                // Never let it run the loop on the wrong processor.
                platform.Discard(handle);
                delete idle;
                throw EHardwareException(Format(kCreateError, {cpu}));
            }
            idle->LastKernelMs = 0;
            idle->Suspended = false;
            platform.Resume(handle);
            IdleThreads[cpu] = idle;
        } catch (const std::exception& e) {
            if (reportError) reportError(e.what());
        }
    }
}

void TIdleThreads::DestroyIdleThreads() {
    LogText("Destroying Threads");
    for (TIdle* t : IdleThreads) {
        if (!t) continue;
        t->Terminated = true;
        if (t->Suspended) {
            t->Suspended = false;
            platform.Resume(t->handle);
        }
    }
}

void TIdleThreads::SuspendIdleThreads(bool suspend) {
    LogText(suspend ? "Suspending Threads" : "Starting Threads");
    for (TIdle* t : IdleThreads) {
        if (!t || t->Suspended == suspend) continue;
        t->Suspended = suspend;
        if (suspend)
            platform.Suspend(t->handle);
        else
            platform.Resume(t->handle);
    }
}

void TIdleThreads::SetIdlePriority(int level) {
    for (TIdle* t : IdleThreads)
        if (t) t->SetPriorityLevel(level);
}

bool TIdleThreads::IdleThreadsRunning() const { return IdleThreads[0] != nullptr && !IdleThreads[0]->Suspended; }
