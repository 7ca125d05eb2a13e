// Short names of PCI vendors, devices and classes for the hardware event log. Every name
// is constant data: the views stay valid for the whole run and no lookup allocates.
#pragma once
#include <cstdint>
#include <string_view>

// `key`: only its low 16 bits count, as the vendor id (a bare vendor id or a whole
// doubleword 0 may be passed). Empty when the vendor has no name.
std::string_view PCIVendorName(uint32_t key);
// `key`: device id in the high 16 bits, vendor id in the low 16 bits. When the vendor has
// no name for the device, a few well-known device ids are named whatever the vendor;
// otherwise "Unknown".
std::string_view PCIDeviceName(uint32_t key);
// `classRev`: configuration doubleword 8 (class in bits 31-24, sub-class in 23-16); the
// programming interface and the revision do not count.
std::string_view PCIClassName(uint32_t classRev);
