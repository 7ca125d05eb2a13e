// Chipset identification, the C2 port search, the register sets and the audio fix, on
// machine profiles.
#include <gtest/gtest.h>

#include <functional>

#include "chipset/chipset.h"
#include "common/format.h"
#include "unit/chipset/chipset_fixture.h"

using namespace chipsettest;
using Lines = std::vector<std::string>;

namespace {

// The identification lines that are neither configuration accesses nor the device dump.
Lines Summary(const Lines& lines) {
    Lines out;
    for (const auto& l : WithoutPciLines(lines))
        if (!l.empty() && l.rfind("Bus/Dev/Fun ", 0) && l.rfind("Vendor ID\t", 0) && l.rfind("Device ID\t", 0) &&
            l.rfind("Class ID\t", 0))
            out.push_back(l);
    return out;
}

// Scans and identifies the machine of `profile` with logging on; returns every line.
Lines Identify(TChipsetSupport& c, const std::string& profile) {
    UseMachine(profile);
    c.ScanPCIBus();
    LogCapture log;
    c.IdentifyChipset();
    return log.Lines();
}

Lines Logged(const std::function<void()>& action) {
    LogCapture log;
    action();
    return log.Lines();
}

TEST(IdentifyChipset, ViaKT400WithVT8235FindsTheC2PortAtBase80) {
    TChipsetSupport c;
    const Lines lines = Identify(c, Machine("athlon-xp-kt400"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3),
              (Lines{"PCI Read  0 0 0 D2 EA69A317", "PCI Read  0 0 0 D5 19F11C06", "PCI Read  0 0 0 70 0100C890"}))
        << "both steps and the audio-fix register captured first";
    EXPECT_EQ(lines[3], "Bus/Dev/Fun 00/00/00 0 ") << "the dump follows while logging is on";
    EXPECT_EQ(Lines(lines.end() - 7, lines.end()),
              (Lines{"PCI Read  0 11 0 81 00008000", "PCI Read  0 11 0 88 00004001", "Northbridge 00 VIA 3189",
                     "Southbridge 03 VIA 3177", "C2 Port Enabled True", "C2 Bus/Dev/Fun\t00/11/00",
                     "C2 Port Address\t4014"}));
    EXPECT_TRUE(c.ChipsetKnown());
    EXPECT_EQ(c.NorthbridgeVendor(), 0x1106);
    EXPECT_EQ(c.ActiveOptimizationID, 0x12);
    EXPECT_EQ(c.C2PortAddress, 0x4014u);
    EXPECT_EQ(c.SavedHostRegisters[0xD0 / 4], 0xEA69A317u);
    EXPECT_EQ(c.SavedHostRegisters[0x70 / 4], 0x0100C890u);
}

TEST(IdentifyChipset, Amd761WithVT8233OnFunction0UsesBase80) {
    TChipsetSupport c;
    const Lines lines = Identify(c, Machine("athlon-amd761-vt8233"));
    EXPECT_EQ(Lines(lines.end() - 7, lines.end()),
              (Lines{"PCI Read  0 11 0 81 00498020", "PCI Read  0 11 0 88 0000E401", "Northbridge 00 AMD 700E",
                     "Southbridge 02 VIA 3074", "C2 Port Enabled True", "C2 Bus/Dev/Fun\t00/11/00",
                     "C2 Port Address\tE414"}));
    EXPECT_EQ(c.SavedHostRegisters[0x70 / 4], 0u) << "register 70h is captured for VIA northbridges only";
}

TEST(IdentifyChipset, Kt133aWith686bTakesPowerManagementFunction4AtBase40) {
    TChipsetSupport c;
    const Lines lines = Identify(c, Machine("athlon-kt133a-686b"));
    EXPECT_EQ(lines[0], "PCI Read  0 0 0 52 B46BA417");
    EXPECT_EQ(Lines(lines.end() - 7, lines.end()),
              (Lines{"PCI Read  0 4 4 41 00498020", "PCI Read  0 4 4 48 0000E401", "Northbridge 00 VIA 0305",
                     "Southbridge 05 VIA 3057", "C2 Port Enabled True", "C2 Bus/Dev/Fun\t00/04/04",
                     "C2 Port Address\tE414"}));
}

TEST(IdentifyChipset, NForce2NamesItsSouthbridgeButOffersNoC2Port) {
    TChipsetSupport c;
    const Lines lines = Identify(c, Machine("athlon-nforce2"));
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2),
              (Lines{"PCI Read  0 0 0 6F 9F01FF01", "PCI Read  0 0 0 6F 9F01FF01"}));
    EXPECT_EQ(Summary(lines), (Lines{"NVIDIA SB Lvl2 Port: 0", "Northbridge 00 NVIDIA 01E0",
                                     "Southbridge 06 NVIDIA 01B2", "C2 Port Enabled False"}));
    EXPECT_FALSE(c.C2PortAvailable);
}

