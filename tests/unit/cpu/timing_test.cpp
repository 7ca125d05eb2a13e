// Clock rounding, memory size, and the clock measurement on the simulated machine: where it
// runs, what it switches off meanwhile, and that it puts everything back.
#include <gtest/gtest.h>

#include "unit/cpu/cpu_fixture.h"
#include "cpu/cpuid.h"
#include "hw/registers.h"
#include "hw/timing.h"

using namespace cputest;

namespace {

TEST(RoundClockMHz, SnapsToTensAndHundredsPlus33) {
    EXPECT_EQ(RoundClockMHz(1999.2), 2000);
    EXPECT_EQ(RoundClockMHz(1332.6), 1333);
    EXPECT_EQ(RoundClockMHz(551.0), 550);
    EXPECT_EQ(RoundClockMHz(466.5), 466) << "533 is too far; the half goes to the even neighbour";
    EXPECT_EQ(RoundClockMHz(467.5), 468);
    EXPECT_EQ(RoundClockMHz(1666.6), 1667) << "hundreds plus 66 are not snapped";
    EXPECT_EQ(RoundClockMHz(133.2), 133);
    EXPECT_EQ(RoundClockMHz(801.5), 800) << "1.5 away still snaps";
    EXPECT_EQ(RoundClockMHz(801.6), 802);
    EXPECT_EQ(RoundClockMHz(4.6), 5);
}

TEST(ClockFromCounters, PreciseArithmeticAndItsFailures) {
    // 50 ms at 2 GHz against a 3.579545 MHz counter.
    EXPECT_EQ(ClockFromCounters(100000000, 178977, 3579545), 2000);
    EXPECT_EQ(ClockFromCounters(100000000, 0, 3579545), 0) << "no counter ticks: no division";
    EXPECT_EQ(ClockFromCounters(100000000, -5, 3579545), 0);
    EXPECT_EQ(ClockFromCounters(0xFFFFFFFFFFFFull, 100, 1000000000), 0) << "64-bit product overflows";
    EXPECT_EQ(ClockFromCounters(0, 178977, 3579545), 0);
}

TEST(PhysicalMemoryMB, TruncatesAndAddsOne) {
    EXPECT_EQ(MemoryBytesToMB(536346624), 512);
    EXPECT_EQ(MemoryBytesToMB(0xFFFFFFFFull), 4096);
    EXPECT_EQ(MemoryBytesToMB(536870912), 513) << "a whole 512 MB reads one more";
    EXPECT_EQ(MemoryBytesToMB(0), 1);

    UseMachine("[Machine]\nPhysicalMemory=4294967295\n");
    EXPECT_EQ(PhysicalMemoryMB(), 4096);
}

TEST(ReadTimeStampCounter, KeepsTheReading) {
    TestCpu os;
    UseFixture("amd-athlon-xp-thoroughbred");
    uint64_t a = os.cpu.ReadTimeStampCounter();
    EXPECT_EQ(os.cpu.TimeStampReading, a);
    uint64_t b = os.cpu.ReadTimeStampCounter();
    EXPECT_GE(b, a);
    EXPECT_EQ(os.cpu.TimeStampReading, b);
}

TEST(MeasureClockSpeed, PreciseMethodOnProcessorZeroThenAffinityBack) {
    TestCpu os;
    os.fake.affinity = 0xF;
    UseFixture("amd-athlon-xp-thoroughbred");
    os.cpu.IdentifyProcessor();

    EXPECT_EQ(os.cpu.MeasureClockSpeed(), 2000);
    EXPECT_EQ(os.cpu.ClockMHz, 2000);
    EXPECT_EQ(os.fake.sleeps, std::vector<uint32_t>{50});
    EXPECT_EQ(os.fake.affinitySets, (std::vector<uint32_t>{1, 0xF}));
}

TEST(MeasureClockSpeed, WithoutTimeStampCounterNothingIsMeasured) {
    TestCpu os;
    UseFixture("cyrix-6x86");  // no time-stamp counter
    os.cpu.IdentifyProcessor();
    os.cpu.ClockMHz = 123;

    EXPECT_EQ(os.cpu.MeasureClockSpeed(), 0);
    EXPECT_EQ(os.cpu.ClockMHz, 0);
    EXPECT_TRUE(os.fake.sleeps.empty());
    EXPECT_EQ(os.fake.affinitySets.size(), 2u) << "pinned and restored all the same";
}

TEST(MeasureClockSpeed, WithoutCpuidNothingIsMeasured) {
    TestCpu os;
    UseMachine("[CPUID]\nAvailable=no\n");
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.MeasureClockSpeed(), 0);
    EXPECT_TRUE(os.fake.sleeps.empty());
}

