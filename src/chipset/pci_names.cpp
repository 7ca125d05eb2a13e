#include "chipset/pci_names.h"

#include <algorithm>
#include <iterator>

#include "chipset/pci_name_table.h"

namespace {

constexpr std::string_view kUnknown = "Unknown";

// Device ids named whatever their vendor, for when the vendor's own rows have no name.
struct FallbackRow {
    uint16_t device;
    const char* name;
};
constexpr FallbackRow kDeviceFallbacks[] = {
    {0x01A4, "NFORCE_IGP"},
    {0x01B2, "NFORCE_MCP_LPC"},
    {0x01E0, "NFORCE2_IGP"},
};

// Exact names by base class * 256 + sub-class, sorted.
struct ClassRow {
    uint16_t classCode;
    const char* name;
};
constexpr ClassRow kClassNames[] = {
    {0x0000, "Non-VGA device"},
    {0x0001, "VGA compatible device"},
    {0x0100, "SCSI storage controller"},
    {0x0101, "IDE interface"},
    {0x0102, "Floppy disk controller"},
    {0x0103, "IPI bus controller"},
    {0x0104, "RAID bus controller"},
    {0x0180, "Unknown mass storage controller"},
    {0x0200, "Ethernet controller"},
    {0x0201, "Token ring network controller"},
    {0x0202, "FDDI network controller"},
    {0x0203, "ATM network controller"},
    {0x0280, "Network controller"},
    {0x0300, "VGA compatible controller"},
    {0x0301, "XGA compatible controller"},
    {0x0380, "Display controller"},
    {0x0400, "Multimedia video controller"},
    {0x0401, "Multimedia audio controller"},
    {0x0480, "Multimedia controller"},
    {0x0500, "RAM memory"},
    {0x0501, "FLASH memory"},
    {0x0580, "Memory"},
    {0x0600, "Host bridge"},
    {0x0601, "ISA bridge"},
    {0x0602, "EISA bridge"},
    {0x0603, "MicroChannel bridge"},
    {0x0604, "PCI bridge"},
    {0x0605, "PCMCIA bridge"},
    {0x0606, "NuBus bridge"},
    {0x0607, "CardBus bridge"},
    {0x0680, "Bridge"},
    {0x0700, "Serial controller"},
    {0x0701, "Parallel controller"},
    {0x0780, "Communication controller"},
    {0x0800, "PIC"},
    {0x0801, "DMA controller"},
    {0x0802, "Timer"},
    {0x0803, "RTC"},
    {0x0880, "System peripheral"},
    {0x0900, "Keyboard controller"},
    {0x0901, "Digitizer Pen"},
    {0x0902, "Mouse controller"},
    {0x0980, "Input device controller"},
    {0x0A00, "Generic Docking Station"},
    {0x0A80, "Docking Station"},
    {0x0B00, "386"},
    {0x0B01, "486"},
    {0x0B02, "Pentium"},
    {0x0B10, "Alpha"},
    {0x0B20, "Power PC"},
    {0x0B30, "MIPS"},
    {0x0B40, "Co-processor"},
    {0x0C00, "FireWire (IEEE 1394)"},
    {0x0C01, "ACCESS Bus"},
    {0x0C02, "SSA"},
    {0x0C03, "USB Controller"},
    {0x0C04, "Fiber Channel"},
    {0x0C05, "System Management Bus"},
    {0x0E00, "Intelligent IO I2O"},
    {0x0F00, "Satellite TV"},
    {0x0F01, "Satellite Audio"},
    {0x0F03, "Satellite Voice"},
    {0x0F04, "Satellite Data"},
    {0x1000, "Cryptography Network"},
    {0x1001, "Cryptography Entertainment"},
    {0x1080, "Cryptography Other"},
    {0x1100, "Signal Processing DPIO"},
    {0x1180, "Signal Processing Other"},
};

// The name of every other sub-class, by base class; base classes not listed are "Unknown".
struct BaseClassRow {
    uint8_t base;
    const char* name;
};
constexpr BaseClassRow kBaseClassNames[] = {
    {0x01, "Generic Storage"},        {0x02, "Generic Network"},
    {0x03, "Generic Display"},        {0x04, "Generic Multimedia"},
    {0x05, "Generic Memory"},         {0x06, "Generic Bridge"},
    {0x07, "Generic Communication"},  {0x08, "Generic System"},
    {0x09, "Generic Input"},          {0x0A, "Generic Docking"},
    {0x0B, "Generic Processor"},      {0x0C, "Generic Serial"},
    {0x0E, "Generic Intelligent IO"}, {0x0F, "Generic Satellite"},
    {0x10, "Generic Cryptographie"},  {0x11, "Generic Signal Processing"},
};

}  // namespace

std::string_view PCIVendorName(uint32_t key) {
    using pcinames::kPciVendorRows;
    const uint16_t vendor = static_cast<uint16_t>(key);
    const auto* end = kPciVendorRows + pcinames::kPciVendorRowCount;
    const auto* row = std::lower_bound(kPciVendorRows, end, vendor,
                                       [](const pcinames::PciVendorRow& r, uint16_t v) { return r.vendor < v; });
    return row != end && row->vendor == vendor ? row->name : std::string_view();
}

std::string_view PCIDeviceName(uint32_t key) {
    using pcinames::kPciDeviceRows;
    const uint16_t vendor = static_cast<uint16_t>(key);
    const uint16_t device = static_cast<uint16_t>(key >> 16);
    const auto* end = kPciDeviceRows + pcinames::kPciDeviceRowCount;
    const auto* row = std::lower_bound(kPciDeviceRows, end, key, [](const pcinames::PciDeviceRow& r, uint32_t k) {
        return (static_cast<uint32_t>(r.vendor) << 16 | r.device) <
               ((k & 0xFFFF) << 16 | k >> 16);
    });
    if (row != end && row->vendor == vendor && row->device == device) return row->name;
    for (const FallbackRow& f : kDeviceFallbacks)
        if (f.device == device) return f.name;
    return kUnknown;
}

std::string_view PCIClassName(uint32_t classRev) {
    const uint16_t classCode = static_cast<uint16_t>(classRev >> 16);
    const auto* end = std::end(kClassNames);
    const auto* row = std::lower_bound(std::begin(kClassNames), end, classCode,
                                       [](const ClassRow& r, uint16_t c) { return r.classCode < c; });
    if (row != end && row->classCode == classCode) return row->name;
    for (const BaseClassRow& b : kBaseClassNames)
        if (b.base == classCode >> 8) return b.name;
    return kUnknown;
}