TEST(IdentifyChipset, SiSAndAmd762HaveNoViaSouthbridge) {
    TChipsetSupport sis;
    Lines lines = Identify(sis, Machine("athlon-sis735"));
    EXPECT_EQ(WithoutPciLines(lines).size(), 12 * 5 + 3u);
    EXPECT_EQ(lines[0], "PCI Read  0 0 0 6A 00040A00");
    EXPECT_EQ(Summary(lines), (Lines{"Northbridge 00 SI 0735", "Southbridge -01  FFFFFFFF", "C2 Port Enabled False"}));
    EXPECT_EQ(lines.size(), 1 + 12 * 5 + 3u) << "no southbridge search on SiS";

    TChipsetSupport amd;
    lines = Identify(amd, Machine("athlon-mp-amd762"));
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2),
              (Lines{"PCI Read  0 0 0 60 0000D101", "PCI Read  0 0 0 68 0000D101"}));
    EXPECT_EQ(Summary(lines), (Lines{"Northbridge 00 AMD 700C", "Southbridge -01  FFFFFFFF", "C2 Port Enabled False"}));
}

// The KT880 keeps its HLT detect bit at 55h, away from its other register at 82h.
TEST(IdentifyChipset, Kt880CapturesItsHltDetectRegisterAt55) {
    TChipsetSupport c;
    const Lines lines = Identify(c, "[PCI]\n00:00.0@00=02691106\n00:00.0@08=06000080\n00:00.0@54=00000100\n");
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3),
              (Lines{"PCI Read  0 0 0 82 00000000", "PCI Read  0 0 0 55 00000100", "PCI Read  0 0 0 70 00000000"}));
    EXPECT_EQ(lines[5], "Device ID\t0269 (Unknown)");
    EXPECT_EQ(Summary(lines), (Lines{"Northbridge 00 VIA 0269", "Southbridge -01  FFFFFFFF", "C2 Port Enabled False"}));
}

TEST(IdentifyChipset, TheEarlierTableRowWinsWhereverItsDeviceStands) {
    TChipsetSupport c;
    Identify(c, "[PCI]\n00:00.0@00=01E010DE\n00:05.0@00=70061022\n");
    EXPECT_EQ(c.NorthbridgeIndex, 1);
    EXPECT_EQ(c.ActiveOptimizationID, 0x01);
}

TEST(IdentifyChipset, UnknownChipsetLogsAndWritesNothing) {
    TChipsetSupport c;
    UseMachine(Machine("pentium3-440bx"));
    c.ScanPCIBus();
    const std::string before = sim::Current().StateText();
    EXPECT_TRUE(Logged([&] { EXPECT_FALSE(c.IdentifyChipset()); }).empty());
    EXPECT_FALSE(c.ChipsetKnown());
    EXPECT_EQ(c.NorthbridgeVendor(), -1);

    EXPECT_EQ(Logged([&] { c.OptimizeChipset(); }), (Lines{"Optimize Chipset", "Invalid Optimization (0)"}));
    EXPECT_EQ(Logged([&] { c.UnoptimizeChipset(); }), (Lines{"Unoptimize Chipset", "Invalid Optimization (0)"}));
    EXPECT_TRUE(Logged([&] {
                    c.FixAudioVIA();
                    c.ChipsetCoolingOn(true, true);
                    c.ChipsetCoolingOff();
                }).empty());
    EXPECT_FALSE(c.ChipsetOptimized);
    EXPECT_FALSE(c.AudioFixed);
    EXPECT_EQ(sim::Current().StateText(), before);
}

TEST(IdentifyChipset, ASetIdWithoutASetTouchesNoRegister) {
    TChipsetSupport c;
    Identify(c, Machine("athlon-xp-kt400"));
    c.ActiveOptimizationIndex = -1;
    EXPECT_EQ(Logged([&] { c.OptimizeChipset(); }), (Lines{"Optimize Chipset", "Invalid Optimization (12)"}));
    EXPECT_FALSE(c.ChipsetOptimized);
}

