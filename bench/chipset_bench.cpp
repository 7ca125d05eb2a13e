// The PCI bus scan on the simulated machine (512 probes, 1,024 configuration reads through
// the port seam) and the name lookups of the hardware event log.
#include <benchmark/benchmark.h>

#include "chipset/pci_list.h"
#include "chipset/pci_names.h"
#include "hw/backend.h"
#include "hw/driver.h"
#include "hw/pci_config.h"
#include "sim/machine.h"

namespace {

void ScanPCIBus(benchmark::State& state) {
    sim::SetCurrent(sim::Machine::FromProfile(sim::Machine::kDefaultProfile));
    hw::backend::OpenDevice();
    DriverRequest(drv::kGrantPorts, pci::kAddressPort, pci::kLastPort, 0);
    for (auto _ : state) {
        TPCIList list;
        list.ScanPCIBus();
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(ScanPCIBus)->Unit(benchmark::kMicrosecond);

// Keys as the dump passes them: known devices, a device named by the fallback, unknown ones.
constexpr uint32_t kKeys[] = {0x31891106, 0x70061022, 0x01E010DE, 0x01B210DE, 0x71908086, 0x4C591002,
                              0x56781234, 0xFFFFFFFF, 0x30571106, 0x07351039, 0x00661106, 0x2413808B};
constexpr uint32_t kClasses[] = {0x06000080, 0x0C030010, 0x0C070000, 0x01018A06, 0xFF000000, 0x04010050};

template <std::string_view (*Lookup)(uint32_t), const auto& Keys>
void NameLookup(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Lookup(Keys[i]));
        if (++i == std::size(Keys)) i = 0;
    }
}
BENCHMARK(NameLookup<PCIVendorName, kKeys>)->Name("PCIVendorName");
BENCHMARK(NameLookup<PCIDeviceName, kKeys>)->Name("PCIDeviceName");
BENCHMARK(NameLookup<PCIClassName, kClasses>)->Name("PCIClassName");

}  // namespace
