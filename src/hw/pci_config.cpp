#include "hw/pci_config.h"

#include "common/log.h"
#include "hw/backend.h"
#include "hw/driver.h"

namespace {
// The grant belongs to the process, as does this mirror of it.
bool g_portsGranted = false;
}  // namespace

bool PreparePCIAccess() {
    if (DriverRequest(drv::kGrantPorts, pci::kAddressPort, pci::kLastPort, 0)) g_portsGranted = true;
    return g_portsGranted;
}

uint32_t ReadPCIRaw(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg) {
    if (!g_portsGranted) return pci::kAbsent;
    hw::backend::PortOut32(pci::kAddressPort, pci::ConfigAddress(bus, device, func, reg));
    uint32_t value = hw::backend::PortIn32(pci::kDataPort);
    hw::backend::PortOut32(pci::kAddressPort, 0);
    return value;
}

void WritePCIRaw(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg, uint32_t value) {
    if (!g_portsGranted) return;
    hw::backend::PortOut32(pci::kAddressPort, pci::ConfigAddress(bus, device, func, reg));
    hw::backend::PortOut32(pci::kDataPort, value);
    hw::backend::PortOut32(pci::kAddressPort, 0);
}

uint32_t ReadPCI(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg) {
    uint32_t value = ReadPCIRaw(bus, device, func, reg);
    LogFormat("PCI Read  %x %x %x %.2x %.8x", {bus, device, func, reg, value});
    return value;
}

void WritePCI(uint32_t bus, uint32_t device, uint32_t func, uint32_t reg, uint32_t value) {
    LogFormat("PCI Write %x %x %x %.2x %.8x", {bus, device, func, reg, value});
    WritePCIRaw(bus, device, func, reg, value);
}

pci::VendorDevice SplitVendorDevice(uint32_t dword0) { return {dword0 & 0xFFFF, dword0 >> 16}; }
