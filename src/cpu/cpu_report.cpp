#include "cpu/cpu_report.h"

#include "common/format.h"
#include "common/log.h"

namespace {

const char* const kVendorNames[] = {"AMD", "Cyrix", "Intel", "IDT", "NexGen", "UMC", "TransMeta", "VIA", "unknown",
                                    // not in the original list; named after their vendor strings
                                    "SiS", "Rise", "NSC"};

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// ---- picture classes: the first fitting row names the picture, else the vendor's name ----

struct PictureRow {
    int vendor;
    int family;
    int modelFirst, modelLast;
    const char* codeName;  // null: any code name; otherwise the code name must equal it
    const char* picture;
};

const PictureRow kPictures[] = {
    {kVendorAMD, 5, 6, 7, nullptr, "AMD_K6"},
    {kVendorAMD, 5, 8, 8, nullptr, "AMD_K6_2"},
    {kVendorAMD, 5, 9, 15, nullptr, "AMD_K6_3"},
    {kVendorAMD, 6, 0, 2, nullptr, "AMD_K7"},
    {kVendorAMD, 6, 3, 15, nullptr, "AMD_ATHLON"},
    {kVendorCyrix, 5, 2, 2, nullptr, "CYRIX_M1"},
    {kVendorCyrix, 6, 0, 0, nullptr, "CYRIX_M2"},
    {kVendorCyrix, 6, 5, 5, nullptr, "CYRIX_III"},
    {kVendorCyrix, 4, 4, 4, nullptr, "CYRIX_MEDIAGX"},
    {kVendorCyrix, 5, 4, 4, nullptr, "CYRIX_MEDIAGX"},
    {kVendorIntel, 5, 0, 15, nullptr, "INTEL_P5"},
    {kVendorIntel, 6, 3, 6, "Mendocino", "INTEL_P3_CELERON"},
    {kVendorIntel, 6, 3, 6, nullptr, "INTEL_P2"},
    {kVendorIntel, 6, 7, 8, nullptr, "INTEL_P3"},
    {kVendorIntel, 6, 9, 13, nullptr, "INTEL_PENTIUM_M"},
    {kVendorIntel, 6, 14, 14, nullptr, "INTEL_CORE"},
    {kVendorIntel, 6, 15, 15, nullptr, "INTEL_CORE2"},
    // Intel family 15 keeps the vendor name "Intel", as every unlisted combination does,
    // although the library also holds a picture INTEL_P4.
};

// ---- the report ----

// The bus divider of the later K6 parts, by bits 0-2 of register 0xC0000087.
const char* const kBusDividers[] = {"4.5x", "5.0x", "4.0x", "5.5x", "2.5x", "3.0x", "6.0x", "3.5x"};

bool Bit(uint64_t value, int bit) { return (value >> bit) & 1; }

// The power lines differ on purpose from the settings rows: the Pentium line needs model 2 or
// later, and "No Lock" is shown for models 3-5 only.
void AddPowerLines(std::vector<std::string>& lines, TCpu& cpu, const StateWords& w) {
    const TProcessorInfo& p = cpu.ProcessorInfo;
    TRegisters& r = cpu.registers;
    auto line = [&](const std::string& label, bool on) { lines.push_back(label + w.Enabled(on)); };

    if (p.VendorCode == kVendorIntel && p.Family == 5 && p.Model >= 2) {
        const uint64_t v = r.ReadMsr(0x0E);
        line("\r\nAuto HLT:\t", !Bit(v, 6));
        if ((p.FeatureFlags & kFeatureMMX) && p.Stepping > 1) line("Low Power:\t", Bit(v, 21));
    }
    if (p.VendorCode == kVendorIntel && p.Family == 6 && p.Model >= 3)
        line("\r\nAuto Hlt:\t", Bit(r.ReadMsr(0x2A), 26));
    if (p.VendorCode == kVendorIntel && p.Family == 6 && p.Model >= 3 && p.Model <= 5)
        line("No Lock:\t", Bit(r.ReadMsr(0x33), 31));
    if (p.VendorCode == kVendorIDT) line("\r\nAuto Hlt:\t", Bit(r.ReadMsr(0x0E), 6));
    if (p.VendorCode == kVendorAMD && p.Family == 5 && p.Model >= 1 && p.Model <= 3)
        line("\r\nWrite Allocation:\t", Bit(r.ReadMsr(0x83), 4));
    if (p.VendorCode == kVendorAMD && p.Family == 5 && p.Model >= 6) {
        lines.push_back("");
        const uint64_t v = r.ReadMsr(0xC0000082u);
        if (p.Model == 6 || p.Model == 7 || (p.Model == 8 && p.Stepping < 8)) {
            line("Write Allocation:\t", (v & 0xFE) != 0);
            line("Wt Alloc 15-16MB:\t", Bit(v, 0));
        } else {
            // The limit field is bits 22-31; looking at 22-27 only would call 256 MB and more "disabled".
            line("Write Allocation:\t", (v & 0xFFC00000u) != 0);
            line("Wt Alloc 15-16MB:\t", Bit(v, 16));
            lines.push_back(std::string("Bus frequency div:\t") + kBusDividers[r.ReadMsr(0xC0000087u) & 7]);
        }
    }
    if (p.VendorCode == kVendorCyrix) {
        // The ports may not have been granted yet (CPUID was on from the start and the
        // settings were not applied); reading them without the grant would fault.
        r.EnsureCyrixPorts();
        line("\r\nSuspend on HLT:\t", Bit(r.ReadCyrixRegister(kCyrixCCR2), 3));
        line("No Lock:\t\t", Bit(r.ReadCyrixRegister(kCyrixCCR1), 4));
        line("Write Allocation:\t", Bit(r.ReadCyrixRegister(kCyrixCCR5), 0));
    }
}

}  // namespace

