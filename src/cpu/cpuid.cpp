#include "cpu/cpuid.h"

#include <cstring>
#include <initializer_list>
#include <optional>

#include "cpu/processor.h"
#include "hw/backend.h"

namespace {

// ---- vendor table: compared in this order, the first equal string wins ----

struct VendorRow {
    const char* vendorString;
    int code;
};

constexpr VendorRow kVendors[] = {
    {"AuthenticAMD", kVendorAMD},   {"GenuineIntel", kVendorIntel},     {"CyrixInstead", kVendorCyrix},
    {"CentaurHauls", kVendorIDT},   {"NexGenDriven", kVendorNexGen},    {"UMC UMC UMC ", kVendorUMC},
    {"SiS SiS SiS ", kVendorSiS},   {"RiseRiseRise", kVendorRise},      {"GenuineTMx86", kVendorTransMeta},
    {"Geode by NSC", kVendorNSC},
};

// Early Pentium A-steps return their signature in EAX of leaf 0 instead of a level and no
// vendor string; any level above this is taken for one of them.
constexpr uint32_t kHighestPlausibleLevel = 0x500;

// ---- naming table: one row per name, walked top to bottom by NameProcessor ----

enum class L2Rule : uint8_t { Any, Zero, NonZero, Is128, Not128 };

struct NameRow {
    int vendor;
    int family;
    uint16_t models;     // bit m set: model m fits
    uint16_t steppings;  // bit s set: stepping s fits
    L2Rule l2;
    const char* name;
    const char* codeName;

