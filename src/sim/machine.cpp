#include "sim/machine.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "common/format.h"
#include "hw/driver.h"
#include "common/log.h"
#include "common/ini.h"

namespace sim {

const char* const Machine::kDefaultProfile = R"(; Built-in machine: AMD Athlon XP "Thoroughbred" on a VIA KT400 with a VT8235 southbridge.
[Machine]
Name=Athlon XP 2400+ on VIA KT400 / VT8235
PhysicalMemory=536346624
ClockMHz=2000
Driver=present
DriverVersion=100
CyrixDivideQuirk=no
[CPUID]
Available=yes
0=00000001 68747541 444D4163 69746E65
1=00000681 00000000 00000000 0383FBFF
80000000=80000008 68747541 444D4163 69746E65
80000001=00000781 00000000 00000000 C1C3FBFF
80000002=20444D41 6C687441 74286E6F 5820296D
80000003=34322050 002B3030 00000000 00000000
80000004=00000000 00000000 00000000 00000000
80000005=0408FF08 FF20FF10 40020140 40020140
80000006=00000000 41004100 01008140 00000000
[MSR]
C0010015=00000000 01000010
[PCI]
; host bridge VT8377 (KT400); 70h, D0h and D4h (audio fix, STPGNT and HLT detect) as in the
; public "lspci -vvxxx" of an ASUS A7V8X posted to the linux-kernel list
00:00.0@00=31891106
00:00.0@08=06000080
00:00.0@2C=00000000
00:00.0@70=0100C890
00:00.0@D0=EA69A317
00:00.0@D4=19F11C06
; AGP bridge
00:01.0@00=B1981106
00:01.0@08=06040000
; USB
00:10.0@00=30381106
00:10.0@08=0C030080
; ISA bridge VT8235: power management I/O enabled at 4000h (register 80h bit 15, base at 88h)
00:11.0@00=31771106
00:11.0@08=06010000
00:11.0@80=00008000
00:11.0@88=00004001
; IDE
00:11.1@00=05711106
00:11.1@08=01018A06
; AC97 audio
00:11.5@00=30591106
00:11.5@08=04010050
; network
00:12.0@00=30651106
00:12.0@08=02000074
; graphics card on the AGP bus
01:00.0@00=4C591002
01:00.0@08=03000000
)";

namespace {

uint64_t Hex(const std::string& text) {
    return std::strtoull(Trim(text).c_str(), nullptr, 16);
}

std::vector<uint64_t> HexWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<uint64_t> words;
    std::string w;
    while (in >> w) words.push_back(std::strtoull(w.c_str(), nullptr, 16));
    return words;
}

bool Yes(const std::string& v) { return EqualsIgnoreCase(Trim(v), "yes"); }

// "00:11.0@88" -> address and register
bool ParsePciKey(const std::string& key, PciAddress& a, uint8_t& reg) {
    unsigned bus, dev, fn, r;
    if (std::sscanf(key.c_str(), "%x:%x.%x@%x", &bus, &dev, &fn, &r) != 4) return false;
    a = PciAddress{static_cast<uint8_t>(bus), static_cast<uint8_t>(dev & 0x1F), static_cast<uint8_t>(fn & 7)};
    reg = static_cast<uint8_t>(r & 0xFC);
    return true;
}

}  // namespace

Machine& Machine::operator=(const Machine& o) {
    if (this == &o) return *this;
    std::scoped_lock guard(lock_, o.lock_);
    name = o.name;
    processors = o.processors;
    physicalMemory = o.physicalMemory;
    clockMHz = o.clockMHz;
    driverPresent = o.driverPresent;
    driverVersion = o.driverVersion;
    cyrixDivideQuirk = o.cyrixDivideQuirk;
    stateFile = o.stateFile;
    cpuidMode = o.cpuidMode;
    cpuid_ = o.cpuid_;
    msr_ = o.msr_;
    cyrix_ = o.cyrix_;
    pci_ = o.pci_;
    pciReadOnly_ = o.pciReadOnly_;
    granted_ = o.granted_;
    cyrixIndex_ = o.cyrixIndex_;
    pciAddress_ = o.pciAddress_;
    c2Reads_ = o.c2Reads_;
    faults_ = o.faults_;
    halts_ = o.halts_.load();
    requests_ = o.requests_;
    shutdowns_ = o.shutdowns_;
    shutdownFlags_ = o.shutdownFlags_;
    return *this;
}

