// The per-processor power settings behind "Optimize C&PU / Chipset": one row per register
// change, applied in table order to the processor the calling thread runs on.
#include "cpu/processor.h"

namespace {

enum class Target { Msr, Cyrix };

constexpr int kAnyFamily = -1;

struct SettingRow {
    int vendor;
    int family = kAnyFamily;
    int modelFirst = 0, modelLast = 15;
    int steppingFirst = 0, steppingLast = 15;
    bool lockOnly = false;  // only with the lock option
    Target target = Target::Msr;
    uint32_t reg = 0;
    uint64_t set = 0;
    uint64_t clear = 0;
    // Set as well on parts with MMX past stepping 1 (the Pentium's low-power halt).
    uint64_t setOnMmxPastStepping1 = 0;
    // Bits that follow the memory size (the K6 write-allocation limits), set as well.
    uint64_t (*setForMemory)(int32_t memoryMB) = nullptr;
};

// The K6 write-allocation limit, in 4 MB units. The older layout has 7 bits for it (bits 1-7
// of register 0xC0000082, up to 508 MB) with bit 0 for the 15-16 MB hole, the later one 10 bits
// (bits 22-31, up to 4092 MB) with bit 16 for the hole. Larger memory is capped at the field's
// maximum so that no reserved bit is ever written.
uint64_t WriteAllocationUnits(int32_t memoryMB, uint64_t fieldMax) {
    const uint64_t units = static_cast<uint64_t>(memoryMB < 0 ? 0 : memoryMB) / 4;
    return units > fieldMax ? fieldMax : units;
}
uint64_t K6WriteAllocation(int32_t memoryMB) { return WriteAllocationUnits(memoryMB, 0x7F) * 2 + 1; }
uint64_t K6LaterWriteAllocation(int32_t memoryMB) {
    return (WriteAllocationUnits(memoryMB, 0x3FF) << 22) | 0x10000;
}

constexpr uint32_t kK6WriteAllocationMsr = 0xC0000082u;

const SettingRow kSettings[] = {
    // Pentium: auto-halt on (bit 6 of register 0Eh clear); low-power halt on MMX parts.
    {.vendor = kVendorIntel, .family = 5, .reg = 0x0E, .clear = 0x40, .setOnMmxPastStepping1 = 0x200000},
    // P6 family: bit 26 of register 2Ah enables the low-power stop-grant state on halt; bit 31
    // of 33h drops lock cycles (high word left as it is).
    {.vendor = kVendorIntel, .family = 6, .modelFirst = 3, .reg = 0x2A, .set = 0x04000000},
    {.vendor = kVendorIntel, .family = 6, .modelFirst = 3, .lockOnly = true, .reg = 0x33, .set = 0x80000000u},
    // K5: write allocation.
    {.vendor = kVendorAMD, .family = 5, .modelFirst = 1, .modelLast = 3, .reg = 0x83, .set = 0x10},
    // K6: write allocation up to the memory size, and for the 15-16 MB hole.
    {.vendor = kVendorAMD, .family = 5, .modelFirst = 6, .modelLast = 7, .reg = kK6WriteAllocationMsr,
     .setForMemory = K6WriteAllocation},
    {.vendor = kVendorAMD, .family = 5, .modelFirst = 8, .modelLast = 8, .steppingLast = 7,
     .reg = kK6WriteAllocationMsr, .setForMemory = K6WriteAllocation},
    {.vendor = kVendorAMD, .family = 5, .modelFirst = 8, .modelLast = 8, .steppingFirst = 8,
     .reg = kK6WriteAllocationMsr, .setForMemory = K6LaterWriteAllocation},
    {.vendor = kVendorAMD, .family = 5, .modelFirst = 9, .modelLast = 15, .reg = kK6WriteAllocationMsr,
     .setForMemory = K6LaterWriteAllocation},
    // Cyrix: suspend on halt, no lock cycles, write allocation.
    {.vendor = kVendorCyrix, .target = Target::Cyrix, .reg = kCyrixCCR2, .set = 0x08},
    {.vendor = kVendorCyrix, .lockOnly = true, .target = Target::Cyrix, .reg = kCyrixCCR1, .set = 0x10},
    {.vendor = kVendorCyrix, .target = Target::Cyrix, .reg = kCyrixCCR5, .set = 0x01},
    // WinChip: auto-halt.
    {.vendor = kVendorIDT, .reg = 0x0E, .set = 0x40},
};

bool Fits(const SettingRow& row, const TProcessorInfo& p, bool lockOption) {
    return row.vendor == p.VendorCode && (row.family == kAnyFamily || row.family == p.Family) &&
           p.Model >= row.modelFirst && p.Model <= row.modelLast && p.Stepping >= row.steppingFirst &&
           p.Stepping <= row.steppingLast && (!row.lockOnly || lockOption);
}

}  // namespace

void TCpu::ApplyProcessorSettings(bool lockOption) {
    const TProcessorInfo& p = ProcessorInfo;
    if (p.VendorCode == kVendorCyrix) {
        // The configuration registers need the ports, and CCR5 needs the extended registers.
        registers.GrantCyrixPorts();
        registers.EnableCyrixExtendedRegisters();
    }
    for (const SettingRow& row : kSettings) {
        if (!Fits(row, p, lockOption)) continue;
        uint64_t set = row.set;
        if ((p.FeatureFlags & kFeatureMMX) && p.Stepping > 1) set |= row.setOnMmxPastStepping1;
        if (row.setForMemory) set |= row.setForMemory(PhysicalMemoryMB());
        if (row.target == Target::Msr)
            registers.ModifyMsr(row.reg, set, row.clear);
        else
            registers.ModifyCyrixRegister(static_cast<uint8_t>(row.reg), static_cast<uint8_t>(set),
                                          static_cast<uint8_t>(row.clear));
    }
}

void TCpu::ForEachProcessor(bool lockOption, int processorCount) {
    ProcessPlacement placement(os);
    // Affinity masks are 32-bit: processors past the 32nd cannot be reached this way. A
    // process that cannot be moved sets up only the processor it runs on.
    int count = processorCount < 0 ? 0 : (processorCount > 32 ? 32 : processorCount);
    if (!placement.Movable() && count > 1) count = 1;
    for (int i = 0; i < count; ++i) {
        placement.PinTo(i);
        ApplyProcessorSettings(lockOption && processorCount == 1);
    }
}
