// Register access and the per-processor settings, against the simulated machine's registers.
#include <gtest/gtest.h>

#include "unit/cpu/cpu_fixture.h"
#include "cpu/cpuid.h"
#include "hw/driver.h"
#include "hw/registers.h"

using namespace cputest;

namespace {

TEST(Msr, ReadFillsTheCacheAndWriteWritesIt) {
    TestCpu os;
    UseMachine("[MSR]\n10=00000001 00000002\n");
    EXPECT_EQ(os.regs.ReadMsr(0x10), 0x0000000100000002ull);
    EXPECT_EQ(os.regs.MsrCache.low, 2u);
    EXPECT_EQ(os.regs.MsrCache.high, 1u);

    EXPECT_TRUE(os.regs.WriteMsr(0x11));
    EXPECT_EQ(sim::Current().Msr(0x11), 0x0000000100000002ull);

    EXPECT_TRUE(os.regs.WriteMsrValue(0x12, 0xAABBCCDD, 0x11223344));
    EXPECT_EQ(sim::Current().Msr(0x12), 0x11223344AABBCCDDull);
    EXPECT_EQ(os.regs.MsrCache.Value(), 0x11223344AABBCCDDull);
}

TEST(Msr, FailedReadGivesZeroAndKeepsTheCache) {
    TestCpu os;
    UseMachine("[MSR]\n10=00000001 00000002\n");
    os.regs.MsrCache = TMsrValue{7, 8};
    hw::backend::CloseDevice();
    EXPECT_EQ(os.regs.ReadMsr(0x10), 0u);
    EXPECT_EQ(os.regs.MsrCache.low, 7u);
    EXPECT_EQ(os.regs.MsrCache.high, 8u);
    EXPECT_FALSE(os.regs.WriteMsr(0x10));
}

TEST(Msr, ModifySetsAndClearsAndReturnsTheOldValue) {
    TestCpu os;
    UseMachine("[MSR]\n2A=00000003 0000F0F0\n");
    EXPECT_EQ(os.regs.ModifyMsr(0x2A, 0x100000001ull, 0x00F0), 0x000000030000F0F0ull);
    EXPECT_EQ(sim::Current().Msr(0x2A), 0x000000030000F001ull);
}

TEST(Msr, ModifyWhoseReadFailsWritesNothing) {
    TestCpu os;
    UseMachine("[MSR]\n2A=00000000 00000000\n");
    os.regs.MsrCache = TMsrValue{0xFFFFFFFF, 0xFFFFFFFF};  // another register's value
    hw::backend::CloseDevice();
    uint64_t old = 1;
    EXPECT_FALSE(os.regs.TryModifyMsr(0x2A, 0x04000000, 0, old));
    EXPECT_EQ(old, 0u);
    EXPECT_EQ(os.regs.ModifyMsr(0x2A, 0x04000000, 0), 0u);
    EXPECT_EQ(os.regs.MsrCache.low, 0xFFFFFFFFu) << "the stale cache is neither changed nor sent";
    hw::backend::OpenDevice();
    EXPECT_EQ(sim::Current().RequestCount(drv::kWriteMsr), 0u);
    EXPECT_EQ(sim::Current().Msr(0x2A), 0u);
}

TEST(CyrixRegisters, ReadWriteModifyThroughTheIndexPort) {
    TestCpu os;
    UseMachine("[Cyrix]\nC3=01\nC2=F0\n");
    ASSERT_TRUE(os.regs.GrantCyrixPorts());
    EXPECT_EQ(os.regs.ReadCyrixRegister(0xC2), 0xF0);
    os.regs.WriteCyrixRegister(0xC1, 0x5A);
    EXPECT_EQ(sim::Current().CyrixRegister(0xC1), 0x5A);
    EXPECT_EQ(os.regs.ModifyCyrixRegister(0xC2, 0x01, 0x30), 0xF0);
    EXPECT_EQ(sim::Current().CyrixRegister(0xC2), 0xC1);
    os.regs.EnableCyrixExtendedRegisters();
    EXPECT_EQ(sim::Current().CyrixRegister(0xC3), 0x11);
    EXPECT_TRUE(sim::Current().Faults().empty());
}

TEST(CyrixRegisters, PortsAreAskedForOnceByEnsure) {
    TestCpu os;
    UseMachine("");
    os.regs.EnsureCyrixPorts();
    os.regs.EnsureCyrixPorts();
    EXPECT_EQ(sim::Current().GrantedPorts().size(), 1u);
}

// ---- the settings table, one vendor row after another ----

struct SettingsCase {
    const char* fixture;
    bool lock;
    uint64_t memoryBytes;  // 0: the profile's
    std::vector<std::pair<uint32_t, uint64_t>> msrAfter;
    std::vector<std::pair<uint8_t, uint8_t>> cyrixAfter;
    uint64_t msrWrites;
};

class ApplySettings : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(ApplySettings, ChangesExactlyItsRows) {
    TestCpu os;
    const SettingsCase& c = GetParam();
    std::string profile = CpuidFixture(c.fixture);
    if (c.memoryBytes) profile += "[Machine]\nPhysicalMemory=" + std::to_string(c.memoryBytes) + "\n";
    UseMachine(profile);
    os.cpu.IdentifyProcessor();
    const std::string before = sim::Current().StateText();

