#include "chipset/pci_list.h"

#include "chipset/pci_names.h"
#include "common/log.h"
#include "hw/pci_config.h"

void TPCIList::ScanPCIBus() {
    if (scanned_) return;
    scanned_ = true;
    for (uint32_t bus = 0; bus <= 1; ++bus)
        for (uint32_t device = 0; device < 32; ++device)
            for (uint32_t func = 0; func < 8; ++func) {
                const uint32_t id = ReadPCI(bus, device, func, 0x00);
                const uint32_t classRev = ReadPCI(bus, device, func, 0x08);
                if (id == pci::kAbsent) continue;
                const pci::VendorDevice vd = SplitVendorDevice(id);
                items_.push_back(TPCIDevice{bus, device, func, vd.vendor, vd.device, classRev});
            }
}

// An index that names no entry reads 0 and writes nothing, like a failed hardware access.
uint32_t TPCIList::ReadDeviceRegister(int index, uint32_t reg) const {
    if (index < 0 || index >= Count()) return 0;
    const TPCIDevice& d = (*this)[index];
    return ReadPCI(d.Bus, d.Device, d.Func, reg);
}

void TPCIList::WriteDeviceRegister(int index, uint32_t reg, uint32_t value) const {
    if (index < 0 || index >= Count()) return;
    const TPCIDevice& d = (*this)[index];
    WritePCI(d.Bus, d.Device, d.Func, reg, value);
}

int32_t TPCIList::GetVendorID(int index) const {
    return index >= 0 && index < Count() ? static_cast<int32_t>((*this)[index].VendorID) : -1;
}

int32_t TPCIList::GetDeviceID(int index) const {
    return index >= 0 && index < Count() ? static_cast<int32_t>((*this)[index].DeviceID) : -1;
}

int TPCIList::FindPCIDevice(uint32_t vendor, uint32_t device, int start) const {
    for (int i = start < 0 ? 0 : start; i < Count(); ++i) {
        const TPCIDevice& d = (*this)[i];
        if (vendor != 0 && vendor != d.VendorID) continue;
        if (device != 0 && device != d.DeviceID) continue;
        return i;
    }
    return -1;
}

int TPCIList::FindPCIDeviceOf(uint32_t vendor, std::initializer_list<uint32_t> deviceIds, int func) const {
    for (uint32_t id : deviceIds)
        for (int i = FindPCIDevice(vendor, id, 0); i != -1; i = FindPCIDevice(vendor, id, i + 1))
            if (func == -1 || (*this)[i].Func == static_cast<uint32_t>(func)) return i;
    return -1;
}

void TPCIList::DumpPCIDevices() const {
    for (int i = 0; i < Count(); ++i) {
        const TPCIDevice& d = (*this)[i];
        const uint32_t key = d.DeviceID << 16 | d.VendorID;
        LogFormat("Bus/Dev/Fun %.2x/%.2x/%.2x %d ", {d.Bus, d.Device, d.Func, i});
        LogFormat("Vendor ID\t%.4x (%s)", {d.VendorID, PCIVendorName(key)});
        LogFormat("Device ID\t%.4x (%s)", {d.DeviceID, PCIDeviceName(key)});
        LogFormat("Class ID\t%.4x (%s)", {d.ClassRev >> 16, PCIClassName(d.ClassRev)});
        LogText("");
    }
}
