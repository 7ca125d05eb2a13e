// The simulated machine: a processor, its model-specific and Cyrix registers, PCI
// configuration space, the driver and its requests, all described by a machine profile.
// It stands in for the kernel driver and raw port I/O.
//
// The profile is Windows ini text: section and key names are compared without regard to
// case, lines starting with ';' or '#' are comments, and so is whatever follows " ;" after
// a value. A section given twice is one section; a key given twice keeps its last value.
// Unknown sections and keys are ignored, and a number that does not parse reads as 0 (a
// hexadecimal number ends at its first character that is not a digit). Every section and
// key may be left out; the default is then as given.
//
//   [Machine]
//   Name=TEXT              what the profile describes, for its reader only (default empty)
//   Processors=N           logical processors, decimal; 0 or less means the host's count
//                          (default 0)
//   PhysicalMemory=N       bytes, decimal; 0 means the host's; more than 4 GB - 1 reads as
//                          4 GB - 1, the most the memory query reports (default 0)
//   ClockMHz=N             rate of the time-stamp counter in MHz, decimal (default 1000)
//   Driver=present|missing "missing": the driver's device cannot be opened; any other text
//                          means present (default present)
//   DriverVersion=X        what the version request answers, hexadecimal (default 100)
//   CyrixDivideQuirk=yes|no  "yes": an 8-bit division leaves the arithmetic flags as they
//                          were, as only Cyrix processors do; anything else means no (default no)
//   StateFile=PATH         where the final state (see StateText) is written; none by default
//
//   [CPUID]
//   Available=yes|no|after-ccr4  whether the CPUID instruction exists; "after-ccr4": only
//                          while bit 7 of Cyrix register E8h (CCR4) is set; any other text
//                          means yes (default yes)
//   LLLLLLLL=AAAAAAAA BBBBBBBB CCCCCCCC DDDDDDDD   EAX, EBX, ECX and EDX of leaf LLLLLLLL,
//                          hexadecimal, separated by blanks; words left out read 0. Leaves
//                          not given answer four zeros.
//
//   [MSR]
//   RRRRRRRR=HHHHHHHH LLLLLLLL   model-specific register RRRRRRRR: its high and low
//                          doublewords, hexadecimal. Registers not given read 0.
//
//   [Cyrix]
//   II=VV                  Cyrix configuration register II (reached through ports 22h and
//                          23h), hexadecimal byte. Registers not given read 0.
//
//   [PCI]
//   BB:DD.F@RR=XXXXXXXX    the doubleword at register RR (rounded down to a multiple of 4)
//                          of bus BB, device DD, function F, all hexadecimal. A function
//                          exists when its register 00 is given; registers not given read
//                          0, functions that do not exist read all ones and ignore writes.
//                          Keys of another form are ignored.
//
//   [PCIReadOnly]
//   BB:DD.F@RR=MMMMMMMM    bits of that doubleword that writes through the configuration
//                          ports leave unchanged (a bit that will not stick).
//
// The driver's requests, the ports 22h-23h and CF8h-CFFh and the counts behind the state
// text are described with the members below.
#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
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

// A doubleword of configuration space: its function and its register (a multiple of 4).
struct PciRegister {
    PciAddress at;
    uint8_t reg;
};

// Everything a machine holds. The compiler copies it member by member, so a value added
// here is never left out of a copy; Machine adds only the lock that guards it.
class MachineContents {
public:
    // The [Machine] values and [CPUID] Available. 0 for processors and memory means "the host's".
    std::string name;
    int processors = 0;
    uint64_t physicalMemory = 0;
    unsigned clockMHz = 1000;
    bool driverPresent = true;
    uint32_t driverVersion = 0x100;
    bool cyrixDivideQuirk = false;
    std::string stateFile;
    CpuidMode cpuidMode = CpuidMode::Yes;

protected:
    using Registers = std::map<uint8_t, uint32_t>;  // one function's doublewords by register

    // The registers as the profile gives them and as writes leave them.
    std::map<uint32_t, hw::CpuidRegisters> cpuid_;
    std::map<uint32_t, uint64_t> msr_;
    std::map<uint8_t, uint8_t> cyrix_;
    std::map<PciAddress, Registers> pci_;
    std::map<PciAddress, Registers> pciReadOnly_;

    // What the program did to it.
    std::vector<std::pair<uint16_t, uint16_t>> granted_;
    uint8_t cyrixIndex_ = 0;    // last write to port 22h
    uint32_t pciAddress_ = 0;   // last write to port CF8h
    std::map<uint16_t, uint64_t> c2Reads_;
    std::vector<std::string> faults_;
    std::map<uint32_t, uint64_t> requests_;  // by driver function, unknown ones included
    uint64_t shutdowns_ = 0;
    uint16_t shutdownFlags_ = 0;
};

class Machine : public MachineContents {
public:
    // Parses a profile (the format above).
    static Machine FromProfile(const std::string& text);
    // The profile used when none is given: an Athlon XP on a VIA KT400 with a VT8235.
    static const char* const kDefaultProfile;

    Machine() = default;
    Machine(const Machine& o) { *this = o; }
    Machine& operator=(const Machine& o);

    // The driver: one request, as the kernel side would carry it out. Version (1) answers
    // DriverVersion; the port read (10) is counted by port and halts, as the C2 read does
    // on the real machine; MSR read (20) and write (21); port grant (40) allows IN and OUT
    // on a range from then on; halt (70) gives up the processor for a while (host::Halt).
    // Any other function fails, and every request is counted by its function.
    bool Request(const hw::RequestBlock& request, hw::RequestBlock* reply);

    // Port I/O from the program itself; outside the granted ranges an access is recorded as
    // a fault, reads answer all ones and writes are dropped. Bytes: 22h selects a Cyrix
    // register and 23h reads or writes it; CFCh-CFFh read the bytes of the selected
    // configuration doubleword. Doublewords: CF8h holds the configuration address (bit 31
    // enable, bus 23-16, device 15-11, function 10-8, register 7-2), CFCh reads and writes
    // the doubleword it selects, which reads all ones while bit 31 is clear. Other ports
    // read all ones and ignore writes.
    uint8_t In8(uint16_t port);
    void Out8(uint16_t port, uint8_t value);
    uint32_t In32(uint16_t port);
    void Out32(uint16_t port, uint32_t value);

    bool CpuidPresent() const;
    hw::CpuidRegisters Cpuid(uint32_t leaf) const;

    // Direct register access (for tests and the state file). PciWrite ignores the
    // read-only bits: it is someone else changing the register.
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

    // The final state, as ini text: [MSR] and [Cyrix] as in the profile, [PCI] with every
    // register given or written, [Requests] the count of each of the six driver functions
    // by its decimal number, [C2Reads] port reads by port, [Ports] the granted ranges in order
    // (0=0CF8-0CFF), [Faults] Count and the faults' texts from 1, and [Shutdown] Count and
    // Flags once a shutdown was asked for.
    std::string StateText() const;

private:
    // With the lock held.
    bool Allowed(const char* access, uint16_t port);  // records a fault when not granted
    uint32_t ConfigRead(PciRegister r) const;
    void ConfigWrite(PciRegister r, uint32_t value, uint32_t fixedBits);
    uint32_t ConfigData() const;  // the doubleword port CF8h selects
    // Looks a value up under the lock; 0 (or zeros) when it is absent.
    template <class Map>
    typename Map::mapped_type Lookup(const Map& map, const typename Map::key_type& key) const;

    mutable std::mutex lock_;
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