    constexpr NameRow Steppings(int first, int last) const {
        NameRow r = *this;
        r.steppings = 0;
        for (int s = first; s <= last; ++s) r.steppings |= static_cast<uint16_t>(1u << s);
        return r;
    }
    constexpr NameRow L2(L2Rule rule) const {
        NameRow r = *this;
        r.l2 = rule;
        return r;
    }
};

// A set of models: Models({6, 7}) or Range(9, 15).
constexpr uint16_t Models(std::initializer_list<int> models) {
    uint16_t mask = 0;
    for (int m : models) mask |= static_cast<uint16_t>(1u << m);
    return mask;
}
constexpr uint16_t Range(int first, int last) {
    uint16_t mask = 0;
    for (int m = first; m <= last; ++m) mask |= static_cast<uint16_t>(1u << m);
    return mask;
}

constexpr NameRow Row(int vendor, int family, uint16_t models, const char* name, const char* codeName = "") {
    return NameRow{vendor, family, models, 0xFFFF, L2Rule::Any, name, codeName};
}

constexpr int AMD = kVendorAMD, Cyrix = kVendorCyrix, Intel = kVendorIntel, IDT = kVendorIDT, UMC = kVendorUMC,
              TransMeta = kVendorTransMeta, VIA = kVendorVIA;

const NameRow kNames[] = {
    Row(AMD, 4, Models({3}), "80486DX2"),
    Row(AMD, 4, Models({7}), "80486DX2WB"),
    Row(AMD, 4, Models({8}), "80486DX4"),
    Row(AMD, 4, Models({9}), "80486DX4WB"),
    Row(AMD, 4, Models({14}), "5x86"),
    Row(AMD, 4, Models({15}), "5x86WB"),
    Row(AMD, 5, Models({0}), "SSA5 (PR75, PR90, PR100)"),
    Row(AMD, 5, Models({1}), "5k86 (PR120, PR133)"),
    Row(AMD, 5, Models({2}), "5k86 (PR166)"),
    Row(AMD, 5, Models({3}), "5k86 (PR200)"),
    Row(AMD, 5, Models({6, 7}), "K6"),
    Row(AMD, 5, Models({8}), "K6-2 3DNow"),
    Row(AMD, 5, Models({9}), "K6-III 3DNow"),
    Row(AMD, 5, Models({13}), "K6-III+").Steppings(0, 3),
    Row(AMD, 5, Models({13}), "K6-2+").Steppings(4, 7),
    Row(AMD, 6, Models({0, 1}), "Athlon", "K7"),
    Row(AMD, 6, Models({2}), "Athlon", "K75"),
    Row(AMD, 6, Models({3}), "Duron", "Spitfire"),
    Row(AMD, 6, Models({7}), "Duron", "Morgan"),
    Row(AMD, 6, Models({4}), "Athlon", "Thunderbird"),
    Row(AMD, 6, Models({5}), "Athlon", "Mustang"),
    Row(AMD, 6, Models({6}), "Athlon 4/MP/XP", "Palomino"),
    Row(AMD, 6, Models({8}), "Athlon XP", "Thoroughbred"),
    Row(AMD, 6, Models({10}), "Athlon XP", "Barton"),
    Row(AMD, 15, Models({0, 5}), "Opteron", "ClawHammer"),
    Row(AMD, 15, Models({3}), "Athlon 64 X2", "Toledo"),
    Row(AMD, 15, Models({4}), "Athlon 64", "0.13 \xB5m 754"),
    Row(AMD, 15, Models({11}), "Athlon 64", "0.13 \xB5m 939"),
    Row(AMD, 15, Models({7}), "Athlon 64", "ClawHammer"),
    Row(AMD, 15, Models({8, 12, 15}), "Athlon 64", "NewCastle"),
    Row(AMD, 15, Models({13}), "Athlon 64"),

    Row(Cyrix, 4, Models({4}), "MediaGX"),
    Row(Cyrix, 4, Models({9}), "5x86"),
    Row(Cyrix, 5, Models({2}), "6x86"),
    Row(Cyrix, 5, Models({4}), "MediaGXm"),
    Row(Cyrix, 6, Models({0}), "Cyrix MII", "M2"),
    Row(Cyrix, 6, Models({5}), "Cyrix III", "Joshua"),

    Row(Intel, 4, Models({0}), "486 DX-25/33"),
    Row(Intel, 4, Models({1}), "486 DX-50"),
    Row(Intel, 4, Models({2}), "486 SX"),
    Row(Intel, 4, Models({3}), "486 DX2"),
    Row(Intel, 4, Models({4}), "486 SL"),
    Row(Intel, 4, Models({5}), "486 SX2"),
    Row(Intel, 4, Models({7}), "486 DX2-WB"),
    Row(Intel, 4, Models({8}), "486 DX4"),
    Row(Intel, 4, Models({9}), "486 DX4-WB"),
    Row(Intel, 5, Models({0}), "Pentium A-step"),
    Row(Intel, 5, Models({1}), "Pentium 60/66"),
    Row(Intel, 5, Models({2}), "Pentium", "P54C"),
    Row(Intel, 5, Models({3}), "Pentium OverDrive", "P24T"),
    Row(Intel, 5, Models({4}), "Pentium MMX", "P55C"),
    Row(Intel, 5, Models({7}), "Mobile Pentium", "P54C"),
    Row(Intel, 5, Models({8}), "Mobile Pentium MMX", "P55C"),
    Row(Intel, 6, Models({0}), "Pentium Pro A-step"),
    Row(Intel, 6, Models({1}), "Pentium Pro"),
    Row(Intel, 6, Models({3}), "Pentium II", "Klamath"),
    // Deschutes and Covington share model 5; the Celeron has no L2 cache.
    Row(Intel, 6, Models({5}), "Pentium II", "Deschutes").L2(L2Rule::NonZero),
    Row(Intel, 6, Models({5}), "Celeron", "Covington").L2(L2Rule::Zero),
    Row(Intel, 6, Models({6}), "Celeron", "Mendocino").L2(L2Rule::Is128),
    Row(Intel, 6, Models({6}), "Mobile Pentium II"),
    Row(Intel, 6, Models({7}), "Pentium III", "Katmai").L2(L2Rule::Not128),
    Row(Intel, 6, Models({8}), "Pentium III", "Coppermine").L2(L2Rule::Not128),
    Row(Intel, 6, Models({7}), "Celeron", "Katmai").L2(L2Rule::Is128),
    Row(Intel, 6, Models({8}), "Celeron", "Coppermine").L2(L2Rule::Is128),
    Row(Intel, 6, Models({9}), "Pentium M", "Banias"),
    Row(Intel, 6, Models({13}), "Pentium M", "Dothan"),
    Row(Intel, 6, Models({10}), "Pentium III Xeon"),
    Row(Intel, 6, Models({11}), "Mobile Pentium III-S", "Tualatin"),
    Row(Intel, 6, Models({14}), "Core Duo", "Yonah"),
    Row(Intel, 6, Models({15}), "Core 2 Duo", "Merom"),
    Row(Intel, 7, Models({0}), "Itanium", "Merced"),
    Row(Intel, 7, Range(1, 15), "Itanium"),
    Row(Intel, 11, Models({1}), "Mobile Pentium III-M"),
    Row(Intel, 15, Models({0, 1}), "Pentium 4", "Willamette"),
    Row(Intel, 15, Models({2}), "Pentium 4", "Northwood"),
    Row(Intel, 15, Models({6}), "Pentium 4", "Cedar Mill"),
    Row(Intel, 15, Models({3}), "Pentium 4E", "Prescott"),
    Row(Intel, 15, Models({4}), "Celeron", "Prescott"),
    Row(Intel, 15, Models({10}), "Xeon 4"),

    Row(IDT, 5, Models({4}), "WinChip C6"),
    Row(IDT, 5, Models({9}), "WinChip 3"),
    Row(IDT, 5, Models({8}), "WinChip 2A").Steppings(7, 9),
    Row(IDT, 5, Models({8}), "WinChip 2B").Steppings(10, 15),
    Row(IDT, 5, Models({8}), "WinChip 2").Steppings(0, 6),

    Row(UMC, 4, Models({1}), "U5D"),
    Row(UMC, 4, Models({2}), "U5S"),

    Row(TransMeta, 5, Models({4}), "TM5400", "Crusoe"),

    Row(VIA, 6, Models({6}), "VIA Cyrix III"),
    Row(VIA, 6, Models({7}), "VIA C3", "Samuel 2").Steppings(0, 7),
    Row(VIA, 6, Models({7}), "VIA C3", "Ezra").Steppings(8, 15),
    Row(VIA, 6, Models({8}), "VIA C3 Ezra-T", "Ezra-T"),
    Row(VIA, 6, Models({9}), "VIA C3 Epia", "Nehemiah"),
    Row(VIA, 6, Models({10}), "VIA C7", "Esther"),
};

bool L2Fits(L2Rule rule, int size) {
    switch (rule) {
    case L2Rule::Any: return true;
    case L2Rule::Zero: return size == 0;
    case L2Rule::NonZero: return size != 0;
    case L2Rule::Is128: return size == 128;
    case L2Rule::Not128: return size != 128;
    }
    return false;
}

// The 12 characters of EBX, EDX, ECX, cut at a zero byte.
std::string VendorText(const hw::CpuidRegisters& r) {
    char text[13] = {};
    std::memcpy(text, &r.ebx, 4);
    std::memcpy(text + 4, &r.edx, 4);
    std::memcpy(text + 8, &r.ecx, 4);
    return std::string(text);
}

}  // namespace

