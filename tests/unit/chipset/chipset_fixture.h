// Shared set-up of the chipset tests: machine profiles from the fixtures folder, the
// simulated machine swapped in with the configuration ports granted, and the event log
// captured as its texts without the time-stamp prefix.
#pragma once
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hw/backend.h"
#include "hw/driver.h"
#include "common/log.h"
#include "hw/pci_config.h"
#include "sim/machine.h"

namespace chipsettest {

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string Fixture(const std::string& name) {
    return ReadText(std::string(QUILLAR_FIXTURES) + "/" + name);
}

inline std::string Machine(const std::string& name) { return Fixture("machines/" + name + ".ini"); }

// Puts the machine of `profile` in place, driver open, ports 0xCF8-0xCFF granted.
inline void UseMachine(const std::string& profile) {
    sim::SetCurrent(sim::Machine::FromProfile(profile));
    hw::backend::OpenDevice();
    PreparePCIAccess();
}

inline uint32_t HostRegister(uint8_t reg) { return sim::Current().PciRead({0, 0, 0}, reg); }

// Logging is on while the object lives; Lines() ends it and returns the texts written.
class LogCapture {
public:
    LogCapture() {
        std::remove(kLogFilePath);
        SetLogging(true);
    }
    ~LogCapture() {
        SetLogging(false);
        std::remove(kLogFilePath);
    }
    std::vector<std::string> Lines() {
        SetLogging(false);
        std::vector<std::string> lines;
        std::istringstream in(ReadText(kLogFilePath));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const size_t text = line.find("]\t");
            lines.push_back(text == std::string::npos ? line : line.substr(text + 2));
        }
        return lines;
    }
};

// The lines that are not configuration accesses.
inline std::vector<std::string> WithoutPciLines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines)
        if (l.rfind("PCI Read  ", 0) != 0 && l.rfind("PCI Write ", 0) != 0) out.push_back(l);
    return out;
}

}  // namespace chipsettest
