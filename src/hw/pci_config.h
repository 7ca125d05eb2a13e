// PCI configuration cycles through the address port 0xCF8 and the data port 0xCFC (the
// standard configuration mechanism #1), on ports the driver granted to the process.
// Every access moves one aligned doubleword; a caller that means a byte or a word places
// its bit masks within the doubleword itself. Nothing here knows a device.
#pragma once
#include <cstdint>

namespace pci {
constexpr uint16_t kAddressPort = 0xCF8;
constexpr uint16_t kDataPort = 0xCFC;
constexpr uint16_t kLastPort = 0xCFF;
constexpr uint32_t kAbsent = 0xFFFFFFFF;  // what doubleword 0 of a missing function reads

// The address word: enable bit 31, bus in 23-16, device in 15-11, function in 10-8 and
// the register's doubleword offset in 7-2.
constexpr uint32_t ConfigAddress(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg) {
    return 0x80000000u | (bus & 0xFF) << 16 | (device & 0x1F) << 11 | (func & 7) << 8 | (reg & 0xFC);
}

struct VendorDevice {
    uint32_t vendor;  // low 16 bits of doubleword 0
    uint32_t device;  // high 16 bits
};
}  // namespace pci

// Module start: asks the driver for ports 0xCF8-0xCFF, once, before the main window exists.
// Without the grant an IN or OUT on them would fault and end the process, so until a grant
// succeeded every read gives all ones (no device) and every write is dropped.
bool PreparePCIAccess();

// The bare port sequences: address, data, then 0 to the address port so that
// configuration space is closed between accesses. No log line.
uint32_t ReadPCIRaw(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg);
void WritePCIRaw(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg, uint32_t value);

// The accesses every other module uses: the raw access with its log line, the register
// logged as passed ("PCI Read  ..." after the read, "PCI Write ..." before the write).
uint32_t ReadPCI(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg);
void WritePCI(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg, uint32_t value);

pci::VendorDevice SplitVendorDevice(uint32_t dword0);