TEST(MeasureClockSpeed, FallsBackToTheOneSecondMethodWithoutPerformanceCounter) {
    TestCpu os;
    os.fake.frequencyWorks = false;
    UseFixture("amd-k6-2");  // 500 MHz
    os.cpu.IdentifyProcessor();

    EXPECT_EQ(os.cpu.MeasureClockSpeed(), 500);
    EXPECT_EQ(os.fake.sleeps, std::vector<uint32_t>{1000});
}

TEST(MeasureClockSpeed, IntelP6RunsWithHaltPowerSavingOffAndGetsItsExactValueBack) {
    TestCpu os;
    std::string profile = CpuidFixture("intel-pentium-iii-coppermine");
    profile += "[MSR]\n2A=00000012 C5000001\n";  // bit 26 on, high word in use
    UseMachine(profile);
    os.cpu.IdentifyProcessor();
    uint64_t during = 0;
    os.fake.duringSleep = [&](uint32_t) { during = sim::Current().Msr(0x2A); };

    EXPECT_EQ(os.cpu.MeasureClockSpeed(), 866);

    EXPECT_EQ(during, 0x00000012C1000001ull) << "bit 26 cleared, nothing else";
    EXPECT_EQ(sim::Current().Msr(0x2A), 0x00000012C5000001ull);
}

TEST(MeasureClockSpeed, IntelP6RegisterThatCannotBeReadIsNotWritten) {
    TestCpu os;
    UseFixture("intel-pentium-iii-coppermine");
    os.cpu.IdentifyProcessor();
    hw::backend::CloseDevice();  // every driver request fails from here on
    os.regs.MsrCache = TMsrValue{0xDEADBEEF, 0xDEADBEEF};

    os.cpu.MeasureClockSpeed();

    hw::backend::OpenDevice();
    EXPECT_EQ(sim::Current().RequestCount(drv::kWriteMsr), 0u);
    EXPECT_EQ(os.regs.MsrCache.low, 0xDEADBEEFu);
}

TEST(MeasureClockSpeed, CyrixRunsWithSuspendOnHaltOffAndGetsItBack) {
    TestCpu os;
    UseFixture("cyrix-mii");  // CCR2 = 08h
    os.cpu.IdentifyProcessor();
    uint8_t during = 0xFF;
    os.fake.duringSleep = [&](uint32_t) { during = sim::Current().CyrixRegister(kCyrixCCR2); };

    EXPECT_EQ(os.cpu.MeasureClockSpeed(), 233);

    EXPECT_EQ(during, 0x00);
    EXPECT_EQ(sim::Current().CyrixRegister(kCyrixCCR2), 0x08);
    EXPECT_TRUE(sim::Current().Faults().empty()) << sim::Current().StateText();
}

TEST(MeasureClockSpeed, AffinityThatCannotBeReadIsNotChanged) {
    TestCpu os;
    os.fake.affinityReadable = false;
    UseFixture("amd-athlon-xp-thoroughbred");
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.MeasureClockSpeed(), 2000);
    EXPECT_TRUE(os.fake.affinitySets.empty()) << "no way back: the process is not pinned";
}

}  // namespace
