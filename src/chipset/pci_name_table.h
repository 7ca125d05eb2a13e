// The generated PCI vendor and device name rows (pci_name_table.cpp, made by
// tools/pcinames/make_pci_names.py). Both arrays are sorted by their keys, without
// duplicates, so a lookup is one bisection.
#pragma once
#include <cstddef>
#include <cstdint>

namespace pcinames {

struct PciVendorRow {
    uint16_t vendor;
    const char* name;
};

struct PciDeviceRow {
    uint16_t vendor;
    uint16_t device;
    const char* name;
};

extern const PciVendorRow kPciVendorRows[];
extern const std::size_t kPciVendorRowCount;
extern const PciDeviceRow kPciDeviceRows[];
extern const std::size_t kPciDeviceRowCount;

}  // namespace pcinames
