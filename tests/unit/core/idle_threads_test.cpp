#include <gtest/gtest.h>

#include "unit/core/fakes.h"
#include "hw/driver.h"
#include "idle/idle_threads.h"
#include "sim/machine.h"

namespace {

class IdleThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetIdleThreadsForTest();
        SetIdleThreadPlatform(&platform);
        ProcessorCount = 4;
    }
    void TearDown() override {
        ResetIdleThreadsForTest();
        ProcessorCount = 1;
    }
    FakeIdlePlatform platform;
    std::vector<std::string> errors;
    void Create() {
        CreateIdleThreads([this](const std::string& e) { errors.push_back(e); });
    }
};

TEST(PriorityLevels, MapBothWaysAndUnknownReadsAsNormal) {
    const int expected[] = {-15, -2, -1, 0, 1, 2, 15};
    for (int level = 0; level < kPriorityLevels; ++level) {
        EXPECT_EQ(PriorityOfLevel(level), expected[level]) << level;
        EXPECT_EQ(LevelOfPriority(expected[level]), level);
    }
    EXPECT_EQ(LevelOfPriority(-7), 3);
    EXPECT_EQ(LevelOfPriority(6), 3);
}

TEST_F(IdleThreadsTest, OneThreadPerProcessorPinnedAtIdlePriority) {
    Create();
    EXPECT_TRUE(errors.empty());
    for (int cpu = 0; cpu < 4; ++cpu) {
        ASSERT_NE(IdleThreads[cpu], nullptr) << cpu;
        const auto& t = platform.threads[IdleThreads[cpu]->handle];
        EXPECT_EQ(t.affinity, 1u << cpu);
        EXPECT_EQ(t.priority, -15);
        EXPECT_EQ(t.suspendCount, 0) << "resumed after set-up";
        EXPECT_EQ(IdleThreads[cpu]->PriorityLevel(), 0);
    }
    EXPECT_EQ(IdleThreads[4], nullptr);
    EXPECT_TRUE(IdleThreadsRunning());
}

TEST_F(IdleThreadsTest, FailedAffinityReportsProcessorAndLeavesSlotEmpty) {
    platform.failAffinityFor = 2;
    Create();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Quillar: Couln't create idle thread for processor 2.\rProgram execution will continue.");
    EXPECT_NE(IdleThreads[0], nullptr);
    EXPECT_NE(IdleThreads[1], nullptr);
    EXPECT_EQ(IdleThreads[2], nullptr);
    EXPECT_NE(IdleThreads[3], nullptr);
    // The rejected thread never ran and was discarded.
    int discarded = 0;
    for (auto& [h, t] : platform.threads) discarded += t.discarded;
    EXPECT_EQ(discarded, 1);
    SuspendIdleThreads(true);
    EXPECT_FALSE(IdleThreadsRunning());
    SuspendIdleThreads(false);
    EXPECT_TRUE(IdleThreadsRunning());
}

TEST_F(IdleThreadsTest, SuspensionDoesNotNest) {
    Create();
    SuspendIdleThreads(true);
    SuspendIdleThreads(true);
    for (int cpu = 0; cpu < 4; ++cpu) EXPECT_EQ(platform.threads[IdleThreads[cpu]->handle].suspendCount, 1);
    SuspendIdleThreads(false);
    for (int cpu = 0; cpu < 4; ++cpu) EXPECT_EQ(platform.threads[IdleThreads[cpu]->handle].suspendCount, 0);
}

TEST_F(IdleThreadsTest, DestroyResumesSuspendedThreadsSoTheySeeTheFlag) {
    Create();
    SuspendIdleThreads(true);
    DestroyIdleThreads();
    for (int cpu = 0; cpu < 4; ++cpu) {
        EXPECT_TRUE(IdleThreads[cpu]->Terminated);
        EXPECT_EQ(platform.threads[IdleThreads[cpu]->handle].suspendCount, 0);
    }
}

TEST_F(IdleThreadsTest, SetIdlePriorityReachesEveryThread) {
    Create();
    SetIdlePriority(5);
    for (int cpu = 0; cpu < 4; ++cpu) EXPECT_EQ(IdleThreads[cpu]->PriorityLevel(), 5);
}

TEST_F(IdleThreadsTest, LoopHaltsOrReadsC2PortByTheFlags) {
    sim::SetCurrent(sim::Machine::FromProfile(sim::Machine::kDefaultProfile));
    OpenDriver();
    ProcessorCount = 1;
    Create();
    TIdle& t = *IdleThreads[0];
    platform.tick = 5000;
    // One pass: the terminate flag is tested after the first request.
    t.Terminated = true;
    C2Idling = true;
    ChipsetOptimized = false;
    t.Execute();
    EXPECT_EQ(IdleStartTick.load(), 5000u);
    EXPECT_EQ(t.LastSampleTick, 5000u);
    EXPECT_EQ(sim::Current().RequestCount(drv::kHalt), 1u) << "C2 needs the chipset optimization too";
    ChipsetOptimized = true;
    C2PortAddress = 0x4014;
    t.Execute();
    EXPECT_EQ(sim::Current().C2Reads(0x4014), 1u);
    EXPECT_EQ(sim::Current().RequestCount(drv::kHalt), 1u);
    C2Idling = false;
    ChipsetOptimized = false;
    C2PortAddress = 0;
    CloseDriver();
}

}  // namespace