// ---- the southbridge search ----

TEST(ViaC2Port, VT8235WinsOverA686bFunction4) {
    TChipsetSupport c;
    Identify(c, Machine("athlon-xp-kt400") + "\n[PCI]\n00:07.4@00=30571106\n00:07.4@40=00008000\n00:07.4@48=00005001\n");
    EXPECT_EQ(c.PCIList.GetDeviceID(c.SouthbridgeIndex), 0x3177);
    EXPECT_EQ(c.C2PortAddress, 0x4014u);
}

TEST(ViaC2Port, AVT8233OnlyOnAnotherFunctionIsPassedOver) {
    const std::string moved = Machine("athlon-amd761-vt8233") + "\n[PCI]\n00:11.0@00=FFFFFFFF\n00:11.3@00=30741106\n";
    TChipsetSupport alone;
    EXPECT_EQ(Summary(Identify(alone, moved)),
              (Lines{"Northbridge 00 AMD 700E", "Southbridge -01  FFFFFFFF", "C2 Port Enabled False"}));

    TChipsetSupport with686b;
    const Lines lines = Identify(with686b, moved + "00:07.4@00=30571106\n00:07.4@40=00008000\n00:07.4@48=00005001\n");
    EXPECT_EQ(with686b.PCIList.GetDeviceID(with686b.SouthbridgeIndex), 0x3057);
    EXPECT_EQ(Lines(lines.end() - 7, lines.end() - 5),
              (Lines{"PCI Read  0 7 4 41 00008000", "PCI Read  0 7 4 48 00005001"}));
    EXPECT_EQ(with686b.C2PortAddress, 0x5014u);
}

TEST(ViaC2Port, ADisabledBlockIsSwitchedOnFirst) {
    TChipsetSupport c;
    const Lines lines = Identify(c, Machine("athlon-kt133a-686b") + "\n[PCI]\n00:04.4@40=00490020\n");
    EXPECT_EQ(Lines(lines.end() - 10, lines.end() - 4),
              (Lines{"PCI Read  0 4 4 41 00490020", "C2 IO Base Access Denied - Enabling",
                     "PCI Write 0 4 4 41 00498020", "PCI Read  0 4 4 41 00498020", "PCI Read  0 4 4 48 0000E401",
                     "Northbridge 00 VIA 0305"}));
    EXPECT_TRUE(c.C2PortAvailable);
    EXPECT_EQ(c.C2PortAddress, 0xE414u);
}

// The block's enable bit does not stick: no C2 port, where the bare sequence would report one.
TEST(ViaC2Port, AnEnableBitThatWillNotStickLeavesC2Off) {
    TChipsetSupport c;
    const Lines lines = Identify(
        c, Machine("athlon-kt133a-686b") + "\n[PCI]\n00:04.4@40=00490020\n[PCIReadOnly]\n00:04.4@40=00008000\n");
    EXPECT_EQ(Lines(lines.end() - 9, lines.end()),
              (Lines{"PCI Read  0 4 4 41 00490020", "C2 IO Base Access Denied - Enabling",
                     "PCI Write 0 4 4 41 00498020", "PCI Read  0 4 4 41 00490020",
                     "C2 IO Base Access Denied - Enabling Failed", "PCI Read  0 4 4 48 0000E401",
                     "Northbridge 00 VIA 0305", "Southbridge 05 VIA 3057", "C2 Port Enabled False"}));
    EXPECT_FALSE(c.C2PortAvailable);
    EXPECT_EQ(c.C2PortAddress, 0u);
}

// A block without base address: switching it on would decode ports 14h and up over the DMA
// controller, so the enable bit is put back and C2 stays off.
TEST(ViaC2Port, AZeroBaseIsNotUsedAndTheEnableBitIsPutBack) {
    TChipsetSupport c;
    const Lines lines =
        Identify(c, Machine("athlon-kt133a-686b") + "\n[PCI]\n00:04.4@40=00490020\n00:04.4@48=00000001\n");
    EXPECT_EQ(Lines(lines.end() - 8, lines.end()),
              (Lines{"C2 IO Base Access Denied - Enabling", "PCI Write 0 4 4 41 00498020",
                     "PCI Read  0 4 4 41 00498020", "PCI Read  0 4 4 48 00000001", "PCI Write 0 4 4 41 00490020",
                     "Northbridge 00 VIA 0305", "Southbridge 05 VIA 3057", "C2 Port Enabled False"}));
    EXPECT_EQ(sim::Current().PciRead({0, 4, 4}, 0x40), 0x00490020u);
    EXPECT_EQ(c.C2PortAddress, 0u);
}

