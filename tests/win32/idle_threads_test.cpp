// The idle engine on real Windows threads, halting through the simulated driver.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstring>

#include "hw/driver.h"
#include "idle/idle_threads.h"
#include "sim/machine.h"

namespace {

class IdleThreadsOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SetCurrent(sim::Machine::FromProfile(sim::Machine::kDefaultProfile));
        OpenDriver();
        idle.CountProcessors();
    }
    void TearDown() override {
        idle.DestroyIdleThreads();
        for (TIdle* t : idle.IdleThreads)
            if (t) WaitForSingleObject(reinterpret_cast<HANDLE>(t->handle), 5000);
        CloseDriver();
    }
    SharedCell<bool> chipsetOptimized;
    SharedCell<uint32_t> c2PortAddress;
    TIdleThreads idle{WindowsIdleThreadPlatform(), chipsetOptimized, c2PortAddress};
};

TEST_F(IdleThreadsOnWindows, ThreadsRunPinnedAtIdlePriorityAndAccrueKernelTime) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    EXPECT_EQ(idle.ProcessorCount, static_cast<int>(si.dwNumberOfProcessors));
    std::vector<std::string> errors;
    idle.CreateIdleThreads([&](const std::string& e) { errors.push_back(e); });
    EXPECT_TRUE(errors.empty());
    for (int cpu = 0; cpu < idle.ProcessorCount; ++cpu) {
        ASSERT_NE(idle.IdleThreads[cpu], nullptr);
        EXPECT_EQ(GetThreadPriority(reinterpret_cast<HANDLE>(idle.IdleThreads[cpu]->handle)), THREAD_PRIORITY_IDLE);
    }
    // The idle threads' times together, in milliseconds (thread times have 10 ms steps).
    uint64_t kernelMs = 0, userMs = 0;
    auto readTimes = [&] {
        kernelMs = userMs = 0;
        for (int cpu = 0; cpu < idle.ProcessorCount; ++cpu) {
            FILETIME created, exited, kernel, user;
            if (!GetThreadTimes(reinterpret_cast<HANDLE>(idle.IdleThreads[cpu]->handle), &created, &exited, &kernel,
                                &user))
                return false;
            kernelMs += ((static_cast<uint64_t>(kernel.dwHighDateTime) << 32) | kernel.dwLowDateTime) / 10000;
            userMs += ((static_cast<uint64_t>(user.dwHighDateTime) << 32) | user.dwLowDateTime) / 10000;
        }
        return true;
    };
    // An idle thread runs only when nothing else wants its processor: on a busy machine it
    // may take a while before the threads have had 200 ms.
    const DWORD start = GetTickCount();
    DWORD elapsed = 0;
    do {
        Sleep(50);
        ASSERT_TRUE(readTimes());
        elapsed = GetTickCount() - start;
    } while (kernelMs + userMs < 200 && elapsed < 30000);
    printf("idle threads after %lu ms: kernel %llu ms, user %llu ms, halts %llu\n", elapsed,
           static_cast<unsigned long long>(kernelMs), static_cast<unsigned long long>(userMs),
           static_cast<unsigned long long>(sim::Current().RequestCount(drv::kHalt)));
    uint64_t firstKernel = 0;
    EXPECT_TRUE(idle.platform.KernelTime(idle.IdleThreads[0]->handle, firstKernel));
    EXPECT_GT(sim::Current().RequestCount(drv::kHalt), 100u);
    EXPECT_NE(idle.IdleStartTick.load(), 0u);
    // A halt that finds other work on its processor rests instead of spinning, and the host's
    // work cuts the spins that remain short, so the halts' own bookkeeping (user time) weighs
    // more. The split tells something only where processors were mostly free: 200 ms of the
    // threads' time within 2 s. Elsewhere that is said, not passed over.
    if (kernelMs + userMs < 200 || elapsed > 2000)
        GTEST_SKIP() << "no processor to spare: " << kernelMs + userMs << " ms in " << elapsed << " ms";
    // What they get is kernel time, or the idle share would read low on an idle machine.
    EXPECT_GE(kernelMs, 4 * userMs) << "the halt's time is kernel time";
}

