// The idle engine on real Windows threads, halting through the simulated driver.
#include <windows.h>

#include <gtest/gtest.h>

#include "hw/driver.h"
#include "idle/idle_threads.h"
#include "sim/machine.h"

namespace {

class IdleThreadsOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SetCurrent(sim::Machine::FromProfile(sim::Machine::kDefaultProfile));
        OpenDriver();
        ResetIdleThreadsForTest();
        SetIdleThreadPlatform(&WindowsIdleThreadPlatform());
        CountProcessors();
    }
    void TearDown() override {
        DestroyIdleThreads();
        for (TIdle* t : IdleThreads)
            if (t) WaitForSingleObject(reinterpret_cast<HANDLE>(t->handle), 5000);
        ResetIdleThreadsForTest();
        CloseDriver();
    }
};

TEST_F(IdleThreadsOnWindows, ThreadsRunPinnedAtIdlePriorityAndAccrueKernelTime) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    EXPECT_EQ(ProcessorCount, static_cast<int>(si.dwNumberOfProcessors));
    std::vector<std::string> errors;
    CreateIdleThreads([&](const std::string& e) { errors.push_back(e); });
    EXPECT_TRUE(errors.empty());
    for (int cpu = 0; cpu < ProcessorCount; ++cpu) {
        ASSERT_NE(IdleThreads[cpu], nullptr);
        EXPECT_EQ(GetThreadPriority(reinterpret_cast<HANDLE>(IdleThreads[cpu]->handle)), THREAD_PRIORITY_IDLE);
    }
    Sleep(400);
    uint64_t kernel = 0;
    ASSERT_TRUE(IdlePlatform().KernelTime(IdleThreads[0]->handle, kernel));
    FILETIME created, exited, kernelTime, user;
    ASSERT_TRUE(GetThreadTimes(reinterpret_cast<HANDLE>(IdleThreads[0]->handle), &created, &exited, &kernelTime, &user));
    const uint64_t userMs = ((static_cast<uint64_t>(user.dwHighDateTime) << 32) | user.dwLowDateTime) / 10000;
    printf("first idle thread after 400 ms: kernel %llu ms, user %llu ms, halts %llu\n", kernel / 10000, userMs,
           static_cast<unsigned long long>(sim::Current().RequestCount(drv::kHalt)));
    // How much time it gets depends on what else the host runs; what it gets is kernel time,
    // or the idle share would read low on an idle machine.
    if (kernel / 10000 + userMs >= 100) EXPECT_GE(kernel / 10000, 4 * userMs) << "the halt's time is kernel time";
    EXPECT_GT(sim::Current().RequestCount(drv::kHalt), 0u);
    EXPECT_NE(IdleStartTick.load(), 0u);
}

TEST_F(IdleThreadsOnWindows, SuspendedThreadsStopHaltingAndDestroyEndsThem) {
    CreateIdleThreads([](const std::string&) {});
    Sleep(100);
    SuspendIdleThreads(true);
    Sleep(50);
    const uint64_t halts = sim::Current().RequestCount(drv::kHalt);
    Sleep(200);
    EXPECT_EQ(sim::Current().RequestCount(drv::kHalt), halts) << "no halts while suspended";
    EXPECT_FALSE(IdleThreadsRunning());
    DestroyIdleThreads();
    for (int cpu = 0; cpu < ProcessorCount; ++cpu)
        EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(IdleThreads[cpu]->handle), 5000), WAIT_OBJECT_0)
            << "a suspended thread is resumed and leaves its loop";
}

TEST_F(IdleThreadsOnWindows, PriorityLevelsReachTheThreads) {
    CreateIdleThreads([](const std::string&) {});
    SetIdlePriority(5);
    EXPECT_EQ(GetThreadPriority(reinterpret_cast<HANDLE>(IdleThreads[0]->handle)), THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(IdleThreads[0]->PriorityLevel(), 5);
    SetIdlePriority(0);
}

}  // namespace