    os.cpu.ApplyProcessorSettings(c.lock);

    const sim::Machine& m = sim::Current();
    for (const auto& [reg, value] : c.msrAfter) EXPECT_EQ(m.Msr(reg), value) << std::hex << "MSR " << reg;
    for (const auto& [index, value] : c.cyrixAfter)
        EXPECT_EQ(m.CyrixRegister(index), value) << std::hex << "Cyrix " << int(index);
    EXPECT_EQ(m.RequestCount(drv::kWriteMsr), c.msrWrites);
    EXPECT_TRUE(m.Faults().empty()) << m.StateText();
    if (c.msrAfter.empty() && c.cyrixAfter.empty()) {
        EXPECT_EQ(m.StateText(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ApplySettings,
    ::testing::Values(
        // Pentium: bit 6 of 0Eh cleared; no low-power bit without MMX.
        SettingsCase{"intel-pentium", false, 0, {{0x0E, 0x00}}, {}, 1},
        // Pentium MMX past stepping 1: bit 21 set as well.
        SettingsCase{"intel-pentium-mmx", false, 0, {{0x0E, 0x200008}}, {}, 1},
        // P6: bit 26 of 2Ah; 33h only with the lock option, high word untouched.
        SettingsCase{"intel-pentium-iii-coppermine", false, 0, {{0x2A, 0xC5000000}, {0x33, 0}}, {}, 1},
        SettingsCase{"intel-pentium-iii-coppermine", true, 0, {{0x2A, 0xC5000000}, {0x33, 0x80000000}}, {}, 2},
        SettingsCase{"intel-pentium-ii-deschutes", true, 0, {{0x2A, 0xC5000000}, {0x33, 0x80000000}}, {}, 2},
        // K5: write allocation.
        SettingsCase{"amd-k5", false, 0, {{0x83, 0x10}}, {}, 1},
        // K6: 64 MB -> 16 units, (16 x 2) + 1.
        SettingsCase{"amd-k6", false, 0, {{0xC0000082, 0x21}}, {}, 1},
        SettingsCase{"amd-k6-2-early", false, 0, {{0xC0000082, 24 * 2 + 1}}, {}, 1},  // 96 MB
        // 1 GB does not fit the 7-bit field: capped at 127 units (508 MB).
        SettingsCase{"amd-k6", false, 1073741824, {{0xC0000082, 0xFF}}, {}, 1},
        // Later K6: 256 MB -> 64 units at bit 22, plus bit 16.
        SettingsCase{"amd-k6-2", false, 0, {{0xC0000082, (64ull << 22) | 0x10000}}, {}, 1},
        SettingsCase{"amd-k6-3", true, 0, {{0xC0000082, (32ull << 22) | 0x10000}}, {}, 1},
        // 4 GB does not fit the 10-bit field: capped at 1023 units, never reaching the high word.
        SettingsCase{"amd-k6-2", false, 0xFFFFFFFF, {{0xC0000082, (1023ull << 22) | 0x10000}}, {}, 1},
        // Athlons and later AMD parts: nothing.
        SettingsCase{"amd-athlon-xp-thoroughbred", true, 0, {}, {}, 0},
        // Cyrix: CCR2 bit 3, CCR1 bit 4 only with the lock option, CCR5 bit 0.
        SettingsCase{"cyrix-mii", true, 0, {}, {{0xC1, 0x10}, {0xC2, 0x08}, {0xC3, 0x10}, {0xE9, 0x01}}, 0},
        SettingsCase{"cyrix-6x86", false, 0, {}, {{0xC1, 0x00}, {0xC2, 0x08}, {0xC3, 0x10}, {0xE9, 0x01}}, 0},
        // WinChip: bit 6 of 0Eh.
        SettingsCase{"idt-winchip", true, 0, {{0x0E, 0x40}}, {}, 1},
        // VIA, TransMeta and unknown vendors: nothing.
        SettingsCase{"via-c3", true, 0, {}, {}, 0}, SettingsCase{"transmeta-crusoe", true, 0, {}, {}, 0},
        SettingsCase{"unknown-vendor", true, 0, {}, {}, 0}),
    [](const ::testing::TestParamInfo<SettingsCase>& info) {
        std::string name = std::string(info.param.fixture) + (info.param.lock ? "_lock" : "") +
                           (info.param.memoryBytes ? "_" + std::to_string(info.param.memoryBytes >> 20) + "MB" : "");
        for (char& c : name)
            if (c == '-') c = '_';
        return name;
    });

TEST(ApplySettingsRule, BitsAlreadySetStaySet) {
    TestCpu os;
    std::string profile = CpuidFixture("amd-k6-2");
    profile += "[MSR]\nC0000082=00000000 80000001\n";
    UseMachine(profile);
    os.cpu.IdentifyProcessor();
    os.cpu.ApplyProcessorSettings(false);
    EXPECT_EQ(sim::Current().Msr(0xC0000082), 0x80000001ull | (64ull << 22) | 0x10000);
}

// ---- on every processor ----

TEST(ForEachProcessor, FourProcessorsFourTimesWithoutLock) {
    TestCpu os;
    os.fake.affinity = 0xF;
    UseFixture("intel-pentium-iii-coppermine");
    os.cpu.IdentifyProcessor();

    os.cpu.ForEachProcessor(true, 4);

    EXPECT_EQ(os.fake.affinitySets, (std::vector<uint32_t>{1, 2, 4, 8, 0xF}));
    EXPECT_EQ(sim::Current().RequestCount(drv::kWriteMsr), 4u) << "2Ah once per processor, 33h never";
    EXPECT_EQ(sim::Current().Msr(0x33), 0u);
}

TEST(ForEachProcessor, OneProcessorWithLock) {
    TestCpu os;
    os.fake.affinity = 1;
    UseFixture("intel-pentium-iii-coppermine");
    os.cpu.IdentifyProcessor();

    os.cpu.ForEachProcessor(true, 1);
    EXPECT_EQ(sim::Current().Msr(0x33), 0x80000000u);
    EXPECT_EQ(os.fake.affinitySets, (std::vector<uint32_t>{1, 1}));

    UseFixture("intel-pentium-iii-coppermine");
    os.cpu.IdentifyProcessor();
    os.cpu.ForEachProcessor(false, 1);
    EXPECT_EQ(sim::Current().Msr(0x33), 0u) << "the caller's false wins";
}

TEST(ForEachProcessor, AffinityThatCannotBeReadLeavesTheProcessWhereItIs) {
    TestCpu os;
    os.fake.affinity = 0xF;
    os.fake.affinityReadable = false;
    UseFixture("intel-pentium-iii-coppermine");
    os.cpu.IdentifyProcessor();

    os.cpu.ForEachProcessor(true, 4);

    EXPECT_TRUE(os.fake.affinitySets.empty()) << "no way back: the process is not moved";
    EXPECT_EQ(os.fake.affinity, 0xFu);
    EXPECT_EQ(sim::Current().RequestCount(drv::kWriteMsr), 1u) << "2Ah once, on the processor it runs on";
    EXPECT_EQ(sim::Current().Msr(0x2A) & 0x04000000, 0x04000000u);
}

}  // namespace