TEST_F(IdleThreadsOnWindows, SuspendedThreadsStopHaltingAndDestroyEndsThem) {
    idle.CreateIdleThreads([](const std::string&) {});
    Sleep(100);
    idle.SuspendIdleThreads(true);
    Sleep(50);
    const uint64_t halts = sim::Current().RequestCount(drv::kHalt);
    Sleep(200);
    EXPECT_EQ(sim::Current().RequestCount(drv::kHalt), halts) << "no halts while suspended";
    EXPECT_FALSE(idle.IdleThreadsRunning());
    idle.DestroyIdleThreads();
    for (int cpu = 0; cpu < idle.ProcessorCount; ++cpu)
        EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(idle.IdleThreads[cpu]->handle), 5000), WAIT_OBJECT_0)
            << "a suspended thread is resumed and leaves its loop";
}

// Resident pages (by the working-set query) among those of this thread's stack that lie more
// than 64 KB below the caller's frame, and how many such pages there are.
void ResidentStackBelow(int& resident, int& pages) {
    volatile char here = 0;
    MEMORY_BASIC_INFORMATION region{};
    VirtualQuery(const_cast<char*>(&here), &region, sizeof region);
    const auto low = reinterpret_cast<uintptr_t>(region.AllocationBase);
    const uintptr_t high = (reinterpret_cast<uintptr_t>(&here) - 64 * 1024) & ~uintptr_t{0xFFF};
    std::vector<PSAPI_WORKING_SET_EX_INFORMATION> info;
    for (uintptr_t page = low; page < high; page += 0x1000) {
        PSAPI_WORKING_SET_EX_INFORMATION entry{};
        entry.VirtualAddress = reinterpret_cast<void*>(page);
        info.push_back(entry);
    }
    pages = static_cast<int>(info.size());
    resident = 0;
    if (info.empty() || !QueryWorkingSetEx(GetCurrentProcess(), info.data(),
                                           static_cast<DWORD>(info.size() * sizeof info[0])))
        return;
    for (const auto& entry : info) resident += entry.VirtualAttributes.Valid ? 1 : 0;
}

struct StackProbe {
    int resident = -1, pages = 0;
    bool deepUseWorks = false;
};

// Fills and reads back 256 KB of stack, below the pages that were given back.
__attribute__((noinline)) bool UseDeepStack() {
    volatile unsigned char block[256 * 1024];
    for (size_t i = 0; i < sizeof block; ++i) block[i] = static_cast<unsigned char>(i * 7);
    for (size_t i = 0; i < sizeof block; ++i)
        if (block[i] != static_cast<unsigned char>(i * 7)) return false;
    return true;
}

void ProbeStack(void* p) {
    auto* probe = static_cast<StackProbe*>(p);
    ResidentStackBelow(probe->resident, probe->pages);
    probe->deepUseWorks = UseDeepStack();
}

TEST(IdleThreadStack, ANewThreadKeepsNoStackItHasNotUsedAndStillUsesItAll) {
    // A new thread's stack below its first frame holds nothing; some hosts hand it over
    // written, and an idle thread per processor would keep a megabyte each resident.
    StackProbe probe;
    IdleThreadPlatform& platform = WindowsIdleThreadPlatform();
    const uintptr_t thread = platform.CreateSuspended(ProbeStack, &probe);
    ASSERT_NE(thread, 0u);
    platform.Resume(thread);
    ASSERT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(thread), 5000), WAIT_OBJECT_0);
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    ASSERT_GT(probe.pages, 100) << "the stack reservation is well over 400 KB";
    EXPECT_LE(probe.resident, 4) << probe.resident << " of " << probe.pages << " pages resident";
    EXPECT_TRUE(probe.deepUseWorks);
}

TEST_F(IdleThreadsOnWindows, TheSevenLevelsAreTheSystemsPriorities) {
    idle.CreateIdleThreads([](const std::string&) {});
    const int priorities[kPriorityLevels] = {THREAD_PRIORITY_IDLE,   THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_BELOW_NORMAL,
                                             THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                             THREAD_PRIORITY_TIME_CRITICAL};
    const HANDLE first = reinterpret_cast<HANDLE>(idle.IdleThreads[0]->handle);
    for (int level = kPriorityLevels - 1; level >= 0; --level) {
        idle.SetIdlePriority(level);
        EXPECT_EQ(GetThreadPriority(first), priorities[level]) << "level " << level;
        EXPECT_EQ(idle.IdleThreads[0]->PriorityLevel(), level);
    }
    idle.SetIdlePriority(0);
}

}  // namespace