// ---- the register sets ----

TEST(StepRegisterMask, PlacesWordAndByteMasksInTheirDoubleword) {
    const TChipsetOptimization word{1, kWidthWord, {{"a", 0x6C, 0x01, false}, {"b", 0x6A, 0x03, false}}};
    const TChipsetOptimization high{1, kWidthWord, {{"a", 0xE6, 0x600, false}, {}}};
    const TChipsetOptimization byte{1, kWidthByte, {{"a", 0x6F, 0x10, false}, {"b", 0x52, 0x80, false}}};
    const TChipsetOptimization dword{1, kWidthDword, {{"a", 0x62, 0x60000, false}, {}}};
    auto at = [](const TChipsetOptimization& s, int i) {
        const TStepRegister r = StepRegisterMask(s, i);
        return std::make_pair(r.Register, r.Mask);
    };
    EXPECT_EQ(at(word, 0), std::make_pair(0x6Cu, 0x1u));
    EXPECT_EQ(at(word, 1), std::make_pair(0x6Au, 0x30000u));
    EXPECT_EQ(at(high, 0), std::make_pair(0xE6u, 0x6000000u));
    EXPECT_EQ(at(byte, 0), std::make_pair(0x6Fu, 0x10000000u));
    EXPECT_EQ(at(byte, 1), std::make_pair(0x52u, 0x800000u));
    EXPECT_EQ(at(dword, 0), std::make_pair(0x62u, 0x60000u));
}

// What optimizing does to the host bridge, by register set, as doublewords: the aligned
// register, the bits within it, and whether they are cleared.
struct DwordStep {
    uint32_t reg, mask;
    bool clear;
};
struct ExpectedRow {
    uint16_t vendor, device;
    int set;
    std::vector<DwordStep> steps;
};
const std::vector<DwordStep> kSet01{{0x60, 0x60000, false}};
const std::vector<DwordStep> kSet02{{0x60, 0x20000, false}, {0x68, 0x20000, false}};
const std::vector<DwordStep> kSet10{{0x50, 0x800000, false}};
const std::vector<DwordStep> kSet11{{0x90, 0x800000, false}, {0x94, 0x200, false}};
const std::vector<DwordStep> kSet12{{0xD0, 0x800000, false}, {0xD4, 0x200, false}};
const std::vector<DwordStep> kSet13{{0x80, 0x800000, false}, {0x54, 0x200, false}};
const std::vector<DwordStep> kSet20{{0x68, 0x1000000, false}};
const std::vector<DwordStep> kSet21{{0x68, 0x30000, false}};
const std::vector<DwordStep> kSet22{{0x6C, 0x1, false}};
const std::vector<DwordStep> kSet30{{0xE4, 0x6000000, false}};
const std::vector<DwordStep> kSet31{{0x6C, 0x10000000, false}, {0x6C, 0x80000000, true}};
const ExpectedRow kExpectedRows[] = {
    {0x1022, 0x7006, 0x01, kSet01}, {0x1022, 0x700E, 0x01, kSet01}, {0x1022, 0x700C, 0x02, kSet02},
    {0x1106, 0x0391, 0x10, kSet10}, {0x1106, 0x0691, 0x10, kSet10}, {0x1106, 0x3112, 0x10, kSet10},
    {0x1106, 0x0305, 0x10, kSet10}, {0x1106, 0x3099, 0x11, kSet11}, {0x1106, 0x3116, 0x11, kSet11},
    {0x1106, 0x3156, 0x11, kSet11}, {0x1106, 0x3189, 0x12, kSet12}, {0x1106, 0x3205, 0x12, kSet12},
    {0x1106, 0x0269, 0x13, kSet13}, {0x1039, 0x0730, 0x20, kSet20}, {0x1039, 0x0733, 0x20, kSet20},
    {0x1039, 0x0735, 0x21, kSet21}, {0x1039, 0x0740, 0x21, kSet21}, {0x1039, 0x0741, 0x21, kSet21},
    {0x1039, 0x0745, 0x21, kSet21}, {0x1039, 0x0755, 0x21, kSet21}, {0x1039, 0x0746, 0x22, kSet22},
    {0x1039, 0x0748, 0x22, kSet22}, {0x10DE, 0x01A4, 0x30, kSet30}, {0x10DE, 0x01E0, 0x31, kSet31},
};

