// The simulated machine's profile is a text file that tests and users write. Whatever it
// holds, it must read, and the program's start-up work must run on the machine it
// describes: processor identification and its report, the processor settings, the PCI scan
// and chipset identification, cooling on and off (which must leave the host bridge as it
// found it), and the final state text.
#include <cstdint>
#include <string>

#include "chipset/chipset.h"
#include "cpu/cpu_report.h"
#include "cpu/processor.h"
#include "fuzz/fuzz_check.h"
#include "hw/backend.h"
#include "hw/pci_config.h"
#include "sim/machine.h"

namespace {

void HostBridge(uint32_t (&image)[64]) {
    for (uint8_t slot = 0; slot < 64; ++slot) image[slot] = sim::Current().PciRead({0, 0, 0}, slot * 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    sim::SetCurrent(sim::Machine::FromProfile(text));
    hw::backend::OpenDevice();

    TCpu cpu(SystemProcessorPlatform());
    cpu.IdentifyProcessor();
    FUZZ_REQUIRE(cpu.ProcessorInfo.VendorString.size() <= 12);
    FUZZ_REQUIRE(cpu.ProcessorInfo.BrandString.size() <= 48);
    PictureCandidates(cpu.ProcessorInfo);
    CpuReportLines(cpu, StateWords{"disabled", "enabled", "not available", "available"}, 1);
    cpu.ApplyProcessorSettings(true);

    PreparePCIAccess();
    TChipsetSupport chipset;
    chipset.ScanPCIBus();
    chipset.IdentifyChipset();
    uint32_t before[64], after[64];
    HostBridge(before);
    chipset.ChipsetCoolingOn(true, true);
    chipset.ChipsetCoolingOff();
    HostBridge(after);
    for (int slot = 0; slot < 64; ++slot) FUZZ_REQUIRE(before[slot] == after[slot]);

    sim::Current().StateText();
    hw::backend::CloseDevice();
    return 0;
}
