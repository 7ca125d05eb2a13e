#include <gtest/gtest.h>

#include <new>

#include "unit/core/fakes.h"
#include "chipset/chipset.h"
#include "hw/driver.h"
#include "idle/idle_threads.h"
#include "sim/machine.h"

namespace {

class IdleThreadsTest : public ::testing::Test {
protected:
    void SetUp() override { idle.ProcessorCount = 4; }
    FakeIdlePlatform platform;
    SharedCell<bool> chipsetOptimized;
    SharedCell<uint32_t> c2PortAddress;
    TIdleThreads idle{platform, chipsetOptimized, c2PortAddress};
    std::vector<std::string> errors;
    void Create() {
        idle.CreateIdleThreads([this](const std::string& e) { errors.push_back(e); });
    }
};

TEST_F(IdleThreadsTest, TheSevenLevelsReachTheThreadsAsWindowsPrioritiesAndReadBack) {
    Create();
    const struct {
        int level, windowsPriority;
    } levels[] = {
        {6, 15},   // THREAD_PRIORITY_TIME_CRITICAL
        {5, 2},    // THREAD_PRIORITY_HIGHEST
        {4, 1},    // THREAD_PRIORITY_ABOVE_NORMAL
        {3, 0},    // THREAD_PRIORITY_NORMAL
        {2, -1},   // THREAD_PRIORITY_BELOW_NORMAL
        {1, -2},   // THREAD_PRIORITY_LOWEST
        {0, -15},  // THREAD_PRIORITY_IDLE
    };
    for (const auto& l : levels) {
        idle.SetIdlePriority(l.level);
        for (int cpu = 0; cpu < 4; ++cpu) {
            EXPECT_EQ(platform.threads[idle.IdleThreads[cpu]->handle].priority, l.windowsPriority) << l.level;
            EXPECT_EQ(idle.IdleThreads[cpu]->PriorityLevel(), l.level);
        }
    }
    // Changed from outside to a value that is not one of the seven.
    for (int outside : {-7, 6, 3}) {
        platform.threads[idle.IdleThreads[0]->handle].priority = outside;
        EXPECT_EQ(idle.IdleThreads[0]->PriorityLevel(), 3) << outside;
    }
}

TEST_F(IdleThreadsTest, OneThreadPerProcessorPinnedAtIdlePriority) {
    Create();
    EXPECT_TRUE(errors.empty());
    for (int cpu = 0; cpu < 4; ++cpu) {
        ASSERT_NE(idle.IdleThreads[cpu], nullptr) << cpu;
        const auto& t = platform.threads[idle.IdleThreads[cpu]->handle];
        EXPECT_EQ(t.affinity, 1u << cpu);
        EXPECT_EQ(t.priority, -15);
        EXPECT_EQ(t.suspendCount, 0) << "resumed after set-up";
        EXPECT_EQ(idle.IdleThreads[cpu]->PriorityLevel(), 0);
    }
    EXPECT_EQ(idle.IdleThreads[4], nullptr);
    EXPECT_TRUE(idle.IdleThreadsRunning());
}

TEST_F(IdleThreadsTest, FailedAffinityReportsProcessorAndLeavesSlotEmpty) {
    platform.failAffinityFor = 2;
    Create();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Quillar: Couln't create idle thread for processor 2.\rProgram execution will continue.");
    EXPECT_NE(idle.IdleThreads[0], nullptr);
    EXPECT_NE(idle.IdleThreads[1], nullptr);
    EXPECT_EQ(idle.IdleThreads[2], nullptr);
    EXPECT_NE(idle.IdleThreads[3], nullptr);
    // The rejected thread never ran and was discarded.
    int discarded = 0;
    for (auto& [h, t] : platform.threads) discarded += t.discarded;
    EXPECT_EQ(discarded, 1);
    idle.SuspendIdleThreads(true);
    EXPECT_FALSE(idle.IdleThreadsRunning());
    idle.SuspendIdleThreads(false);
    EXPECT_TRUE(idle.IdleThreadsRunning());
}

TEST_F(IdleThreadsTest, SuspensionDoesNotNest) {
    Create();
    idle.SuspendIdleThreads(true);
    idle.SuspendIdleThreads(true);
    for (int cpu = 0; cpu < 4; ++cpu) EXPECT_EQ(platform.threads[idle.IdleThreads[cpu]->handle].suspendCount, 1);
    idle.SuspendIdleThreads(false);
    for (int cpu = 0; cpu < 4; ++cpu) EXPECT_EQ(platform.threads[idle.IdleThreads[cpu]->handle].suspendCount, 0);
}

TEST_F(IdleThreadsTest, DestroyResumesSuspendedThreadsSoTheySeeTheFlag) {
    Create();
    idle.SuspendIdleThreads(true);
    idle.DestroyIdleThreads();
    for (int cpu = 0; cpu < 4; ++cpu) {
        EXPECT_TRUE(idle.IdleThreads[cpu]->Terminated);
        EXPECT_EQ(platform.threads[idle.IdleThreads[cpu]->handle].suspendCount, 0);
    }
}

TEST_F(IdleThreadsTest, LoopHaltsOrReadsC2PortByTheFlags) {
    sim::SetCurrent(sim::Machine::FromProfile(sim::Machine::kDefaultProfile));
    OpenDriver();
    idle.ProcessorCount = 1;
    Create();
    TIdle& t = *idle.IdleThreads[0];
    platform.tick = 5000;
    // One pass: the terminate flag is tested after the first request.
    t.Terminated = true;
    idle.C2Idling = true;
    chipsetOptimized = false;
    t.Execute();
    EXPECT_EQ(idle.IdleStartTick.load(), 5000u);
    EXPECT_EQ(t.LastSampleTick, 5000u);
    EXPECT_EQ(sim::Current().RequestCount(drv::kHalt), 1u) << "C2 needs the chipset optimization too";
    chipsetOptimized = true;
    c2PortAddress = 0x4014;
    t.Execute();
    EXPECT_EQ(sim::Current().C2Reads(0x4014), 1u);
    EXPECT_EQ(sim::Current().RequestCount(drv::kHalt), 1u);
    CloseDriver();
}

// At shutdown the threads are told to end but not waited for: one that is suspended, halted
// or simply not yet scheduled runs its last pass after the main window, with the engine and
// the chipset state inside it, is gone and its memory is in other hands.
TEST(IdleThreadLifetime, ALatePassSeesTheFlagsAsLeftNotWhatTookTheirMemory) {
    sim::SetCurrent(sim::Machine::FromProfile(sim::Machine::kDefaultProfile));
    OpenDriver();
    FakeIdlePlatform platform;
    platform.bodiesPending = true;
    alignas(TChipsetSupport) unsigned char chipsetMemory[sizeof(TChipsetSupport)];
    alignas(TIdleThreads) unsigned char idleMemory[sizeof(TIdleThreads)];
    auto* chipset = new (chipsetMemory) TChipsetSupport;
    auto* idle = new (idleMemory) TIdleThreads(platform, chipset->ChipsetOptimized, chipset->C2PortAddress);
    idle->ProcessorCount = 1;
    idle->CreateIdleThreads([](const std::string& e) { FAIL() << e; });
    TIdle* thread = idle->IdleThreads[0];
    ASSERT_NE(thread, nullptr);
    const FakeIdlePlatform::Thread started = platform.threads[thread->handle];
    chipset->C2PortAddress = 0x4014;
    chipset->ChipsetOptimized = true;
    idle->C2Idling = true;
    platform.tick = 7000;

    idle->DestroyIdleThreads();
    idle->~TIdleThreads();
    chipset->~TChipsetSupport();
    // Fresh objects take the memory: all flags off, no C2 port.
    chipset = new (chipsetMemory) TChipsetSupport;
    idle = new (idleMemory) TIdleThreads(platform, chipset->ChipsetOptimized, chipset->C2PortAddress);

    started.body(started.arg);
    EXPECT_EQ(sim::Current().C2Reads(0x4014), 1u) << "C2 idling, optimized chipset, port 4014h as last written";
    EXPECT_EQ(sim::Current().RequestCount(drv::kHalt), 0u);
    EXPECT_EQ(idle->IdleStartTick.load(), 0u) << "the new engine's start tick is not the old thread's";

    delete thread;  // kept by the engine for a thread still in its loop
    idle->~TIdleThreads();
    chipset->~TChipsetSupport();
    CloseDriver();
}

}  // namespace
