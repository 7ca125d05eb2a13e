#include "driver/allowed.h"

namespace qpro {

namespace {

// Four characters of a vendor string as CPUID gives them in one register.
constexpr uint32_t Chars(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}

struct VendorName {
    uint32_t ebx, edx, ecx;
    Processor::Vendor vendor;
};

constexpr VendorName kVendors[] = {
    {Chars("Genu"), Chars("ineI"), Chars("ntel"), Processor::kIntel},
    {Chars("Auth"), Chars("enti"), Chars("cAMD"), Processor::kAmd},
    {Chars("Cent"), Chars("aurH"), Chars("auls"), Processor::kCentaur},
};

constexpr uint64_t kReadOnly = 0;

// One row per register and processor range on which the program reads it; `writable` is what
// its settings change there. A register on a processor without a row faults or means
// something else, so it is refused before any instruction touches it.
constexpr MsrRule kMsrRules[] = {
    // Pentium: bit 6 of 0Eh turns automatic halt off, bit 21 is the low-power halt of MMX parts.
    {0x0E, Processor::kIntel, 5, 5, 0, 15, 0, 15, 0x00200040},
    // WinChip (Centaur before family 6): bit 6 of 0Eh turns automatic halt on.
    {0x0E, Processor::kCentaur, 0, 5, 0, 15, 0, 15, 0x00000040},
    // P6 family from the Pentium II on: the stop-grant state on halt (bit 26 of 2Ah, also
    // cleared while the clock is measured) and no lock cycles (bit 31 of 33h).
    {0x2A, Processor::kIntel, 6, 6, 3, 15, 0, 15, 0x04000000},
    {0x33, Processor::kIntel, 6, 6, 3, 15, 0, 15, 0x80000000},
    // K5: write allocation.
    {0x83, Processor::kAmd, 5, 5, 1, 3, 0, 15, 0x00000010},
    // K6: the write-allocation limit in bits 1-7 with the 15-16 MB hole in bit 0; from model 8
    // stepping 8 on the limit is bits 22-31 and the hole bit 16, and 87h gives the bus divider.
    {0xC0000082, Processor::kAmd, 5, 5, 6, 7, 0, 15, 0x000000FF},
    {0xC0000082, Processor::kAmd, 5, 5, 8, 8, 0, 7, 0x000000FF},
    {0xC0000082, Processor::kAmd, 5, 5, 8, 8, 8, 15, 0xFFC10000},
    {0xC0000082, Processor::kAmd, 5, 5, 9, 15, 0, 15, 0xFFC10000},
    {0xC0000087, Processor::kAmd, 5, 5, 8, 8, 8, 15, kReadOnly},
    {0xC0000087, Processor::kAmd, 5, 5, 9, 15, 0, 15, kReadOnly},
};

bool Within(uint32_t value, uint32_t first, uint32_t last) { return value >= first && value <= last; }

struct PortRange {
    uint32_t first, last;
};
constexpr PortRange kGrantablePorts[] = {
    {0x22, 0x23},    // Cyrix configuration registers: index and data
    {0xCF8, 0xCFF},  // PCI configuration mechanism #1: address and data
};

}  // namespace

Processor IdentifyProcessor(bool cpuidPresent, const CpuidAnswer& leaf0, const CpuidAnswer& leaf1) {
    Processor p{Processor::kUnknown, 0, 0, 0};
    if (!cpuidPresent) return p;
    for (const VendorName& v : kVendors) {
        if (v.ebx == leaf0.ebx && v.edx == leaf0.edx && v.ecx == leaf0.ecx) p.vendor = v.vendor;
    }
    if (leaf0.eax < 1) return p;
    p.stepping = static_cast<uint8_t>(leaf1.eax & 0xF);
    p.model = static_cast<uint8_t>((leaf1.eax >> 4) & 0xF);
    p.family = static_cast<uint8_t>((leaf1.eax >> 8) & 0xF);
    return p;
}

const MsrRule* FindMsrRule(uint32_t reg, const Processor& p) {
    for (const MsrRule& r : kMsrRules) {
        if (r.reg == reg && r.vendor == p.vendor && Within(p.family, r.familyFirst, r.familyLast) &&
            Within(p.model, r.modelFirst, r.modelLast) &&
            Within(p.stepping, r.steppingFirst, r.steppingLast))
            return &r;
    }
    return nullptr;
}

const MsrRule* MsrRules(size_t* count) {
    *count = sizeof kMsrRules / sizeof kMsrRules[0];
    return kMsrRules;
}

bool PortGrantAllowed(uint32_t first, uint32_t last) {
    if (first > last) return false;
    for (const PortRange& r : kGrantablePorts) {
        if (Within(first, r.first, r.last) && Within(last, r.first, r.last)) return true;
    }
    return false;
}

bool C2ReadAllowed(uint32_t port) {
    return port >= kPowerBlockFloor && port <= 0xFFFF && port % kPowerBlockAlign == kLevel2Offset;
}

void OpenPortsInMap(uint8_t* map, uint16_t first, uint16_t last) {
    for (uint32_t port = first; port <= last; ++port) map[port / 8] &= static_cast<uint8_t>(~(1u << (port % 8)));
}

}  // namespace qpro
