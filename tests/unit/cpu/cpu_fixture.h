// Shared set-up of the processor tests: machine profiles from the fixtures folder, the
// simulated machine swapped in with the driver open, and a fake of the Windows services
// behind timing whose counters follow the simulated processor's clock.
#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/ini.h"
#include "cpu/cpuid.h"
#include "cpu/processor.h"
#include "hw/backend.h"
#include "hw/driver.h"
#include "hw/registers.h"
#include "hw/timing.h"
#include "sim/machine.h"

namespace cputest {

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string CpuidFixture(const std::string& name) {
    return ReadText(std::string(QUILLAR_FIXTURES) + "/cpuid/" + name + ".ini");
}

inline std::string MachineFixture(const std::string& name) {
    return ReadText(std::string(QUILLAR_FIXTURES) + "/machines/" + name + ".ini");
}

// Every processor profile, by name without ".ini", sorted.
inline std::vector<std::string> CpuidFixtureNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(QUILLAR_FIXTURES) + "/cpuid"))
        if (entry.path().extension() == ".ini") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Puts the machine of `profile` in place with the driver open.
inline void UseMachine(const std::string& profile) {
    sim::SetCurrent(sim::Machine::FromProfile(profile));
    hw::backend::OpenDevice();
}

inline void UseFixture(const std::string& name) { UseMachine(CpuidFixture(name)); }

// Counters on the same steady clock as the simulated time-stamp counter, so a measurement
// yields the profile's ClockMHz. Every call is recorded.
class FakeProcessors : public ProcessorPlatform {
public:
    uint32_t affinity = 0x3;
    bool affinityReadable = true;
    bool frequencyWorks = true;
    bool counterWorks = true;
    Version version{6, 1, 7601, 2, "Service Pack 1"};
    bool versionWorks = true;
    std::vector<uint32_t> affinitySets;
    std::vector<uint32_t> sleeps;
    // Runs during every sleep, before the time passes (to look at registers mid-measurement).
    std::function<void(uint32_t ms)> duringSleep;

    bool GetProcessAffinity(uint32_t& mask) override {
        mask = affinity;
        return affinityReadable;
    }
    bool SetProcessAffinity(uint32_t mask) override {
        affinitySets.push_back(mask);
        affinity = mask;
        return true;
    }
    bool QueryFrequency(int64_t& f) override {
        f = 1000000000;
        return frequencyWorks;
    }
    bool QueryCounter(int64_t& c) override {
        c = static_cast<int64_t>(sim::host::Nanoseconds());
        return counterWorks;
    }
    void Sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        if (duringSleep) duringSleep(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    uint32_t TickCount() override { return static_cast<uint32_t>(sim::host::Nanoseconds() / 1000000); }
    bool GetVersion(Version& v) override {
        v = version;
        return versionWorks;
    }
};

// A processor of its own for one test, on fake processor services.
struct TestCpu {
    FakeProcessors fake;
    TCpu cpu{fake};
    TRegisters& regs = cpu.registers;
};

}  // namespace cputest