void TCpu::ReadSignature() {
    TProcessorInfo& p = ProcessorInfo;
    p.MaxStandardLevel = ExecuteCpuid(0);
    p.VendorString = VendorText(CpuidResult);
    if (p.MaxStandardLevel <= kHighestPlausibleLevel) {
        uint32_t eax = ExecuteCpuid(1);
        p.Stepping = static_cast<int>(eax & 0xF);
        p.Model = static_cast<int>((eax >> 4) & 0xF);
        p.Family = static_cast<int>((eax >> 8) & 0xF);
        p.FeatureFlags = CpuidResult.edx;
    }
}

void TCpu::ClassifyVendor() {
    TProcessorInfo& p = ProcessorInfo;
    p.VendorCode = VendorCodeOf(p.VendorString);
    if (p.VendorCode == kVendorIDT && p.Family >= 6) p.VendorCode = kVendorVIA;
    if (p.VendorCode == kVendorUnknown && p.MaxStandardLevel > kHighestPlausibleLevel) {
        // A Pentium A-step: its leaf 0 carried the signature, and its features are known.
        p.VendorCode = kVendorIntel;
        p.Model = 0;
        p.Family = 5;
        p.FeatureFlags = 0x1BF;
    }
}

void TCpu::ReadBrandString() {
    TProcessorInfo& p = ProcessorInfo;
    p.MaxExtendedLevel = ExecuteCpuid(0x80000000u);
    p.BrandString.clear();
    if (p.MaxExtendedLevel >= 0x80000004u && (p.MaxExtendedLevel & 0x80000000u)) {
        std::string brand;
        for (uint32_t leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
            ExecuteCpuid(leaf);
            brand += BrandPiece(CpuidResult);
        }
        p.BrandString = TrimBrand(brand.substr(0, 48));
    }
}

