// What the driver lets a caller touch: the model-specific registers the program reads and
// writes, on the processors where it does so; the ports it opens to the program; the port
// whose read enters C2. Portable: the kernel build and the native tests share it.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace qpro {

// The processor the driver runs on, from CPUID leaves 0 and 1 (the base fields only, as the
// program reads them).
struct Processor {
    enum Vendor : uint8_t { kUnknown, kIntel, kAmd, kCentaur };
    Vendor vendor;
    uint8_t family, model, stepping;
};

// One CPUID answer in the order the instruction gives its registers.
struct CpuidAnswer {
    uint32_t eax, ebx, ecx, edx;
};

// kUnknown when CPUID is missing or has no leaf 1.
Processor IdentifyProcessor(bool cpuidPresent, const CpuidAnswer& leaf0, const CpuidAnswer& leaf1);

// A register the program uses on a range of processors. `writable` holds the bits the program
// changes; 0 means the register is only read.
struct MsrRule {
    uint32_t reg;
    Processor::Vendor vendor;
    uint8_t familyFirst, familyLast;
    uint8_t modelFirst, modelLast;
    uint8_t steppingFirst, steppingLast;
    uint64_t writable;
};

// The rule for `reg` on this processor, or null: the register is then never touched.
const MsrRule* FindMsrRule(uint32_t reg, const Processor& processor);

// The whole list, for the tests and the README's table.
const MsrRule* MsrRules(size_t* count);

// Ports first..last may be opened to a process: both within 0x22-0x23 (the Cyrix
// configuration registers) or within 0xCF8-0xCFF (PCI configuration mechanism #1).
bool PortGrantAllowed(uint32_t first, uint32_t last);

// The lowest port a power-management block can start at: everything below 0x400 belongs to
// the legacy devices of the ISA range (timers, interrupt and DMA controllers, keyboard, CMOS,
// disks, serial and parallel ports, video), which decode ten address bits only.
constexpr uint32_t kPowerBlockFloor = 0x400;
// The processor level-2 register sits 0x14 into the 128-byte block the chipset decodes.
constexpr uint32_t kLevel2Offset = 0x14;
constexpr uint32_t kPowerBlockAlign = 0x80;

// A read of `port` may enter C2: it is the level-2 register of a power-management block at
// or above the floor.
bool C2ReadAllowed(uint32_t port);

// The kernel's I/O permission map: one bit per port, set where IN and OUT fault.
constexpr size_t kIoMapBytes = 0x2000;
// Clears the bits of ports first..last (first <= last) in a map of kIoMapBytes.
void OpenPortsInMap(uint8_t* map, uint16_t first, uint16_t last);

}  // namespace qpro
