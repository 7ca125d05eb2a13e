// The simulated machine: a processor, its model-specific and Cyrix registers, PCI
// configuration space, the driver and its requests, all described by a machine profile
// (Windows ini text). It stands in for the kernel driver and raw port I/O.
//
// PCI configuration space in the profile:
//   [PCI]          BB:DD.F@RR=XXXXXXXX   the doubleword at register RR (rounded down to a
//                  multiple of 4) of bus BB, device DD, function F, all hexadecimal. A
//                  function exists when its register 00 is given; registers not given read
//                  0, functions that do not exist read all ones and ignore writes.
//   [PCIReadOnly]  BB:DD.F@RR=MMMMMMMM   bits of that doubleword that writes through the
//                  configuration ports leave unchanged (a bit that will not stick).
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "hw/backend.h"

namespace sim {

enum class CpuidMode { Yes, No, AfterCcr4 };

// A PCI function address: bus, device, function.
struct PciAddress {
    uint8_t bus, device, function;
    bool operator<(const PciAddress& o) const {
        return std::tie(bus, device, function) < std::tie(o.bus, o.device, o.function);
    }
};

class Machine {
public:
    // Parses a profile; unknown keys are ignored, malformed numbers read as 0.
    static Machine FromProfile(const std::string& text);
    // The profile used when none is given: an Athlon XP on a VIA KT400 with a VT8235.
    static const char* const kDefaultProfile;

    Machine() = default;
    Machine(const Machine& o) { *this = o; }
    Machine& operator=(const Machine& o);

    // Profile values. 0 for processors and memory means "the host's".
    std::string name;
    int processors = 0;
    uint64_t physicalMemory = 0;
    unsigned clockMHz = 1000;
    bool driverPresent = true;
    uint32_t driverVersion = 0x100;
    bool cyrixDivideQuirk = false;
    std::string stateFile;
    CpuidMode cpuidMode = CpuidMode::Yes;

    // The driver: one request, as the kernel side would carry it out.
    bool Request(const hw::RequestBlock& request, hw::RequestBlock* reply);

    // Port I/O from the program itself; refused outside the granted ranges.
    uint8_t In8(uint16_t port);
    void Out8(uint16_t port, uint8_t value);
    uint32_t In32(uint16_t port);
    void Out32(uint16_t port, uint32_t value);

    bool CpuidPresent() const;
    hw::CpuidRegisters Cpuid(uint32_t leaf) const;

    // Direct register access (for tests and the state file).
    uint64_t Msr(uint32_t reg) const;
    uint8_t CyrixRegister(uint8_t index) const;
    uint32_t PciRead(PciAddress a, uint8_t reg) const;
    void PciWrite(PciAddress a, uint8_t reg, uint32_t value);

    uint64_t RequestCount(uint32_t function) const;
    uint64_t C2Reads(uint16_t port) const;
    const std::vector<std::pair<uint16_t, uint16_t>>& GrantedPorts() const { return granted_; }
    const std::vector<std::string>& Faults() const { return faults_; }

    // The system's shutdown, as the program asks for it (ExitWindowsEx flags): counted, with
    // the flags of the last request kept. The simulated machine never goes down.
    void RequestShutdown(uint16_t flags);
    uint64_t ShutdownRequests() const;

    // The final state: [MSR], [Cyrix], [PCI], [Requests], [C2Reads], [Ports], [Faults], and
    // [Shutdown] once a shutdown was asked for.
    std::string StateText() const;

private:
    bool Granted(uint16_t port) const;
    uint32_t PciDataLocked() const;  // the doubleword the address port selects
    void Fault(const char* access, uint16_t port);

    std::map<uint32_t, hw::CpuidRegisters> cpuid_;
    std::map<uint32_t, uint64_t> msr_;
    std::map<uint8_t, uint8_t> cyrix_;
    std::map<PciAddress, std::map<uint8_t, uint32_t>> pci_;
    std::map<PciAddress, std::map<uint8_t, uint32_t>> pciReadOnly_;

    mutable std::mutex lock_;
    std::vector<std::pair<uint16_t, uint16_t>> granted_;
    uint8_t cyrixIndex_ = 0;
    uint32_t pciAddress_ = 0;
    std::map<uint16_t, uint64_t> c2Reads_;
    std::vector<std::string> faults_;
    std::atomic<uint64_t> halts_{0};
    std::map<uint32_t, uint64_t> requests_;  // every function but the halt
    uint64_t shutdowns_ = 0;
    uint16_t shutdownFlags_ = 0;
};

// The machine QuillarSim.exe runs on.
Machine& Current();
void SetCurrent(const Machine& m);
// A shutdown of the machine QuillarSim.exe runs on: recorded, and the state file written at
// once, since a machine that really went down would write nothing afterwards.
void RecordShutdown(uint16_t flags);

// The host's side of the simulation (one file per platform).
namespace host {
// Lets the calling thread give up the processor the way a halted processor would:
// for about one fast timer interrupt's time (a millisecond) it runs only when nothing
// else wants the processor, and the time counts as the thread's kernel time.
void Halt();
int ProcessorCount();
uint64_t PhysicalMemory();
uint64_t Nanoseconds();  // a monotonic clock
// The profile text named by QUILLAR_MACHINE, else machine.ini beside the program,
// else empty (the built-in default applies).
std::string ProfileText();
bool WriteFile(const std::string& path, const std::string& text);
}  // namespace host

}  // namespace sim
