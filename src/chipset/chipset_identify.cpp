// Identification of the northbridge, its register set and the southbridge's C2 port.
#include "chipset/chipset.h"
#include "chipset/pci_names.h"
#include "common/log.h"

namespace {

// Power-management I/O space of the VIA southbridges: the enable bit is bit 7 of the byte
// at base + 1, the I/O base sits in bits 15-7 of the doubleword at base + 8, and the
// processor level-2 register (P_LVL2) is at offset 0x14 of that block.
constexpr uint32_t kPmEnableBit = 0x8000;
constexpr uint32_t kPmBaseMask = 0xFF80;
constexpr uint32_t kPLvl2Offset = 0x14;

}  // namespace

bool TChipsetSupport::IdentifyChipset() {
    NorthbridgeIndex = -1;
    for (const TChipset& row : Chipsets) {
        NorthbridgeIndex = PCIList.FindPCIDevice(row.VendorID, row.DeviceID, 0);
        if (NorthbridgeIndex != -1) {
            ActiveOptimizationID = row.OptimizationID;
            break;
        }
    }
    if (NorthbridgeIndex == -1) return false;

    ActiveOptimizationIndex = -1;
    for (size_t i = 0; i < kChipsetOptimizationCount; ++i)
        if (ChipsetOptimizations[i].ID == ActiveOptimizationID) {
            ActiveOptimizationIndex = static_cast<int32_t>(i);
            break;
        }
    if (ActiveOptimizationIndex == -1) {
        LogFormat("Invalid Register Set (%x)", {ActiveOptimizationIndex});
        return true;
    }

    // Capture everything the set and the audio fix may change, so that undoing returns to
    // the values found at start-up.
    const TChipsetOptimization& set = ChipsetOptimizations[ActiveOptimizationIndex];
    for (int step = 0; step < 2; ++step)
        if (!StepEmpty(set.Steps[step])) SaveHostRegister(StepRegisterMask(set, step).Register);
    if (NorthbridgeVendor() == kPciVendorVIA) SaveHostRegister(kAudioFixRegister);

    if (LoggingOn()) DumpPCIDevices();

    switch (NorthbridgeVendor()) {
    case kPciVendorAMD:
    case kPciVendorVIA:
        C2PortAvailable = FindViaC2Port();
        break;
    case kPciVendorNVIDIA:
        FindNvidiaSouthbridge();  // names the southbridge only; no C2 port on this path
        break;
    default:
        break;
    }

    LogFormat("Northbridge %.2d %s %.4x", {NorthbridgeIndex, PCIVendorName(PCIList[NorthbridgeIndex].VendorID),
                                           PCIList[NorthbridgeIndex].DeviceID});
    LogFormat("Southbridge %.2d %s %.4x",
              {SouthbridgeIndex, PCIVendorName(static_cast<uint32_t>(PCIList.GetVendorID(SouthbridgeIndex))),
               PCIList.GetDeviceID(SouthbridgeIndex)});
    LogFormat("C2 Port Enabled %s", {BoolText(C2PortAvailable)});
    if (C2PortAvailable) {
        const TPCIDevice& sb = PCIList[SouthbridgeIndex];
        LogFormat("C2 Bus/Dev/Fun\t%.2x/%.2x/%.2x", {sb.Bus, sb.Device, sb.Func});
        LogFormat("C2 Port Address\t%.4x", {C2PortAddress.load()});
    }
    return true;
}

bool TChipsetSupport::FindViaC2Port() {
    SouthbridgeIndex = PCIList.FindPCIDeviceOf(kPciVendorVIA, {0x3074, 0x3147, 0x3177}, 0);
    if (SouthbridgeIndex == -1) SouthbridgeIndex = PCIList.FindPCIDeviceOf(kPciVendorVIA, {0x3057}, 4);
    if (SouthbridgeIndex == -1) return false;

    const int32_t id = PCIList.GetDeviceID(SouthbridgeIndex);
    const uint32_t base = id == 0x3074 || id == 0x3177 ? 0x80 : 0x40;

    const uint32_t found = PCIList.ReadDeviceRegister(SouthbridgeIndex, base + 1);
    bool enabledHere = false;
    bool enableFailed = false;
    if (!(found & kPmEnableBit)) {
        LogText("C2 IO Base Access Denied - Enabling");
        PCIList.WriteDeviceRegister(SouthbridgeIndex, base + 1, found | kPmEnableBit);
        if (PCIList.ReadDeviceRegister(SouthbridgeIndex, base + 1) & kPmEnableBit) {
            enabledHere = true;
        } else {
            LogText("C2 IO Base Access Denied - Enabling Failed");
            enableFailed = true;
        }
    }

    const uint32_t pmBase = PCIList.ReadDeviceRegister(SouthbridgeIndex, base + 8) & kPmBaseMask;
    // A block that cannot be switched on has no C2 port to read.
    if (enableFailed) return false;
    // Base 0: no block was ever assigned. Enabling it would decode ports over the legacy
    // DMA controller, so the register gets its first value back and C2 stays off.
    if (pmBase == 0) {
        if (enabledHere) PCIList.WriteDeviceRegister(SouthbridgeIndex, base + 1, found);
        return false;
    }
    C2PortAddress = pmBase + kPLvl2Offset;
    return true;
}

bool TChipsetSupport::FindNvidiaSouthbridge() {
    SouthbridgeIndex = PCIList.FindPCIDeviceOf(kPciVendorNVIDIA, {0x01B2}, -1);
    if (SouthbridgeIndex == -1) return false;
    LogFormat("NVIDIA SB Lvl2 Port: %x", {C2PortAddress.load()});
    return true;
}