// Every supported northbridge on a machine of its own: the row is found, its set's bits take
// their optimized values and nothing else moves (VIA bridges also get the audio fix's bits 1,
// 3 and 7 at 70h), and the undo restores every register.
TEST(ChipsetRows, EveryRowIsIdentifiedAppliedAndUndone) {
    for (const ExpectedRow& row : kExpectedRows) {
        SCOPED_TRACE(Format("%.4x:%.4x", {row.vendor, row.device}));
        std::string profile = "[PCI]\n" + Format("00:00.0@00=%.4x%.4x\n", {row.device, row.vendor});
        for (uint32_t reg = 0x40; reg < 0x100; reg += 4)
            profile += Format("00:00.0@%.2x=%.8x\n", {reg, 0x5AC3A53Cu ^ reg * 0x01010101u});
        TChipsetSupport c;
        Identify(c, profile);
        ASSERT_EQ(c.NorthbridgeIndex, 0);
        EXPECT_EQ(c.ActiveOptimizationID, row.set);

        uint32_t start[64], expected[64];
        for (uint32_t reg = 0; reg < 0x100; reg += 4) start[reg / 4] = expected[reg / 4] = HostRegister(reg);
        for (const DwordStep& step : row.steps) {
            uint32_t& e = expected[step.reg / 4];
            e = step.clear ? e & ~step.mask : e | step.mask;
        }
        const bool via = row.vendor == 0x1106;
        if (via) expected[0x70 / 4] |= 0x8A;
        const Lines applied = Logged([&] { c.ChipsetCoolingOn(true, true); });
        EXPECT_EQ(applied.size(), 1 + row.steps.size() * 4 + (via ? 3 : 0));
        for (uint32_t reg = 0; reg < 0x100; reg += 4) EXPECT_EQ(HostRegister(reg), expected[reg / 4]) << std::hex << reg;
        EXPECT_TRUE(c.ChipsetOptimized);
        EXPECT_EQ(c.AudioFixed, via);

        c.ChipsetCoolingOff();
        for (uint32_t reg = 0; reg < 0x100; reg += 4) EXPECT_EQ(HostRegister(reg), start[reg / 4]) << std::hex << reg;
        EXPECT_FALSE(c.ChipsetOptimized);
        EXPECT_FALSE(c.AudioFixed);
        EXPECT_TRUE(sim::Current().Faults().empty());
    }
}

TEST(ChipsetOptimization, NForce2SetsHaltDisconnectAndClearsHltDetectInOneDoubleword) {
    TChipsetSupport c;
    Identify(c, Machine("athlon-nforce2") + "\n[PCI]\n00:00.0@6C=8F01FF01\n");
    EXPECT_EQ(Logged([&] { c.OptimizeChipset(); }),
              (Lines{"Optimize Chipset", "Chipset Optimizer Step 0: Halt Disconnect and Stop Grant Disconnect",
                     "Chipset Optimizer Set 6F: 10000000", "PCI Read  0 0 0 6F 8F01FF01",
                     "PCI Write 0 0 0 6F 9F01FF01", "Chipset Optimizer Step 1: HLT Detect",
                     "Chipset Optimizer Clear 6F: 80000000", "PCI Read  0 0 0 6F 9F01FF01",
                     "PCI Write 0 0 0 6F 1F01FF01"}));
    EXPECT_EQ(Logged([&] { c.UnoptimizeChipset(); }),
              (Lines{"Unoptimize Chipset", "Chipset UnOptimizer Step 0: Halt Disconnect and Stop Grant Disconnect",
                     "Chipset UnOptimizer Set 6F: 10000000", "PCI Read  0 0 0 6F 1F01FF01",
                     "PCI Write 0 0 0 6F 0F01FF01", "Chipset UnOptimizer Step 1: HLT Detect",
                     "Chipset UnOptimizer Set 6F: 80000000", "PCI Read  0 0 0 6F 0F01FF01",
                     "PCI Write 0 0 0 6F 8F01FF01"}));
}

