// The host-bridge operations and the captured register image.
#include "chipset/chipset.h"
#include "hw/pci_config.h"

namespace {
constexpr uint32_t Slot(uint32_t reg) { return (reg & 0xFF) / 4; }
}  // namespace

uint32_t MergeBits(uint32_t value, uint32_t mask, uint32_t saved, bool invert) {
    if (invert) mask = ~mask;
    return (value & mask) | (saved & ~mask);
}

void TChipsetSupport::SaveHostRegister(uint32_t reg) { SavedHostRegisters[Slot(reg)] = ReadPCI(0, 0, 0, reg); }

void TChipsetSupport::SetHostBits(uint32_t reg, uint32_t bits) { WritePCI(0, 0, 0, reg, ReadPCI(0, 0, 0, reg) | bits); }

void TChipsetSupport::ClearHostBits(uint32_t reg, uint32_t bits) {
    WritePCI(0, 0, 0, reg, ReadPCI(0, 0, 0, reg) & ~bits);
}

uint32_t TChipsetSupport::RestoreHostBits(uint32_t reg, uint32_t mask) {
    const uint32_t value = MergeBits(ReadPCI(0, 0, 0, reg), mask, SavedHostRegisters[Slot(reg)], true);
    WritePCI(0, 0, 0, reg, value);
    return value;
}
