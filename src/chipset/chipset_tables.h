// The supported northbridges and the host-bridge register sets that let an Athlon-class
// processor disconnect from the bus while it is halted or in stop-grant.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int32_t kPciVendorAMD = 0x1022;
constexpr int32_t kPciVendorVIA = 0x1106;
constexpr int32_t kPciVendorSiS = 0x1039;
constexpr int32_t kPciVendorNVIDIA = 0x10DE;

// One supported northbridge. `Name` is descriptive only, never shown or logged.
struct TChipset {
    int32_t VendorID;
    int32_t DeviceID;
    int32_t OptimizationID;  // the ID of its register set
    const char* Name;
};

// One step of a register set: bits of a host-bridge register (bus 0, device 0, function 0).
// A step whose Register and Mask are both 0 is empty and skipped everywhere.
struct TRegisterOptimization {
    const char* Description;  // used in log lines
    int32_t Register;         // byte address in configuration space
    uint32_t Mask;            // relative to the byte, word or doubleword at Register
    bool Clear;               // optimizing clears the bits instead of setting them
};

// The width of the registers of a set, which places a step's mask in its doubleword.
enum : int32_t { kWidthDword = 0, kWidthWord = 1, kWidthByte = 2 };

struct TChipsetOptimization {
    int32_t ID;
    int32_t Width;
    TRegisterOptimization Steps[2];  // applied in index order
};

constexpr size_t kChipsetCount = 24;
constexpr size_t kChipsetOptimizationCount = 11;
// Searched in this order: the first row whose device is present anywhere wins.
extern const TChipset Chipsets[kChipsetCount];
extern const TChipsetOptimization ChipsetOptimizations[kChipsetOptimizationCount];

bool StepEmpty(const TRegisterOptimization& step);

// A step's register, unchanged, and its mask placed within the aligned doubleword.
struct TStepRegister {
    uint32_t Register;
    uint32_t Mask;
};
TStepRegister StepRegisterMask(const TChipsetOptimization& set, int step);