std::string VendorDisplayName(int vendorCode) {
    const int count = static_cast<int>(sizeof kVendorNames / sizeof kVendorNames[0]);
    return vendorCode >= 0 && vendorCode < count ? kVendorNames[vendorCode] : kVendorNames[kVendorUnknown];
}

std::string PictureName(const TProcessorInfo& info) {
    for (const PictureRow& row : kPictures) {
        if (row.vendor != info.VendorCode || row.family != info.Family) continue;
        if (info.Model < row.modelFirst || info.Model > row.modelLast) continue;
        if (row.codeName && info.CodeName != row.codeName) continue;
        return row.picture;
    }
    return VendorDisplayName(info.VendorCode);
}

std::vector<std::string> PictureCandidates(const TProcessorInfo& info) {
    std::vector<std::string> names;
    if (info.VendorCode == kVendorAMD) names.push_back("AMD_K7_" + UpperAscii(info.CodeName));
    names.push_back(PictureName(info));
    return names;
}

std::vector<std::string> CpuReportLines(TCpu& cpu, const StateWords& w, int processorCount) {
    const TProcessorInfo& p = cpu.ProcessorInfo;
    const std::string vendor = VendorDisplayName(p.VendorCode);
    LogFormat("CPU %s %x %x %x %s", {vendor, p.Family, p.Model, p.Stepping, p.ProcessorName});
    std::vector<std::string> lines;
    if (!p.BrandString.empty()) lines.push_back(p.BrandString + "\r\n");
    lines.push_back(Format("%d Processor(s)\r\n", {processorCount}));
    lines.push_back("Vendor:\t\t" + vendor + "\r\n");
    lines.push_back("Family:\t\t" + std::to_string(p.Family));
    lines.push_back("Model:\t\t" + std::to_string(p.Model));
    lines.push_back("Stepping:\t" + std::to_string(p.Stepping) + "\r\n");
    lines.push_back("Type:\t\t" + p.ProcessorName);
    lines.push_back("Codename:\t" + p.CodeName + "\r\n");
    lines.push_back("MMX:\t\t" + w.Available(p.FeatureFlags & kFeatureMMX));
    lines.push_back("SSE:\t\t" + w.Available(p.FeatureFlags & kFeatureSSE));
    lines.push_back("SSE2:\t\t" + w.Available(p.FeatureFlags & kFeatureSSE2));
    AddPowerLines(lines, cpu, w);
    return lines;
}

int WindowsVersionCode(const ProcessorPlatform::Version& v) {
    // The second character of the service text, trimmed: "B" marks the second 95 release,
    // "A" the second 98 release.
    auto marker = [&] {
        if (v.servicePack.size() < 2) return std::string();
        const char c = v.servicePack[1];
        return c == ' ' || (static_cast<unsigned char>(c) < 0x20) ? std::string() : std::string(1, c);
    };
    switch (v.platform) {
    case 0: return 1;
    case 1:
        if (v.minor == 0) return marker() == "B" ? 3 : 2;
        if (v.minor == 10) return marker() == "A" ? 5 : 4;
        if (v.minor == 90) return v.build == 0x045A0BB8 ? 6 : 0;
        return 7;
    case 2:
        if (v.major == 3) return 8;
        if (v.major == 4) return 9;
        if (v.major == 5) return v.minor == 0 ? 10 : v.minor == 1 ? 11 : v.minor == 2 ? 13 : 12;
        if (v.major == 6) return 14;
        return 0;
    default: return 0;
    }
}

int WindowsVersionCode(ProcessorPlatform& os) {
    ProcessorPlatform::Version v;
    return os.GetVersion(v) ? WindowsVersionCode(v) : 0;
}
