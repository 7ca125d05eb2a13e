#include "sim/machine.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "common/format.h"
#include "common/ini.h"
#include "common/log.h"
#include "hw/driver.h"

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

uint32_t Hex32(const std::string& text) { return static_cast<uint32_t>(Hex(text)); }

// The first `count` blank-separated hexadecimal words of a text; words left out read 0.
std::vector<uint64_t> HexWords(const std::string& text, size_t count) {
    std::vector<uint64_t> words;
    auto blank = [&](size_t i) { return std::isspace(static_cast<unsigned char>(text[i])) != 0; };
    for (size_t i = 0; i < text.size();) {
        if (blank(i)) {
            ++i;
            continue;
        }
        const size_t word = i;
        while (i < text.size() && !blank(i)) ++i;
        words.push_back(std::strtoull(text.substr(word, i - word).c_str(), nullptr, 16));
    }
    words.resize(count, 0);
    return words;
}

// The value at `key`, or the mapped type's zero when there is none.
template <class Map>
typename Map::mapped_type ValueOr0(const Map& map, const typename Map::key_type& key) {
    const auto it = map.find(key);
    return it == map.end() ? typename Map::mapped_type{} : it->second;
}

// Calls `read(key, value)` for every entry of a section.
template <class Read>
void ForEachEntry(const IniText& ini, const char* section, Read read) {
    if (const IniText::Section* s = ini.Find(section))
        for (const auto& [key, value] : s->entries) read(key, value);
}

// The [Machine] keys and how each value is read; a key that is absent leaves the default.
struct MachineKey {
    const char* key;
    void (*read)(MachineContents& m, const std::string& value);
};
const MachineKey kMachineKeys[] = {
    {"Name", [](MachineContents& m, const std::string& v) { m.name = v; }},
    {"Processors", [](MachineContents& m, const std::string& v) { m.processors = std::atoi(v.c_str()); }},
    {"PhysicalMemory",
     [](MachineContents& m, const std::string& v) { m.physicalMemory = std::strtoull(v.c_str(), nullptr, 10); }},
    {"ClockMHz",
     [](MachineContents& m, const std::string& v) {
         m.clockMHz = static_cast<unsigned>(std::strtoul(v.c_str(), nullptr, 10));
     }},
    {"Driver", [](MachineContents& m, const std::string& v) { m.driverPresent = !EqualsIgnoreCase(v, "missing"); }},
    {"DriverVersion", [](MachineContents& m, const std::string& v) { m.driverVersion = Hex32(v); }},
    {"CyrixDivideQuirk",
     [](MachineContents& m, const std::string& v) { m.cyrixDivideQuirk = EqualsIgnoreCase(v, "yes"); }},
    {"StateFile", [](MachineContents& m, const std::string& v) { m.stateFile = v; }},
};

CpuidMode CpuidModeOf(const std::string& available) {
    if (EqualsIgnoreCase(available, "after-ccr4")) return CpuidMode::AfterCcr4;
    return EqualsIgnoreCase(available, "no") ? CpuidMode::No : CpuidMode::Yes;
}

// A configuration doubleword with its parts cut to their widths and the register rounded
// down to a multiple of 4.
PciRegister PciRegisterOf(unsigned bus, unsigned device, unsigned function, unsigned reg) {
    return {PciAddress{static_cast<uint8_t>(bus), static_cast<uint8_t>(device & 0x1F), static_cast<uint8_t>(function & 7)},
            static_cast<uint8_t>(reg & 0xFC)};
}

// "00:11.0@88": bus, device, function and register in hexadecimal.
std::optional<PciRegister> ParsePciKey(const std::string& key) {
    unsigned bus, dev, fn, reg;
    if (std::sscanf(key.c_str(), "%x:%x.%x@%x", &bus, &dev, &fn, &reg) != 4) return std::nullopt;
    return PciRegisterOf(bus, dev, fn, reg);
}

// What the configuration address port selects: nothing while its enable bit is clear.
std::optional<PciRegister> SelectedBy(uint32_t address) {
    if (!(address & 0x80000000u)) return std::nullopt;
    return PciRegisterOf((address >> 16) & 0xFF, address >> 11, address >> 8, address);
}

// The registers of a function that exists (its register 00 is given), or null.
template <class Space>
auto* ExistingFunction(Space& space, PciAddress a) {
    const auto f = space.find(a);
    return f != space.end() && f->second.count(0) ? &f->second : nullptr;
}

}  // namespace

Machine& Machine::operator=(const Machine& o) {
    if (this != &o) {
        std::scoped_lock guard(lock_, o.lock_);
        MachineContents::operator=(o);
    }
    return *this;
}

Machine Machine::FromProfile(const std::string& text) {
    const IniText ini = IniText::Parse(text);
    Machine m;
    ForEachEntry(ini, "Machine", [&](const std::string& key, const std::string& value) {
        for (const MachineKey& k : kMachineKeys)
            if (EqualsIgnoreCase(key, k.key)) k.read(m, value);
    });
    ForEachEntry(ini, "CPUID", [&](const std::string& key, const std::string& value) {
        if (EqualsIgnoreCase(key, "Available")) {
            m.cpuidMode = CpuidModeOf(value);
            return;
        }
        const std::vector<uint64_t> w = HexWords(value, 4);
        m.cpuid_[Hex32(key)] = hw::CpuidRegisters{static_cast<uint32_t>(w[0]), static_cast<uint32_t>(w[1]),
                                                  static_cast<uint32_t>(w[2]), static_cast<uint32_t>(w[3])};
    });
    ForEachEntry(ini, "MSR", [&](const std::string& key, const std::string& value) {
        const std::vector<uint64_t> w = HexWords(value, 2);
        m.msr_[Hex32(key)] = (w[0] << 32) | (w[1] & 0xFFFFFFFFu);
    });
    ForEachEntry(ini, "Cyrix", [&](const std::string& key, const std::string& value) {
        m.cyrix_[static_cast<uint8_t>(Hex(key))] = static_cast<uint8_t>(Hex(value));
    });
    for (const auto& section : {std::pair{"PCI", &m.pci_}, std::pair{"PCIReadOnly", &m.pciReadOnly_}}) {
        auto& space = *section.second;
        ForEachEntry(ini, section.first, [&](const std::string& key, const std::string& value) {
            if (const auto r = ParsePciKey(key)) space[r->at][r->reg] = Hex32(value);
        });
    }
    return m;
}