Machine Machine::FromProfile(const std::string& text) {
    IniText ini = IniText::Parse(text);
    Machine m;
    m.name = ini.Get("Machine", "Name");
    m.processors = std::atoi(ini.Get("Machine", "Processors", "0").c_str());
    m.physicalMemory = std::strtoull(ini.Get("Machine", "PhysicalMemory", "0").c_str(), nullptr, 10);
    m.clockMHz = static_cast<unsigned>(std::strtoul(ini.Get("Machine", "ClockMHz", "1000").c_str(), nullptr, 10));
    m.driverPresent = !EqualsIgnoreCase(ini.Get("Machine", "Driver", "present"), "missing");
    m.driverVersion = static_cast<uint32_t>(Hex(ini.Get("Machine", "DriverVersion", "100")));
    m.cyrixDivideQuirk = Yes(ini.Get("Machine", "CyrixDivideQuirk", "no"));
    m.stateFile = ini.Get("Machine", "StateFile");

    std::string available = ini.Get("CPUID", "Available", "yes");
    m.cpuidMode = EqualsIgnoreCase(available, "after-ccr4") ? CpuidMode::AfterCcr4
                  : EqualsIgnoreCase(available, "no")       ? CpuidMode::No
                                                            : CpuidMode::Yes;
    if (const auto* s = ini.Find("CPUID"))
        for (const auto& [key, value] : s->entries) {
            if (EqualsIgnoreCase(key, "Available")) continue;
            auto w = HexWords(value);
            w.resize(4, 0);
            m.cpuid_[static_cast<uint32_t>(Hex(key))] = hw::CpuidRegisters{
                static_cast<uint32_t>(w[0]), static_cast<uint32_t>(w[1]), static_cast<uint32_t>(w[2]),
                static_cast<uint32_t>(w[3])};
        }
    if (const auto* s = ini.Find("MSR"))
        for (const auto& [key, value] : s->entries) {
            auto w = HexWords(value);
            w.resize(2, 0);
            m.msr_[static_cast<uint32_t>(Hex(key))] = (w[0] << 32) | (w[1] & 0xFFFFFFFFu);
        }
    if (const auto* s = ini.Find("Cyrix"))
        for (const auto& [key, value] : s->entries)
            m.cyrix_[static_cast<uint8_t>(Hex(key))] = static_cast<uint8_t>(Hex(value));
    if (const auto* s = ini.Find("PCI"))
        for (const auto& [key, value] : s->entries) {
            PciAddress a{};
            uint8_t reg = 0;
            if (ParsePciKey(key, a, reg)) m.pci_[a][reg] = static_cast<uint32_t>(Hex(value));
        }
    if (const auto* s = ini.Find("PCIReadOnly"))
        for (const auto& [key, value] : s->entries) {
            PciAddress a{};
            uint8_t reg = 0;
            if (ParsePciKey(key, a, reg)) m.pciReadOnly_[a][reg] = static_cast<uint32_t>(Hex(value));
        }
    return m;
}

bool Machine::Granted(uint16_t port) const {
    for (const auto& [first, last] : granted_)
        if (port >= first && port <= last) return true;
    return false;
}

void Machine::Fault(const char* access, uint16_t port) {
    std::string text = Format("%s of port %.4x outside the granted ranges", {access, port});
    faults_.push_back(text);
    LogText("Simulator fault: " + text);
}

bool Machine::Request(const hw::RequestBlock& request, hw::RequestBlock* reply) {
    const uint32_t function = request.word[0];
    if (function == drv::kHalt) {
        ++halts_;
        host::Halt();
        return true;
    }
    hw::RequestBlock out = request;
    {
        std::lock_guard guard(lock_);
        ++requests_[function];
        switch (function) {
        case drv::kVersion:
            out.word[0] = driverVersion;
            break;
        case drv::kReadPort:
            ++c2Reads_[static_cast<uint16_t>(request.word[1])];
            break;
        case drv::kReadMsr: {
            auto it = msr_.find(request.word[1]);
            uint64_t v = it == msr_.end() ? 0 : it->second;
            out.word[0] = static_cast<uint32_t>(v);
            out.word[1] = static_cast<uint32_t>(v >> 32);
            break;
        }
        case drv::kWriteMsr:
            msr_[request.word[1]] = (static_cast<uint64_t>(request.word[3]) << 32) | request.word[2];
            break;
        case drv::kGrantPorts:
            granted_.emplace_back(static_cast<uint16_t>(request.word[1]), static_cast<uint16_t>(request.word[2]));
            break;
        default:
            return false;
        }
    }
    // Reading the C2 port puts the processor to sleep just as a halt does.
    if (function == drv::kReadPort) host::Halt();
    if (reply) *reply = out;
    return true;
}

