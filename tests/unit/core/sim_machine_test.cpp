#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/ini.h"
#include "hw/driver.h"
#include "sim/machine.h"

namespace {

std::string ReadFixture(const std::string& name) {
    std::ifstream in(std::string(QUILLAR_FIXTURES) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SimProfile, ReadsEveryMachineValue) {
    sim::Machine m = sim::Machine::FromProfile(
        "[Machine]\nName=Test box\nProcessors=4\nPhysicalMemory=536346624\nClockMHz=1333\n"
        "Driver=missing\nDriverVersion=FF\nCyrixDivideQuirk=yes\nStateFile=c:\\s.ini\n"
        "[CPUID]\nAvailable=after-ccr4\n80000002=20444D41 6C687441 74286E6F 5820296D\n"
        "[MSR]\nC0000082=00000001 00000002\n[Cyrix]\nC3=10\n[PCI]\n00:11.0@00=31771106 ; VT8235\n");
    EXPECT_EQ(m.name, "Test box");
    EXPECT_EQ(m.processors, 4);
    EXPECT_EQ(m.physicalMemory, 536346624u);
    EXPECT_EQ(m.clockMHz, 1333u);
    EXPECT_FALSE(m.driverPresent);
    EXPECT_EQ(m.driverVersion, 0xFFu);
    EXPECT_TRUE(m.cyrixDivideQuirk);
    EXPECT_EQ(m.stateFile, "c:\\s.ini");
    EXPECT_EQ(m.cpuidMode, sim::CpuidMode::AfterCcr4);
    auto r = m.Cpuid(0x80000002);
    EXPECT_EQ(r.eax, 0x20444D41u);
    EXPECT_EQ(r.edx, 0x5820296Du);
    EXPECT_EQ(m.Cpuid(7).eax, 0u) << "unlisted leaves answer zeros";
    EXPECT_EQ(m.Msr(0xC0000082), 0x0000000100000002ull);
    EXPECT_EQ(m.CyrixRegister(0xC3), 0x10);
    EXPECT_EQ(m.PciRead({0, 0x11, 0}, 0), 0x31771106u);
}

TEST(SimProfile, DefaultsWhenNothingIsGiven) {
    sim::Machine m = sim::Machine::FromProfile("");
    EXPECT_EQ(m.processors, 0) << "0 stands for the host's count";
    EXPECT_EQ(m.clockMHz, 1000u);
    EXPECT_TRUE(m.driverPresent);
    EXPECT_EQ(m.driverVersion, 0x100u);
    EXPECT_EQ(m.cpuidMode, sim::CpuidMode::Yes);
}

TEST(SimProfile, TheIniRulesAndTheFormsOfEachSection) {
    sim::Machine m = sim::Machine::FromProfile(
        "# a comment\n[machine]\nclockmhz=500\nClockMHz=733 ; the last one counts\nUnknown=1\n"
        "[CPUID]\nAvailable=no\n0=00000002 756E6547\n"
        "[MSR]\n10=00000001\n"
        "[PCI]\n00:07.0@00=06861106\n00:07.0@41=12345678\nrubbish=1\n00:08.0@04=00000001\n"
        "[Bogus]\nName=ignored\n"
        "[PCI]\n00:07.1@00=05711106\n");
    EXPECT_EQ(m.clockMHz, 733u);
    EXPECT_EQ(m.name, "");
    EXPECT_EQ(m.cpuidMode, sim::CpuidMode::No);
    EXPECT_FALSE(m.CpuidPresent());
    EXPECT_EQ(m.Cpuid(0).ebx, 0x756E6547u);
    EXPECT_EQ(m.Cpuid(0).ecx, 0u) << "words left out read 0";
    EXPECT_EQ(m.Msr(0x10), 0x0000000100000000ull) << "the high doubleword comes first";
    EXPECT_EQ(m.PciRead({0, 7, 0}, 0x40), 0x12345678u) << "register 41h is the doubleword at 40h";
    EXPECT_EQ(m.PciRead({0, 8, 0}, 0x04), 0xFFFFFFFFu) << "no register 00: no function";
    EXPECT_EQ(m.PciRead({0, 7, 1}, 0), 0x05711106u) << "a section given twice is one section";
}

TEST(SimProfile, ShippedDefaultProfileMatchesTheBuiltInOne) {
    std::string shipped = ReadFixture("machines/athlon-xp-kt400.ini");
    ASSERT_FALSE(shipped.empty());
    sim::Machine a = sim::Machine::FromProfile(shipped), b = sim::Machine::FromProfile(sim::Machine::kDefaultProfile);
    EXPECT_EQ(a.StateText(), b.StateText());
    EXPECT_EQ(a.clockMHz, b.clockMHz);
    EXPECT_EQ(a.physicalMemory, b.physicalMemory);
    EXPECT_EQ(a.Cpuid(1).eax, 0x681u) << "Athlon XP, family 6 model 8";
}

TEST(SimMachine, PciConfigSpaceThroughThePorts) {
    sim::Machine m = sim::Machine::FromProfile(sim::Machine::kDefaultProfile);
    hw::RequestBlock grant{{drv::kGrantPorts, 0xCF8, 0xCFF, 0}};
    ASSERT_TRUE(m.Request(grant, nullptr));
    auto read = [&](int bus, int dev, int fn, int reg) {
        m.Out32(0xCF8, 0x80000000u | (bus << 16) | (dev << 11) | (fn << 8) | (reg & 0xFC));
        return m.In32(0xCFC);
    };
    EXPECT_EQ(read(0, 0, 0, 0), 0x31891106u);
    EXPECT_EQ(read(0, 0x11, 0, 0x88), 0x00004001u);
    EXPECT_EQ(read(0, 0, 0, 0x50), 0u) << "existing function, unlisted register";
    EXPECT_EQ(read(0, 5, 0, 0), 0xFFFFFFFFu) << "absent function";
    m.Out32(0xCF8, 0x80000000u | (0x11 << 11) | 0x80);
    m.Out32(0xCFC, 0x12345678);
    EXPECT_EQ(m.PciRead({0, 0x11, 0}, 0x80), 0x12345678u) << "writes are kept";
    EXPECT_EQ(read(0, 0x11, 0, 0x82), 0x12345678u) << "registers are aligned doublewords";
    m.Out32(0xCF8, 0x80000000u | (5 << 11));
    m.Out32(0xCFC, 1);
    EXPECT_EQ(m.PciRead({0, 5, 0}, 0), 0xFFFFFFFFu) << "absent functions stay absent";
    EXPECT_TRUE(m.Faults().empty());
}

TEST(SimMachine, CyrixRegistersAndCpuidSwitchedOnThroughCcr4) {
    sim::Machine m = sim::Machine::FromProfile("[CPUID]\nAvailable=after-ccr4\n[Cyrix]\nE8=00\n");
    hw::RequestBlock grant{{drv::kGrantPorts, 0x22, 0x23, 0}};
    m.Request(grant, nullptr);
    EXPECT_FALSE(m.CpuidPresent());
    m.Out8(0x22, 0xE8);
    m.Out8(0x23, 0x80);
    EXPECT_TRUE(m.CpuidPresent());
    m.Out8(0x22, 0xE8);
    EXPECT_EQ(m.In8(0x23), 0x80);
}

TEST(SimMachine, PortsOutsideTheGrantFaultInsteadOfCrashing) {
    sim::Machine m = sim::Machine::FromProfile("");
    EXPECT_EQ(m.In32(0xCFC), 0xFFFFFFFFu);
    m.Out8(0x22, 0xC3);
    ASSERT_EQ(m.Faults().size(), 2u);
    EXPECT_NE(m.Faults()[0].find("0CFC"), std::string::npos) << m.Faults()[0];
    IniText state = IniText::Parse(m.StateText());
    EXPECT_EQ(state.Get("Faults", "Count"), "2");
}

TEST(SimMachine, StateFileCountsRequestsReadsAndGrants) {
    sim::Machine m = sim::Machine::FromProfile("[MSR]\n2A=0 0\n");
    for (int i = 0; i < 3; ++i) m.Request(hw::RequestBlock{{drv::kHalt, 0, 0, 0}}, nullptr);
    m.Request(hw::RequestBlock{{drv::kReadPort, 0x4014, 0, 0}}, nullptr);
    m.Request(hw::RequestBlock{{drv::kReadPort, 0x4014, 0, 0}}, nullptr);
    m.Request(hw::RequestBlock{{drv::kWriteMsr, 0x2A, 0x04000000, 0}}, nullptr);
    m.Request(hw::RequestBlock{{drv::kGrantPorts, 0xCF8, 0xCFF, 0}}, nullptr);
    IniText state = IniText::Parse(m.StateText());
    EXPECT_EQ(state.Get("Requests", "70"), "3");
    EXPECT_EQ(state.Get("Requests", "10"), "2");
    EXPECT_EQ(state.Get("Requests", "21"), "1");
    EXPECT_EQ(state.Get("Requests", "20"), "0");
    EXPECT_EQ(state.Get("Requests", "40"), "1");
    EXPECT_EQ(state.Get("C2Reads", "4014"), "2");
    EXPECT_EQ(state.Get("Ports", "0"), "0CF8-0CFF");
    EXPECT_EQ(state.Get("MSR", "2A"), "00000000 04000000");
}

TEST(SimMachine, ReadOnlyBitsHoldAgainstThePortsButNotAgainstOthers) {
    sim::Machine m = sim::Machine::FromProfile("[PCI]\n00:04.4@00=30571106\n00:04.4@40=0049AB20\n"
                                               "[PCIReadOnly]\n00:04.4@40=0000FF00\n");
    m.Request(hw::RequestBlock{{drv::kGrantPorts, 0xCF8, 0xCFF, 0}}, nullptr);
    m.Out32(0xCF8, 0x80000000u | (4 << 11) | (4 << 8) | 0x40);
    m.Out32(0xCFC, 0x12345678);
    EXPECT_EQ(m.In32(0xCFC), 0x1234AB78u);
    EXPECT_EQ(m.In8(0xCFD), 0xAB) << "the second byte through the byte ports";
    m.Out32(0xCF8, 0x00000000u | (4 << 11) | (4 << 8) | 0x40);
    EXPECT_EQ(m.In32(0xCFC), 0xFFFFFFFFu) << "without the enable bit nothing is selected";
    m.PciWrite({0, 4, 4}, 0x40, 0x12345678);
    EXPECT_EQ(m.PciRead({0, 4, 4}, 0x40), 0x12345678u);
}

// Every value a machine holds, set to something other than its default, survives both
// ways of copying it.
TEST(SimMachine, ACopyCarriesEverything) {
    sim::Machine m = sim::Machine::FromProfile(
        "[Machine]\nName=Copied\nProcessors=2\nPhysicalMemory=1048576\nClockMHz=450\nDriver=missing\n"
        "DriverVersion=FF\nCyrixDivideQuirk=yes\nStateFile=s.ini\n[CPUID]\nAvailable=after-ccr4\n1=00000543\n"
        "[MSR]\n2A=0 1\n[Cyrix]\nC3=10\n[PCI]\n00:00.0@00=31891106\n00:00.0@04=00000007\n"
        "[PCIReadOnly]\n00:00.0@04=FFFFFFFF\n");
    m.Request(hw::RequestBlock{{drv::kGrantPorts, 0x22, 0x23, 0}}, nullptr);
    m.Request(hw::RequestBlock{{drv::kGrantPorts, 0xCF8, 0xCFF, 0}}, nullptr);
    m.Request(hw::RequestBlock{{drv::kHalt, 0, 0, 0}}, nullptr);
    m.Request(hw::RequestBlock{{drv::kReadPort, 0x4014, 0, 0}}, nullptr);
    m.Out8(0x22, 0xC3);
    m.Out32(0xCF8, 0x80000004u);
    m.In8(0x80);
    m.RequestShutdown(5);

    sim::Machine constructed(m);
    sim::Machine assigned;
    assigned = m;
    for (sim::Machine* c : {&constructed, &assigned}) {
        EXPECT_EQ(c->name, "Copied");
        EXPECT_EQ(c->processors, 2);
        EXPECT_EQ(c->physicalMemory, 1048576u);
        EXPECT_EQ(c->clockMHz, 450u);
        EXPECT_FALSE(c->driverPresent);
        EXPECT_EQ(c->driverVersion, 0xFFu);
        EXPECT_TRUE(c->cyrixDivideQuirk);
        EXPECT_EQ(c->stateFile, "s.ini");
        EXPECT_EQ(c->cpuidMode, sim::CpuidMode::AfterCcr4);
        EXPECT_EQ(c->Cpuid(1).eax, 0x543u);
        EXPECT_EQ(c->StateText(), m.StateText()) << "registers, counts, grants, faults and shutdown";
        EXPECT_EQ(c->In8(0x23), 0x10) << "the selected Cyrix register";
        EXPECT_EQ(c->In32(0xCF8), 0x80000004u) << "the configuration address";
        c->Out32(0xCFC, 0);
        EXPECT_EQ(c->PciRead({0, 0, 0}, 4), 7u) << "the read-only bits kept register 04h as it was";
        EXPECT_EQ(c->RequestCount(drv::kHalt), 1u);
        EXPECT_EQ(c->ShutdownRequests(), 1u);
    }
}

TEST(SimMachine, UnknownFunctionFails) {
    sim::Machine m = sim::Machine::FromProfile("");
    EXPECT_FALSE(m.Request(hw::RequestBlock{{99, 0, 0, 0}}, nullptr));
}

}  // namespace