bool TCpu::IsCpuidAvailable() {
    ProcessorInfo.CpuidAvailable = hw::backend::CpuidToggles();
    return ProcessorInfo.CpuidAvailable;
}

uint32_t TCpu::ExecuteCpuid(uint32_t leaf) {
    CpuidResult = hw::backend::Cpuid(leaf);
    return CpuidResult.eax;
}

bool TCpu::IsCyrixProcessor() { return hw::backend::DivisionKeepsFlags(); }

int VendorCodeOf(const std::string& vendorString) {
    for (const VendorRow& row : kVendors)
        if (vendorString == row.vendorString) return row.code;
    return kVendorUnknown;
}

int L2SizeFromDescriptors(const hw::CpuidRegisters& leaf2) {
    // The low byte of EAX is the number of times leaf 2 must be run, not a descriptor.
    const uint32_t registers[4] = {leaf2.eax & 0xFFFFFF00u, leaf2.ebx, leaf2.ecx, leaf2.edx};
    int size = 0;
    for (uint32_t r : registers) {
        if (r & 0x80000000u) continue;  // bit 31 set: this register holds no descriptors
        for (int i = 0; i < 4; ++i) {
            switch ((r >> (8 * i)) & 0xFF) {
            case 0x40: size = 0; break;
            case 0x41: size = 128; break;
            case 0x42: size = 256; break;
            case 0x43: size = 512; break;
            case 0x44: size = 1024; break;
            case 0x45: size = 2048; break;
            default: break;
            }
        }
    }
    return size;
}

int TCpu::L2CacheSizeKB() {
    ExecuteCpuid(2);
    return L2SizeFromDescriptors(CpuidResult);
}

std::string BrandPiece(const hw::CpuidRegisters& r) {
    char bytes[17] = {};
    std::memcpy(bytes, &r.eax, 4);
    std::memcpy(bytes + 4, &r.ebx, 4);
    std::memcpy(bytes + 8, &r.ecx, 4);
    std::memcpy(bytes + 12, &r.edx, 4);
    return std::string(bytes);  // stops at the first zero byte
}

std::string TrimBrand(const std::string& text) {
    auto junk = [](unsigned char c) { return c <= 0x20 || c == 0x7F; };
    size_t first = 0, last = text.size();
    while (first < last && junk(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && junk(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

void NameProcessor(TProcessorInfo& info, const std::function<int()>& l2SizeKB) {
    info.ProcessorName = "unknown";
    info.CodeName.clear();
    std::optional<int> l2;
    for (const NameRow& row : kNames) {
        if (row.vendor != info.VendorCode || row.family != info.Family) continue;
        if (info.Model < 0 || info.Model > 15 || !(row.models & (1u << info.Model))) continue;
        if (info.Stepping < 0 || info.Stepping > 15 || !(row.steppings & (1u << info.Stepping))) continue;
        if (row.l2 != L2Rule::Any) {
            if (!l2) l2 = l2SizeKB ? l2SizeKB() : 0;
            if (!L2Fits(row.l2, *l2)) continue;
        }
        info.ProcessorName = row.name;
        info.CodeName = row.codeName;
        return;
    }
}

void TCpu::IdentifyProcessor() {
    ProcessorInfo = TProcessorInfo{};
    CpuidResult = hw::CpuidRegisters{0, 0, 0, 0};
    if (IsCpuidAvailable()) {
        ReadSignature();
    } else if (IsCyrixProcessor()) {
        // Many Cyrix parts ship with CPUID switched off; bit 7 of CCR4 switches it on.
        registers.GrantCyrixPorts();
        registers.EnableCyrixExtendedRegisters();
        registers.ModifyCyrixRegister(kCyrixCCR4, 0x80, 0);
        if (IsCpuidAvailable()) ReadSignature();
    }
    if (!ProcessorInfo.CpuidAvailable) return;
    ClassifyVendor();
    ReadBrandString();
    NameProcessor(ProcessorInfo, [this] { return L2CacheSizeKB(); });
}