uint32_t Machine::PciDataLocked() const {
    if (!(pciAddress_ & 0x80000000u)) return 0xFFFFFFFF;
    PciAddress a{static_cast<uint8_t>(pciAddress_ >> 16), static_cast<uint8_t>((pciAddress_ >> 11) & 0x1F),
                 static_cast<uint8_t>((pciAddress_ >> 8) & 7)};
    auto f = pci_.find(a);
    if (f == pci_.end() || !f->second.count(0)) return 0xFFFFFFFF;
    auto r = f->second.find(static_cast<uint8_t>(pciAddress_ & 0xFC));
    return r == f->second.end() ? 0 : r->second;
}

uint8_t Machine::In8(uint16_t port) {
    std::lock_guard guard(lock_);
    if (!Granted(port)) {
        Fault("IN", port);
        return 0xFF;
    }
    if (port == 0x23) return cyrix_.count(cyrixIndex_) ? cyrix_[cyrixIndex_] : 0;
    if (port >= 0xCFC && port <= 0xCFF) return static_cast<uint8_t>(PciDataLocked() >> ((port - 0xCFC) * 8));
    return 0xFF;
}

void Machine::Out8(uint16_t port, uint8_t value) {
    std::lock_guard guard(lock_);
    if (!Granted(port)) {
        Fault("OUT", port);
        return;
    }
    if (port == 0x22) cyrixIndex_ = value;
    else if (port == 0x23) cyrix_[cyrixIndex_] = value;
}

uint32_t Machine::In32(uint16_t port) {
    std::lock_guard guard(lock_);
    if (!Granted(port)) {
        Fault("IN", port);
        return 0xFFFFFFFF;
    }
    if (port == 0xCFC) return PciDataLocked();
    return port == 0xCF8 ? pciAddress_ : 0xFFFFFFFF;
}

void Machine::Out32(uint16_t port, uint32_t value) {
    std::lock_guard guard(lock_);
    if (!Granted(port)) {
        Fault("OUT", port);
        return;
    }
    if (port == 0xCF8) {
        pciAddress_ = value;
    } else if (port == 0xCFC && (pciAddress_ & 0x80000000u)) {
        PciAddress a{static_cast<uint8_t>(pciAddress_ >> 16), static_cast<uint8_t>((pciAddress_ >> 11) & 0x1F),
                     static_cast<uint8_t>((pciAddress_ >> 8) & 7)};
        auto f = pci_.find(a);
        if (f == pci_.end() || !f->second.count(0)) return;
        const uint8_t reg = static_cast<uint8_t>(pciAddress_ & 0xFC);
        uint32_t fixed = 0;
        if (auto ro = pciReadOnly_.find(a); ro != pciReadOnly_.end())
            if (auto r = ro->second.find(reg); r != ro->second.end()) fixed = r->second;
        uint32_t& stored = f->second[reg];
        stored = (value & ~fixed) | (stored & fixed);
    }
}

bool Machine::CpuidPresent() const {
    switch (cpuidMode) {
    case CpuidMode::Yes: return true;
    case CpuidMode::No: return false;
    case CpuidMode::AfterCcr4: return (CyrixRegister(0xE8) & 0x80) != 0;
    }
    return false;
}

hw::CpuidRegisters Machine::Cpuid(uint32_t leaf) const {
    std::lock_guard guard(lock_);
    auto it = cpuid_.find(leaf);
    return it == cpuid_.end() ? hw::CpuidRegisters{0, 0, 0, 0} : it->second;
}

uint64_t Machine::Msr(uint32_t reg) const {
    std::lock_guard guard(lock_);
    auto it = msr_.find(reg);
    return it == msr_.end() ? 0 : it->second;
}

