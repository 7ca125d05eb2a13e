// The PCI name database: the generated tables, the fallbacks, the class table, the dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "chipset/pci_list.h"
#include "chipset/pci_name_table.h"
#include "chipset/pci_names.h"
#include "unit/chipset/chipset_fixture.h"

using namespace chipsettest;
using namespace pcinames;

namespace {

bool IsTag(std::string_view s) {
    return !s.empty() && s.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == std::string_view::npos;
}

bool HasDeviceRow(uint32_t vendor, uint32_t device) {
    for (size_t i = 0; i < kPciDeviceRowCount; ++i)
        if (kPciDeviceRows[i].vendor == vendor && kPciDeviceRows[i].device == device) return true;
    return false;
}

TEST(PciNameTable, TellingRowsComeOutAsTheLogShowsThem) {
    std::istringstream rows(Fixture("pci/telling_rows.txt"));
    int checked = 0;
    for (std::string line; std::getline(rows, line);) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string kind, key, name;
        if (!(fields >> kind >> key)) continue;
        fields >> name;
        const uint32_t vendor = std::stoul(key.substr(0, 4), nullptr, 16);
        const uint32_t device = key.size() > 5 ? std::stoul(key.substr(5), nullptr, 16) : 0;
        if (kind == "vendor") {
            EXPECT_EQ(PCIVendorName(vendor), name) << line;
        } else if (kind == "device") {
            EXPECT_EQ(PCIDeviceName(device << 16 | vendor), name) << line;
        } else if (kind == "nodevice") {
            EXPECT_FALSE(HasDeviceRow(vendor, device)) << line;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 41);
}

TEST(PciNameTable, RowsAreSortedTagsAndEveryDeviceVendorHasAName) {
    EXPECT_GE(kPciVendorRowCount, 214u);
    EXPECT_GE(kPciDeviceRowCount, 1463u);
    for (size_t i = 0; i < kPciVendorRowCount; ++i) {
        EXPECT_TRUE(IsTag(kPciVendorRows[i].name)) << kPciVendorRows[i].name;
        if (i) {
            EXPECT_LT(kPciVendorRows[i - 1].vendor, kPciVendorRows[i].vendor) << i;
        }
    }
    for (size_t i = 0; i < kPciDeviceRowCount; ++i) {
        const PciDeviceRow& r = kPciDeviceRows[i];
        EXPECT_TRUE(IsTag(r.name) && std::string_view(r.name) != "UNKNOWN") << r.name;
        EXPECT_FALSE(PCIVendorName(r.vendor).empty()) << r.vendor;
        if (i) {
            const PciDeviceRow& p = kPciDeviceRows[i - 1];
            EXPECT_LT(std::tie(p.vendor, p.device), std::tie(r.vendor, r.device)) << i;
        }
    }
}

TEST(PciNameTable, RegeneratingFromTheInstalledSourceGivesTheCheckedInTable) {
    const std::string root = std::string(QUILLAR_FIXTURES) + "/../..";
    const std::string command = "python3 " + root + "/tools/pcinames/make_pci_names.py --check " + root +
                                "/src/chipset/pci_name_table.cpp --telling " + root +
                                "/tests/fixtures/pci/telling_rows.txt 2>&1";
    FILE* p = popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string output;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, p)) output.append(buffer, n);
    const int status = pclose(p);
    std::printf("%s", output.c_str());
    EXPECT_EQ(status, 0) << output;
}

TEST(PciNames, VendorAndDeviceFallbacks) {
    EXPECT_EQ(PCIVendorName(0x31891106), "VIA") << "a whole doubleword 0 names its vendor";
    EXPECT_EQ(PCIVendorName(0x1234), "");
    EXPECT_EQ(PCIVendorName(0xFFFFFFFF), "") << "no device";
    EXPECT_EQ(PCIDeviceName(0x01B210DE), "NFORCE_MCP_LPC");
    EXPECT_EQ(PCIDeviceName(0x01A410DE), "NFORCE") << "the vendor's own name comes first";
    EXPECT_EQ(PCIDeviceName(0x01A41234), "NFORCE_IGP");
    EXPECT_EQ(PCIDeviceName(0x01E01234), "NFORCE2_IGP");
    EXPECT_EQ(PCIDeviceName(0x02691106), "Unknown");
    EXPECT_EQ(PCIDeviceName(0x006610DE), "Unknown");
    EXPECT_EQ(PCIDeviceName(0xFFFFFFFF), "Unknown");
}

TEST(PciNames, ClassNamesByBaseAndSubClass) {
    const struct {
        uint32_t classRev;
        const char* name;
    } cases[] = {
        {0x0C0310A4, "USB Controller"},  {0x0C032082, "USB Controller"},
        {0x0C070000, "Generic Serial"},  {0x0D000000, "Unknown"},
        {0xFF000000, "Unknown"},         {0x00020000, "Unknown"},
        {0x00010000, "VGA compatible device"},
        {0x01800002, "Unknown mass storage controller"},
        {0x01060100, "Generic Storage"}, {0x06000013, "Host bridge"},
        {0x0B400000, "Co-processor"},    {0x0B41FFFF, "Generic Processor"},
        {0x10020000, "Generic Cryptographie"},
        {0x11800000, "Signal Processing Other"},
        {0x12000000, "Unknown"},
    };
    for (const auto& c : cases) EXPECT_EQ(PCIClassName(c.classRev), c.name) << std::hex << c.classRev;
}

TEST(PciNames, DumpWritesFourLinesAndAnEmptyOnePerDevice) {
    UseMachine("[PCI]\n00:00.0@00=31891106\n00:00.0@08=06000080\n01:1F.7@00=56781234\n01:1F.7@08=0C070000\n");
    TPCIList list;
    list.ScanPCIBus();
    LogCapture log;
    list.DumpPCIDevices();
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "Bus/Dev/Fun 00/00/00 0 ", "Vendor ID\t1106 (VIA)", "Device ID\t3189 (8377_0)",
                               "Class ID\t0600 (Host bridge)", "",
                               "Bus/Dev/Fun 01/1F/07 1 ", "Vendor ID\t1234 ()", "Device ID\t5678 (Unknown)",
                               "Class ID\t0C07 (Generic Serial)", ""}));

    UseMachine("");
    TPCIList empty;
    empty.ScanPCIBus();
    LogCapture none;
    empty.DumpPCIDevices();
    EXPECT_TRUE(none.Lines().empty());
}

}  // namespace
