// A machine for the driver's request code that records every privileged operation instead of
// executing it, with registers to read and faults to raise on demand.
#pragma once
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "driver/protocol.h"

namespace driver_test {

struct FakeMachine {
    std::map<uint32_t, uint64_t> msrs;
    std::vector<std::string> calls;  // "rdmsr 2A", "wrmsr 2A 0000000004000000", "in 414", ...
    bool msrReadFaults = false, msrWriteFaults = false, portFaults = false, haltFaults = false;
    bool passive = true;
    bool grantWorks = true;
    int held = 0;  // holds not yet released

    static FakeMachine& Of(void* context) { return *static_cast<FakeMachine*>(context); }
    void Note(const char* format, uint32_t a, uint64_t b = 0) {
        char text[64];
        std::snprintf(text, sizeof text, format, a, static_cast<unsigned long long>(b));
        calls.push_back(text);
    }

    qpro::Machine Ops() {
        qpro::Machine m;
        m.context = this;
        m.readMsr = [](void* c, uint32_t reg, uint64_t* value) {
            FakeMachine& f = Of(c);
            f.Note("rdmsr %X", reg);
            if (f.msrReadFaults) return false;
            *value = f.msrs[reg];
            return true;
        };
        m.writeMsr = [](void* c, uint32_t reg, uint64_t value) {
            FakeMachine& f = Of(c);
            f.Note(f.held ? "wrmsr %X %016llX" : "wrmsr %X %016llX unheld", reg, value);
            if (f.msrWriteFaults) return false;
            f.msrs[reg] = value;
            return true;
        };
        m.readPort8 = [](void* c, uint16_t port) {
            Of(c).Note("in %X", port);
            return !Of(c).portFaults;
        };
        m.holdProcessor = [](void* c) -> uintptr_t {
            Of(c).calls.push_back("hold");
            return static_cast<uintptr_t>(++Of(c).held);
        };
        m.releaseProcessor = [](void* c, uintptr_t held) {
            Of(c).Note("release %u", static_cast<uint32_t>(held));
            --Of(c).held;
        };
        m.grantPorts = [](void* c, uint16_t first, uint16_t last) {
            Of(c).Note("grant %X-%llX", first, last);
            return Of(c).grantWorks;
        };
        m.atPassiveLevel = [](void* c) { return Of(c).passive; };
        m.halt = [](void* c) {
            Of(c).calls.push_back("halt");
            return !Of(c).haltFaults;
        };
        return m;
    }
};

}  // namespace driver_test
