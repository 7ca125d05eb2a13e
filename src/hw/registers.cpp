#include "hw/registers.h"

#include "cpu/cpuid.h"
#include "hw/backend.h"
#include "hw/driver.h"
#include "hw/timing.h"

TMsrValue MsrCache;

namespace {

bool g_cyrixPortsGranted = false;

// The Cyrix configuration registers need a short pause between the index write and the
// data access.
inline void IoDelay() {
#if defined(__i386__) || defined(__x86_64__)
    asm volatile("nop\n\tnop");
#endif
}

}  // namespace

bool TryReadMsr(uint32_t reg, uint64_t& value) {
    hw::RequestBlock reply{};
    if (!DriverRequest(drv::kReadMsr, reg, 0, 0, &reply)) {
        value = 0;
        return false;
    }
    MsrCache.low = reply.word[0];
    MsrCache.high = reply.word[1];
    value = MsrCache.Value();
    return true;
}

uint64_t ReadMsr(uint32_t reg) {
    uint64_t value = 0;
    TryReadMsr(reg, value);
    return value;
}

bool WriteMsr(uint32_t reg) { return DriverRequest(drv::kWriteMsr, reg, MsrCache.low, MsrCache.high); }

bool WriteMsrValue(uint32_t reg, uint32_t low, uint32_t high) {
    MsrCache.low = low;
    MsrCache.high = high;
    return WriteMsr(reg);
}

bool TryModifyMsr(uint32_t reg, uint64_t setBits, uint64_t clearBits, uint64_t& old) {
    if (!TryReadMsr(reg, old)) return false;
    uint64_t v = (MsrCache.Value() | setBits) & ~clearBits;
    MsrCache.low = static_cast<uint32_t>(v);
    MsrCache.high = static_cast<uint32_t>(v >> 32);
    WriteMsr(reg);
    return true;
}

uint64_t ModifyMsr(uint32_t reg, uint64_t setBits, uint64_t clearBits) {
    uint64_t old = 0;
    TryModifyMsr(reg, setBits, clearBits, old);
    return old;
}

bool GrantCyrixPorts() {
    if (DriverRequest(drv::kGrantPorts, kCyrixIndexPort, kCyrixDataPort, 0)) g_cyrixPortsGranted = true;
    return g_cyrixPortsGranted;
}

void EnsureCyrixPorts() {
    if (!g_cyrixPortsGranted) GrantCyrixPorts();
}

void ForgetCyrixPortGrant() { g_cyrixPortsGranted = false; }

uint8_t ReadCyrixRegister(uint8_t index) {
    hw::backend::PortOut8(kCyrixIndexPort, index);
    IoDelay();
    return hw::backend::PortIn8(kCyrixDataPort);
}

void WriteCyrixRegister(uint8_t index, uint8_t value) {
    hw::backend::PortOut8(kCyrixIndexPort, index);
    IoDelay();
    hw::backend::PortOut8(kCyrixDataPort, value);
}

uint8_t ModifyCyrixRegister(uint8_t index, uint8_t setBits, uint8_t clearBits) {
    uint8_t old = ReadCyrixRegister(index);
    WriteCyrixRegister(index, static_cast<uint8_t>((old | setBits) & ~clearBits));
    return old;
}

void EnableCyrixExtendedRegisters() { WriteCyrixRegister(kCyrixCCR3, ReadCyrixRegister(kCyrixCCR3) | 0x10); }

// ---- the per-processor settings, one row per register change, applied in table order ----

