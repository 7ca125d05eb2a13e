// Processor identification: whether CPUID exists (switching it on for Cyrix processors that
// ship with it disabled), the vendor, signature, feature flags and brand string, and a name
// and core code name for the processor out of fixed tables.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "hw/backend.h"

// Vendor codes. 0-8 have display names on the CPU page; 9-11 were added later.
enum VendorCode : int {
    kVendorAMD = 0,
    kVendorCyrix = 1,
    kVendorIntel = 2,
    kVendorIDT = 3,
    kVendorNexGen = 4,
    kVendorUMC = 5,
    kVendorTransMeta = 6,
    kVendorVIA = 7,
    kVendorUnknown = 8,
    kVendorSiS = 9,
    kVendorRise = 10,
    kVendorNSC = 11,
};

// Feature flag bits (EDX of leaf 1) the program looks at.
constexpr uint32_t kFeatureTSC = 1u << 4;
constexpr uint32_t kFeatureMMX = 1u << 23;
constexpr uint32_t kFeatureSSE = 1u << 25;
constexpr uint32_t kFeatureSSE2 = 1u << 26;

struct TProcessorInfo {
    bool CpuidAvailable = false;
    uint32_t MaxStandardLevel = 0;
    std::string VendorString;  // at most 12 characters
    int VendorCode = 0;
    int Family = 0;
    int Model = 0;
    int Stepping = 0;
    uint32_t FeatureFlags = 0;
    uint32_t MaxExtendedLevel = 0;
    std::string BrandString;    // at most 48 characters, trimmed
    std::string ProcessorName;  // "unknown" when no table row fits; empty without CPUID
    std::string CodeName;       // empty when the tables give none
};

// ---- the pieces of IdentifyProcessor, usable on their own ----

// The vendor code of a vendor string (before the CentaurHauls and level rules).
int VendorCodeOf(const std::string& vendorString);
// Leaf-2 registers to an L2 size: the last of the descriptors 0x40-0x45 wins.
int L2SizeFromDescriptors(const hw::CpuidRegisters& leaf2);
// The four registers of a brand-string leaf as the 16 bytes they hold in memory, cut at the
// first zero byte.
std::string BrandPiece(const hw::CpuidRegisters& r);
// Removes leading and trailing blanks and control characters.
std::string TrimBrand(const std::string& text);
// Sets ProcessorName and CodeName from the naming table. `l2SizeKB` is asked at most once,
// and only for the Intel family 6 rows that depend on the L2 size.
void NameProcessor(TProcessorInfo& info, const std::function<int()>& l2SizeKB);