uint8_t Machine::CyrixRegister(uint8_t index) const {
    std::lock_guard guard(lock_);
    auto it = cyrix_.find(index);
    return it == cyrix_.end() ? 0 : it->second;
}

uint32_t Machine::PciRead(PciAddress a, uint8_t reg) const {
    std::lock_guard guard(lock_);
    auto f = pci_.find(a);
    if (f == pci_.end() || !f->second.count(0)) return 0xFFFFFFFF;
    auto r = f->second.find(static_cast<uint8_t>(reg & 0xFC));
    return r == f->second.end() ? 0 : r->second;
}

void Machine::PciWrite(PciAddress a, uint8_t reg, uint32_t value) {
    std::lock_guard guard(lock_);
    auto f = pci_.find(a);
    if (f != pci_.end() && f->second.count(0)) f->second[static_cast<uint8_t>(reg & 0xFC)] = value;
}

uint64_t Machine::RequestCount(uint32_t function) const {
    if (function == drv::kHalt) return halts_;
    std::lock_guard guard(lock_);
    auto it = requests_.find(function);
    return it == requests_.end() ? 0 : it->second;
}

uint64_t Machine::C2Reads(uint16_t port) const {
    std::lock_guard guard(lock_);
    auto it = c2Reads_.find(port);
    return it == c2Reads_.end() ? 0 : it->second;
}

void Machine::RequestShutdown(uint16_t flags) {
    std::lock_guard guard(lock_);
    ++shutdowns_;
    shutdownFlags_ = flags;
}

uint64_t Machine::ShutdownRequests() const {
    std::lock_guard guard(lock_);
    return shutdowns_;
}

std::string Machine::StateText() const {
    IniText out;
    std::lock_guard guard(lock_);
    for (const auto& [reg, v] : msr_)
        out.Set("MSR", Format("%x", {reg}),
                Format("%.8x %.8x", {static_cast<uint32_t>(v >> 32), static_cast<uint32_t>(v)}));
    for (const auto& [index, v] : cyrix_) out.Set("Cyrix", Format("%.2x", {index}), Format("%.2x", {v}));
    for (const auto& [a, regs] : pci_)
        for (const auto& [reg, v] : regs)
            out.Set("PCI", Format("%.2x:%.2x.%x@%.2x", {a.bus, a.device, a.function, reg}), Format("%.8x", {v}));
    const uint32_t functions[] = {drv::kHalt, drv::kReadPort, drv::kReadMsr, drv::kWriteMsr, drv::kGrantPorts,
                                  drv::kVersion};
    for (uint32_t f : functions) {
        uint64_t n = f == drv::kHalt ? halts_.load() : (requests_.count(f) ? requests_.at(f) : 0);
        out.Set("Requests", std::to_string(f), std::to_string(n));
    }
    out.sections.push_back({"C2Reads", {}});
    for (const auto& [port, n] : c2Reads_) out.Set("C2Reads", Format("%.4x", {port}), std::to_string(n));
    out.sections.push_back({"Ports", {}});
    for (size_t i = 0; i < granted_.size(); ++i)
        out.Set("Ports", std::to_string(i), Format("%.4x-%.4x", {granted_[i].first, granted_[i].second}));
    out.sections.push_back({"Faults", {}});
    out.Set("Faults", "Count", std::to_string(faults_.size()));
    for (size_t i = 0; i < faults_.size(); ++i) out.Set("Faults", std::to_string(i + 1), faults_[i]);
    if (shutdowns_ > 0) {
        out.Set("Shutdown", "Count", std::to_string(shutdowns_));
        out.Set("Shutdown", "Flags", std::to_string(shutdownFlags_));
    }
    return out.Text();
}

namespace {
Machine& Storage() {
    static Machine m = [] {
        std::string text = host::ProfileText();
        return Machine::FromProfile(text.empty() ? Machine::kDefaultProfile : text);
    }();
    return m;
}
}  // namespace

Machine& Current() { return Storage(); }
void SetCurrent(const Machine& m) { Storage() = m; }

void RecordShutdown(uint16_t flags) {
    Machine& m = Current();
    m.RequestShutdown(flags);
    if (!m.stateFile.empty()) host::WriteFile(m.stateFile, m.StateText());
}

}  // namespace sim