TEST(ChipsetOptimization, SiS735ShowsItsWordMaskInTheDoubleword) {
    TChipsetSupport c;
    Identify(c, Machine("athlon-sis735"));
    const Lines lines = Logged([&] { c.OptimizeChipset(); });
    EXPECT_EQ(WithoutPciLines(lines), (Lines{"Optimize Chipset", "Chipset Optimizer Step 0: ACPI C1 and C2 Disconnect Enable",
                                             "Chipset Optimizer Set 6A: 30000"}));
    EXPECT_EQ(HostRegister(0x68), 0x00070A00u);
}

TEST(ChipsetOptimization, Amd762SetsBit17OfTwoRegistersAndRestoresBoth) {
    TChipsetSupport c;
    Identify(c, Machine("athlon-mp-amd762"));
    EXPECT_EQ(WithoutPciLines(Logged([&] { c.OptimizeChipset(); })),
              (Lines{"Optimize Chipset", "Chipset Optimizer Step 0: Stop Grant Disconnect #0",
                     "Chipset Optimizer Set 60: 20000", "Chipset Optimizer Step 1: Stop Grant Disconnect #1",
                     "Chipset Optimizer Set 68: 20000"}));
    EXPECT_EQ(HostRegister(0x60), 0x0002D101u);
    EXPECT_EQ(HostRegister(0x68), 0x0002D101u);
    c.UnoptimizeChipset();
    EXPECT_EQ(HostRegister(0x60), 0x0000D101u);
    EXPECT_EQ(HostRegister(0x68), 0x0000D101u);
}

TEST(ChipsetOptimization, CoolingOnAndOffOnTheKT400WithTheAudioFix) {
    TChipsetSupport c;
    Identify(c, Machine("athlon-xp-kt400"));
    EXPECT_EQ(Logged([&] { c.ChipsetCoolingOn(true, true); }),
              (Lines{"Optimize Chipset", "Chipset Optimizer Step 0: Enable STPGNT", "Chipset Optimizer Set D2: 800000",
                     "PCI Read  0 0 0 D2 EA69A317", "PCI Write 0 0 0 D2 EAE9A317", "Chipset Optimizer Step 1: HLT Detect",
                     "Chipset Optimizer Set D5: 200", "PCI Read  0 0 0 D5 19F11C06", "PCI Write 0 0 0 D5 19F11E06",
                     "Fix Audio VIA", "PCI Read  0 0 0 70 0100C890", "PCI Write 0 0 0 70 0100C89A"}));
    EXPECT_TRUE(Logged([&] { c.ChipsetCoolingOn(true, true); }).empty()) << "applied once only";

    sim::Current().PciWrite({0, 0, 0}, 0xD4, 0xFFFFFFFF);  // a third party changes the register
    EXPECT_EQ(WithoutPciLines(Logged([&] { c.ChipsetCoolingOff(); })),
              (Lines{"Unoptimize Chipset", "Chipset UnOptimizer Step 0: Enable STPGNT",
                     "Chipset UnOptimizer Set D2: 800000", "Chipset UnOptimizer Step 1: HLT Detect",
                     "Chipset UnOptimizer Set D5: 200", "Unfix Audio VIA"}));
    EXPECT_EQ(HostRegister(0xD0), 0xEA69A317u);
    EXPECT_EQ(HostRegister(0xD4), 0xFFFFFDFFu) << "the masked bit returns, the others keep the third party's value";
    EXPECT_EQ(HostRegister(0x70), 0x0100C890u);
    EXPECT_TRUE(Logged([&] { c.ChipsetCoolingOff(); }).empty()) << "undone once only";
}

TEST(ChipsetOptimization, TheAudioFixBelongsToViaAndFollowsTheOptimization) {
    TChipsetSupport nforce;
    Identify(nforce, Machine("athlon-nforce2"));
    const uint32_t before = HostRegister(0x70);
    EXPECT_EQ(Summary(Logged([&] { nforce.ChipsetCoolingOn(true, true); })).back(), "Chipset Optimizer Clear 6F: 80000000");
    EXPECT_FALSE(nforce.AudioFixed);
    EXPECT_EQ(HostRegister(0x70), before);

    TChipsetSupport via;
    Identify(via, Machine("athlon-xp-kt400"));
    EXPECT_TRUE(Logged([&] { via.ChipsetCoolingOn(false, true); }).empty()) << "no fix without the optimization option";
    via.ChipsetCoolingOn(true, false);
    EXPECT_FALSE(via.AudioFixed);
}

}  // namespace
