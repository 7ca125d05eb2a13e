// Configuration cycles, the device list and its searches, the host-bridge bit operations.
#include <gtest/gtest.h>

#include "chipset/chipset.h"
#include "unit/chipset/chipset_fixture.h"

using namespace chipsettest;
using Lines = std::vector<std::string>;

namespace {

TEST(PciConfig, AccessesTheAlignedDoublewordAndLogsTheRegisterAsPassed) {
    UseMachine(Machine("athlon-xp-kt400"));
    LogCapture log;
    EXPECT_EQ(ReadPCI(0, 0, 0, 0xD3), 0xEA69A317u);
    WritePCI(0, 0x11, 0, 0x89, 0x0000E001);
    EXPECT_EQ(log.Lines(), (Lines{"PCI Read  0 0 0 D3 EA69A317", "PCI Write 0 11 0 89 0000E001"}));
    EXPECT_EQ(sim::Current().PciRead({0, 0x11, 0}, 0x88), 0x0000E001u);
    EXPECT_EQ(sim::Current().In32(pci::kAddressPort), 0u) << "configuration space closed after the access";
    EXPECT_TRUE(sim::Current().Faults().empty());
}

TEST(PciConfig, AddressWordMasksEveryPart) {
    EXPECT_EQ(pci::ConfigAddress(1, 0x11, 4, 0x4B), 0x80018C48u);
    EXPECT_EQ(pci::ConfigAddress(0x1FF, 0x3F, 0xF, 0x1FF), 0x80FFFFFCu);
    const pci::VendorDevice vd = SplitVendorDevice(0x31891106);
    EXPECT_EQ(vd.vendor, 0x1106u);
    EXPECT_EQ(vd.device, 0x3189u);
}

TEST(PciScan, ListsEveryFunctionInScanOrderWithBothReadsForEverySlot) {
    UseMachine(Machine("athlon-kt133a-686b"));
    TPCIList list;
    LogCapture log;
    list.ScanPCIBus();
    const Lines lines = log.Lines();
    EXPECT_EQ(lines.size(), 1024u) << "512 probes, two reads each, absent slots included";
    EXPECT_EQ(lines[0], "PCI Read  0 0 0 00 03051106");
    EXPECT_EQ(lines[1], "PCI Read  0 0 0 08 06000003");
    EXPECT_EQ(lines[2], "PCI Read  0 0 1 00 FFFFFFFF");
    EXPECT_EQ(lines[1023], "PCI Read  1 1F 7 08 FFFFFFFF");

    ASSERT_EQ(list.Count(), 12);
    for (int i = 1; i < list.Count(); ++i) {
        const TPCIDevice &a = list[i - 1], &b = list[i];
        EXPECT_LT(std::tie(a.Bus, a.Device, a.Func), std::tie(b.Bus, b.Device, b.Func));
    }
    const TPCIDevice& pm = list[list.FindPCIDevice(0x1106, 0x3057, 0)];
    EXPECT_EQ(std::tie(pm.Bus, pm.Device, pm.Func, pm.ClassRev), std::make_tuple(0u, 4u, 4u, 0x06000040u));
    EXPECT_EQ(list[list.Count() - 1].Bus, 1u);

    list.ScanPCIBus();
    EXPECT_EQ(list.Count(), 12) << "a second scan leaves the list as it is";
}

// A list with ids standing where the searches can go wrong.
class PciSearch : public ::testing::Test {
protected:
    void SetUp() override {
        UseMachine("[PCI]\n"
                   "00:00.0@00=31891106\n"   // 0
                   "00:07.0@00=30571106\n"   // 1  3057 on function 0
                   "00:07.4@00=30571106\n"   // 2  3057 on function 4
                   "00:08.0@00=31771106\n"   // 3
                   "00:09.1@00=30741106\n"   // 4  3074 on function 1 only
                   "00:0A.0@00=31771234\n"); // 5  another vendor's 3177
        list.ScanPCIBus();
        ASSERT_EQ(list.Count(), 6);
    }
    TPCIList list;
};

TEST_F(PciSearch, FindPCIDeviceMatchesFromStartWithZeroAsWildcard) {
    EXPECT_EQ(list.FindPCIDevice(0, 0, 3), 3);
    EXPECT_EQ(list.FindPCIDevice(0, 0, list.Count()), -1);
    EXPECT_EQ(list.FindPCIDevice(0, 0x3177, 4), 5);
    EXPECT_EQ(list.FindPCIDevice(0x1106, 0, 4), 4);
    EXPECT_EQ(list.FindPCIDevice(0x1106, 0x3177, 4), -1);
    EXPECT_EQ(list.FindPCIDevice(0x10DE, 0, 0), -1);
}

TEST_F(PciSearch, FindPCIDeviceOfTakesTheIdsInOrderAndPassesOverOtherFunctions) {
    EXPECT_EQ(list.FindPCIDeviceOf(0x1106, {0x3177, 0x3057}, -1), 3) << "the first id decides, not the list order";
    EXPECT_EQ(list.FindPCIDeviceOf(0x1106, {0x3057}, 4), 2) << "function 0 entry passed over";
    EXPECT_EQ(list.FindPCIDeviceOf(0x1106, {0x3074, 0x3057}, 0), 1) << "3074 only on function 1";
    EXPECT_EQ(list.FindPCIDeviceOf(0x1106, {0x3074}, 0), -1);
    EXPECT_EQ(list.FindPCIDeviceOf(0x1106, {}, -1), -1);
}

TEST_F(PciSearch, IdsOfNoDeviceAreMinusOne) {
    EXPECT_EQ(list.GetVendorID(-1), -1);
    EXPECT_EQ(list.GetDeviceID(-1), -1);
    EXPECT_EQ(list.GetVendorID(list.Count()), -1);
    EXPECT_EQ(list.GetDeviceID(5), 0x3177);
}

TEST(HostBridge, SetClearAndRestoreWorkOnTheCapturedImage) {
    UseMachine("[PCI]\n00:00.0@00=31891106\n00:00.0@6C=12345678\n00:00.0@D4=000000F0\n");
    TChipsetSupport c;
    c.SaveHostRegister(0x6C);
    c.SetHostBits(0x6F, 0x80000000);
    c.ClearHostBits(0x6D, 0x00000078);
    EXPECT_EQ(HostRegister(0x6C), 0x92345600u);
    EXPECT_EQ(c.SavedHostRegisters[0x6C / 4], 0x12345678u);

    c.SaveHostRegister(0x6F);  // the same doubleword, the same slot
    EXPECT_EQ(c.SavedHostRegisters[0x6C / 4], 0x92345600u);
    c.SavedHostRegisters[0x6C / 4] = 0x12345678;

    sim::Current().PciWrite({0, 0, 0}, 0x6C, 0x0000FFFF);  // someone else changes it meanwhile
    EXPECT_EQ(c.RestoreHostBits(0x6C, 0xF00000F0), 0x1000FF7Fu) << "only the masked bits come back";
    EXPECT_EQ(HostRegister(0x6C), 0x1000FF7Fu);

    EXPECT_EQ(c.RestoreHostBits(0xD4, 0x30), 0xC0u) << "a slot never captured restores zeros";
}

TEST(HostBridge, MergeBitsTakesTheMaskedBitsFromTheSavedValue) {
    EXPECT_EQ(MergeBits(0xFFFF0000, 0x00FF00FF, 0x12345678, true), 0xFF340078u);
    EXPECT_EQ(MergeBits(0xFFFF0000, 0x00FF00FF, 0x12345678, false), 0x12FF5600u);
}

}  // namespace