template <class Map>
typename Map::mapped_type Machine::Lookup(const Map& map, const typename Map::key_type& key) const {
    std::lock_guard guard(lock_);
    return ValueOr0(map, key);
}

bool Machine::Allowed(const char* access, uint16_t port) {
    for (const auto& [first, last] : granted_)
        if (port >= first && port <= last) return true;
    std::string text = Format("%s of port %.4x outside the granted ranges", {access, port});
    faults_.push_back(text);
    LogText("Simulator fault: " + text);
    return false;
}

bool Machine::Request(const hw::RequestBlock& request, hw::RequestBlock* reply) {
    const uint32_t function = request.word[0];
    hw::RequestBlock out = request;
    {
        std::lock_guard guard(lock_);
        ++requests_[function];
        switch (function) {
        case drv::kHalt:
            break;
        case drv::kVersion:
            out.word[0] = driverVersion;
            break;
        case drv::kReadPort:
            ++c2Reads_[static_cast<uint16_t>(request.word[1])];
            break;
        case drv::kReadMsr: {
            const uint64_t v = ValueOr0(msr_, request.word[1]);
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
    if (function == drv::kHalt || function == drv::kReadPort) host::Halt();
    if (reply) *reply = out;
    return true;
}

uint32_t Machine::ConfigRead(PciRegister r) const {
    const Registers* f = ExistingFunction(pci_, r.at);
    return f ? ValueOr0(*f, r.reg) : 0xFFFFFFFF;
}

void Machine::ConfigWrite(PciRegister r, uint32_t value, uint32_t fixedBits) {
    if (Registers* f = ExistingFunction(pci_, r.at)) {
        uint32_t& stored = (*f)[r.reg];
        stored = (value & ~fixedBits) | (stored & fixedBits);
    }
}

uint32_t Machine::ConfigData() const {
    const auto r = SelectedBy(pciAddress_);
    return r ? ConfigRead(*r) : 0xFFFFFFFF;
}

uint8_t Machine::In8(uint16_t port) {
    std::lock_guard guard(lock_);
    if (!Allowed("IN", port)) return 0xFF;
    if (port == 0x23) return ValueOr0(cyrix_, cyrixIndex_);
    if (port >= 0xCFC && port <= 0xCFF) return static_cast<uint8_t>(ConfigData() >> ((port - 0xCFC) * 8));
    return 0xFF;
}

void Machine::Out8(uint16_t port, uint8_t value) {
    std::lock_guard guard(lock_);
    if (!Allowed("OUT", port)) return;
    if (port == 0x22) cyrixIndex_ = value;
    else if (port == 0x23) cyrix_[cyrixIndex_] = value;
}

uint32_t Machine::In32(uint16_t port) {
    std::lock_guard guard(lock_);
    if (!Allowed("IN", port)) return 0xFFFFFFFF;
    if (port == 0xCFC) return ConfigData();
    return port == 0xCF8 ? pciAddress_ : 0xFFFFFFFF;
}

void Machine::Out32(uint16_t port, uint32_t value) {
    std::lock_guard guard(lock_);
    if (!Allowed("OUT", port)) return;
    if (port == 0xCF8) {
        pciAddress_ = value;
    } else if (port == 0xCFC) {
        if (const auto r = SelectedBy(pciAddress_)) {
            const auto readOnly = pciReadOnly_.find(r->at);
            ConfigWrite(*r, value, readOnly == pciReadOnly_.end() ? 0 : ValueOr0(readOnly->second, r->reg));
        }
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

hw::CpuidRegisters Machine::Cpuid(uint32_t leaf) const { return Lookup(cpuid_, leaf); }

uint64_t Machine::Msr(uint32_t reg) const { return Lookup(msr_, reg); }

uint8_t Machine::CyrixRegister(uint8_t index) const { return Lookup(cyrix_, index); }

uint32_t Machine::PciRead(PciAddress a, uint8_t reg) const {
    std::lock_guard guard(lock_);
    return ConfigRead({a, static_cast<uint8_t>(reg & 0xFC)});
}

void Machine::PciWrite(PciAddress a, uint8_t reg, uint32_t value) {
    std::lock_guard guard(lock_);
    ConfigWrite({a, static_cast<uint8_t>(reg & 0xFC)}, value, 0);
}

uint64_t Machine::RequestCount(uint32_t function) const { return Lookup(requests_, function); }

uint64_t Machine::C2Reads(uint16_t port) const { return Lookup(c2Reads_, port); }

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
    for (uint32_t f : {drv::kHalt, drv::kReadPort, drv::kReadMsr, drv::kWriteMsr, drv::kGrantPorts, drv::kVersion})
        out.Set("Requests", std::to_string(f), std::to_string(ValueOr0(requests_, f)));
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
