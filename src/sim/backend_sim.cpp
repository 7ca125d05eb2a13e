// The hardware seam on the simulated machine.
#include <atomic>

#include "hw/backend.h"
#include "sim/machine.h"

namespace hw::backend {

namespace {
std::atomic<bool> g_open{false};
}

bool OpenDevice() {
    g_open = sim::Current().driverPresent;
    return g_open;
}

void CloseDevice() { g_open = false; }

bool DeviceOpen() { return g_open; }

bool DeviceControl(const RequestBlock& request, RequestBlock* reply) {
    if (!g_open) return false;
    return sim::Current().Request(request, reply);
}

uint8_t PortIn8(uint16_t port) { return sim::Current().In8(port); }
void PortOut8(uint16_t port, uint8_t value) { sim::Current().Out8(port, value); }
uint32_t PortIn32(uint16_t port) { return sim::Current().In32(port); }
void PortOut32(uint16_t port, uint32_t value) {
    sim::Machine& m = sim::Current();
    m.Out32(port, value);
    // A configuration write is a change a test wants to see while the program still runs.
    if (port == 0xCFC && !m.stateFile.empty()) sim::host::WriteFile(m.stateFile, m.StateText());
}

bool CpuidToggles() { return sim::Current().CpuidPresent(); }
CpuidRegisters Cpuid(uint32_t leaf) { return sim::Current().Cpuid(leaf); }
bool DivisionKeepsFlags() { return sim::Current().cyrixDivideQuirk; }

uint64_t ReadTimeStamp() {
    // ticks = ns * MHz / 1000, kept exact for long runs
    uint64_t ns = sim::host::Nanoseconds();
    uint64_t mhz = sim::Current().clockMHz;
    return (ns / 1000) * mhz + (ns % 1000) * mhz / 1000;
}

uint64_t TotalPhysicalMemory() {
    uint64_t bytes = sim::Current().physicalMemory;
    if (bytes == 0) bytes = sim::host::PhysicalMemory();
    return bytes > 0xFFFFFFFFull ? 0xFFFFFFFFull : bytes;
}

int LogicalProcessors() {
    int n = sim::Current().processors;
    return n > 0 ? n : sim::host::ProcessorCount();
}

void Finish() {
    const sim::Machine& m = sim::Current();
    if (!m.stateFile.empty()) sim::host::WriteFile(m.stateFile, m.StateText());
}

}  // namespace hw::backend
