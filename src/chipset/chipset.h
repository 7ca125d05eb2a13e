// Chipset support for one run of the program: the PCI device list, the host-bridge
// registers captured at start-up, the identified north- and southbridge with the C2 port,
// and the register optimization and audio fix applied while cooling is on.
//
// The program creates one object before the main window and keeps it to the end. Start-up
// calls ScanPCIBus, later IdentifyChipset; cooling control calls ChipsetCoolingOn and
// ChipsetCoolingOff. The idle threads read only C2PortAddress and ChipsetOptimized, through
// shares that outlive this object. Everything else runs on the user-interface thread.
#pragma once
#include <cstdint>

#include "chipset/chipset_tables.h"
#include "chipset/pci_list.h"
#include "common/shared_cell.h"

// Combines a register value with its saved value. With `invert` true, the form the program
// uses, the bits inside `mask` come from `saved` and the others from `value`; with false
// the other way round.
uint32_t MergeBits(uint32_t value, uint32_t mask, uint32_t saved, bool invert);

class TChipsetSupport {
public:
    static constexpr uint32_t kAudioFixRegister = 0x70;
    static constexpr uint32_t kAudioFixBits = 0x8A;  // bits 1, 3 and 7 of the byte at 0x70

    TPCIList PCIList;

    // Host-bridge doublewords as found at start-up, by register offset DIV 4; a slot never
    // captured stays 0. Registers in one doubleword share a slot.
    uint32_t SavedHostRegisters[64] = {};

    // Identification state, written only by IdentifyChipset.
    int32_t NorthbridgeIndex = -1;        // list index, -1 when none
    int32_t SouthbridgeIndex = -1;        // list index of the southbridge of the C2 search
    int32_t ActiveOptimizationID = 0;     // set id of the chipset row found
    int32_t ActiveOptimizationIndex = 0;  // index in ChipsetOptimizations, -1 when none
    bool C2PortAvailable = false;         // a usable C2 port address was derived
    // The I/O port whose read enters C2. Written before any idle thread starts.
    SharedCell<uint32_t> C2PortAddress;

    // The register set is applied / the audio fix is applied.
    SharedCell<bool> ChipsetOptimized;
    bool AudioFixed = false;

    void ScanPCIBus() { PCIList.ScanPCIBus(); }
    void DumpPCIDevices() const { PCIList.DumpPCIDevices(); }

    // Logged read-modify-write access to the host bridge (bus 0, device 0, function 0).
    void SaveHostRegister(uint32_t reg);
    void SetHostBits(uint32_t reg, uint32_t bits);
    void ClearHostBits(uint32_t reg, uint32_t bits);
    // Puts the bits inside `mask` back to their captured values; returns the value written.
    uint32_t RestoreHostBits(uint32_t reg, uint32_t mask);

    // Looks for a known northbridge, captures the registers its set may change, and looks
    // for the southbridge of the C2 port. True when a chipset row was found.
    bool IdentifyChipset();
    bool ChipsetKnown() const { return NorthbridgeIndex != -1; }
    // -1 when no northbridge was identified, else its vendor id (0x1106 offers the audio fix).
    int32_t NorthbridgeVendor() const { return PCIList.GetVendorID(NorthbridgeIndex); }

    void OptimizeChipset();
    void UnoptimizeChipset();
    // VIA northbridges only; elsewhere it does nothing at all.
    void FixAudioVIA();
    void UnfixAudioVIA();

    // The chipset steps of switching cooling on and off: each change is applied or undone
    // at most once, whatever the number of calls.
    void ChipsetCoolingOn(bool optimize, bool fixAudio);
    void ChipsetCoolingOff();

private:
    bool FindViaC2Port();
    bool FindNvidiaSouthbridge();
    // The set to apply, or null after logging why there is none.
    const TChipsetOptimization* ActiveOptimization() const;
};