namespace {

enum class Target { Msr, Cyrix };

struct SettingRow {
    int vendor;
    bool (*applies)(const TProcessorInfo& p, bool lockOption);
    Target target;
    uint32_t reg;
    uint64_t (*setBits)(const TProcessorInfo& p);
    uint64_t clearBits;
};

// The K6 write-allocation limit, in 4 MB units. The older layout has 7 bits for it (bits 1-7
// of register 0xC0000082, up to 508 MB), the later one 10 bits (bits 22-31, up to 4092 MB).
// Larger memory is capped at the field's maximum so that no reserved bit is ever written.
uint64_t WriteAllocationUnits(uint64_t fieldMax) {
    uint64_t units = static_cast<uint64_t>(PhysicalMemoryMB()) / 4;
    return units > fieldMax ? fieldMax : units;
}

bool IsK6OldWriteAllocation(const TProcessorInfo& p) {
    return p.Family == 5 && (p.Model == 6 || p.Model == 7 || (p.Model == 8 && p.Stepping < 8));
}
bool IsK6NewWriteAllocation(const TProcessorInfo& p) {
    return p.Family == 5 && ((p.Model == 8 && p.Stepping >= 8) || (p.Model >= 9 && p.Model <= 15));
}

uint64_t Bits(uint64_t v) { return v; }

const SettingRow kSettings[] = {
    // Pentium: auto-halt on (bit 6 of register 0x0E clear); low-power halt on MMX parts past stepping 1.
    {kVendorIntel, [](const TProcessorInfo& p, bool) { return p.Family == 5; }, Target::Msr, 0x0E,
     [](const TProcessorInfo& p) {
         return Bits((p.FeatureFlags & kFeatureMMX) && p.Stepping > 1 ? 0x200000 : 0);
     },
     0x40},
    // P6 family: bit 26 of register 0x2A enables the low-power stop-grant state on halt.
    {kVendorIntel, [](const TProcessorInfo& p, bool) { return p.Family == 6 && p.Model >= 3; }, Target::Msr,
     0x2A, [](const TProcessorInfo&) { return Bits(0x04000000); }, 0},
    {kVendorIntel, [](const TProcessorInfo& p, bool lock) { return lock && p.Family == 6 && p.Model >= 3; },
     Target::Msr, 0x33, [](const TProcessorInfo&) { return Bits(0x80000000u); }, 0},
    // K5: write allocation.
    {kVendorAMD, [](const TProcessorInfo& p, bool) { return p.Family == 5 && p.Model >= 1 && p.Model <= 3; },
     Target::Msr, 0x83, [](const TProcessorInfo&) { return Bits(0x10); }, 0},
    // K6: write allocation up to the memory size, and for the 15-16 MB hole.
    {kVendorAMD, [](const TProcessorInfo& p, bool) { return IsK6OldWriteAllocation(p); }, Target::Msr,
     0xC0000082u, [](const TProcessorInfo&) { return WriteAllocationUnits(0x7F) * 2 + 1; }, 0},
    {kVendorAMD, [](const TProcessorInfo& p, bool) { return IsK6NewWriteAllocation(p); }, Target::Msr,
     0xC0000082u, [](const TProcessorInfo&) { return (WriteAllocationUnits(0x3FF) << 22) | 0x10000; }, 0},
    // Cyrix: suspend on halt, no lock cycles, write allocation.
    {kVendorCyrix, [](const TProcessorInfo&, bool) { return true; }, Target::Cyrix, kCyrixCCR2,
     [](const TProcessorInfo&) { return Bits(0x08); }, 0},
    {kVendorCyrix, [](const TProcessorInfo&, bool lock) { return lock; }, Target::Cyrix, kCyrixCCR1,
     [](const TProcessorInfo&) { return Bits(0x10); }, 0},
    {kVendorCyrix, [](const TProcessorInfo&, bool) { return true; }, Target::Cyrix, kCyrixCCR5,
     [](const TProcessorInfo&) { return Bits(0x01); }, 0},
    // WinChip: auto-halt.
    {kVendorIDT, [](const TProcessorInfo&, bool) { return true; }, Target::Msr, 0x0E,
     [](const TProcessorInfo&) { return Bits(0x40); }, 0},
};

}  // namespace

void ApplyProcessorSettings(bool lockOption) {
    const TProcessorInfo& p = ProcessorInfo;
    if (p.VendorCode == kVendorCyrix) {
        // The configuration registers need the ports, and CCR5 needs the extended registers.
        GrantCyrixPorts();
        EnableCyrixExtendedRegisters();
    }
    for (const SettingRow& row : kSettings) {
        if (row.vendor != p.VendorCode || !row.applies(p, lockOption)) continue;
        const uint64_t set = row.setBits(p);
        if (row.target == Target::Msr)
            ModifyMsr(row.reg, set, row.clearBits);
        else
            ModifyCyrixRegister(static_cast<uint8_t>(row.reg), static_cast<uint8_t>(set),
                                static_cast<uint8_t>(row.clearBits));
    }
}
