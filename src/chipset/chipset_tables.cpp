#include "chipset/chipset_tables.h"

const TChipset Chipsets[kChipsetCount] = {
    // vendor      device  set   name
    {kPciVendorAMD,    0x7006, 0x01, "AMD 751"},
    {kPciVendorAMD,    0x700E, 0x01, "AMD 761"},
    {kPciVendorAMD,    0x700C, 0x02, "AMD 762"},
    {kPciVendorVIA,    0x0391, 0x10, "VIA KX133"},
    {kPciVendorVIA,    0x0691, 0x10, "VIA KX133"},
    {kPciVendorVIA,    0x3112, 0x10, "VIA KLE133"},
    {kPciVendorVIA,    0x0305, 0x10, "VIA KT133/KM133/KL133/KN133"},
    {kPciVendorVIA,    0x3099, 0x11, "VIA KT266/333"},
    {kPciVendorVIA,    0x3116, 0x11, "VIA KM266"},
    {kPciVendorVIA,    0x3156, 0x11, "VIA PN266/KN266"},
    {kPciVendorVIA,    0x3189, 0x12, "VIA KT400"},
    {kPciVendorVIA,    0x3205, 0x12, "VIA KM400"},
    {kPciVendorVIA,    0x0269, 0x13, "VIA KT880"},
    {kPciVendorSiS,    0x0730, 0x20, "SiS 730"},
    {kPciVendorSiS,    0x0733, 0x20, "SiS 733"},
    {kPciVendorSiS,    0x0735, 0x21, "SiS 735"},
    {kPciVendorSiS,    0x0740, 0x21, "SiS 740"},
    {kPciVendorSiS,    0x0741, 0x21, "SiS 741/741GX/M741"},
    {kPciVendorSiS,    0x0745, 0x21, "SiS 745"},
    {kPciVendorSiS,    0x0755, 0x21, "SiS 755"},
    {kPciVendorSiS,    0x0746, 0x22, "SiS 746[FX]"},
    {kPciVendorSiS,    0x0748, 0x22, "SiS 748"},
    {kPciVendorNVIDIA, 0x01A4, 0x30, "nVIDIA nForce1"},
    {kPciVendorNVIDIA, 0x01E0, 0x31, "nVIDIA nForce2"},
};

namespace {
constexpr bool kSets = false;
constexpr bool kClears = true;
}  // namespace

// Set ids by maker: 0x0n AMD, 0x1n VIA, 0x2n SiS, 0x3n NVIDIA. `{}` is an empty step.
const TChipsetOptimization ChipsetOptimizations[kChipsetOptimizationCount] = {
    {0x01, kWidthDword, {{"Halt Disconnect and Stop Grant Disconnect", 0x60, 0x60000, kSets}, {}}},
    {0x02, kWidthDword, {{"Stop Grant Disconnect #0", 0x60, 0x20000, kSets},
                         {"Stop Grant Disconnect #1", 0x68, 0x20000, kSets}}},
    {0x10, kWidthByte, {{"Enable STPGNT", 0x52, 0x80, kSets}, {}}},
    {0x11, kWidthByte, {{"Enable STPGNT", 0x92, 0x80, kSets}, {"HLT Detect", 0x95, 0x02, kSets}}},
    {0x12, kWidthByte, {{"Enable STPGNT", 0xD2, 0x80, kSets}, {"HLT Detect", 0xD5, 0x02, kSets}}},
    // The KT880 keeps its HLT detect bit at 0x55, away from its other step at 0x82.
    {0x13, kWidthByte, {{"Enable STPGNT", 0x82, 0x80, kSets}, {"HLT Detect", 0x55, 0x02, kSets}}},
    {0x20, kWidthByte, {{"ACPI C1 Disconnect Enable", 0x6B, 0x01, kSets}, {}}},
    {0x21, kWidthWord, {{"ACPI C1 and C2 Disconnect Enable", 0x6A, 0x03, kSets}, {}}},
    {0x22, kWidthWord, {{"ACPI C1 Disconnect Enable", 0x6C, 0x01, kSets}, {}}},
    {0x30, kWidthWord, {{"Halt Disconnect and Stop Grant Disconnect", 0xE6, 0x600, kSets}, {}}},
    {0x31, kWidthByte, {{"Halt Disconnect and Stop Grant Disconnect", 0x6F, 0x10, kSets},
                        {"HLT Detect", 0x6F, 0x80, kClears}}},
};

bool StepEmpty(const TRegisterOptimization& step) { return step.Register == 0 && step.Mask == 0; }

TStepRegister StepRegisterMask(const TChipsetOptimization& set, int step) {
    const TRegisterOptimization& s = set.Steps[step];
    const uint32_t reg = static_cast<uint32_t>(s.Register);
    uint32_t shift = 0;
    if (set.Width == kWidthWord) shift = 16 * ((reg % 4) / 2);
    else if (set.Width == kWidthByte) shift = 8 * (reg % 4);
    return {reg, shift ? s.Mask << shift : s.Mask};
}
