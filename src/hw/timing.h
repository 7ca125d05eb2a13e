// The Windows services behind timing, processor placement and the version query, and the
// physical memory size.
#pragma once
#include <cstdint>
#include <string>

// The program uses the system's (timing_win32.cpp); native builds get a stand-in
// (timing_posix.cpp); tests hand in fakes.
class ProcessorPlatform {
public:
    virtual ~ProcessorPlatform() = default;
    // GetProcessAffinityMask of the current process; false when it fails.
    virtual bool GetProcessAffinity(uint32_t& mask) = 0;
    // SetProcessAffinityMask of the current process; false when it fails.
    virtual bool SetProcessAffinity(uint32_t mask) = 0;
    virtual bool QueryFrequency(int64_t& frequency) = 0;
    virtual bool QueryCounter(int64_t& counter) = 0;
    virtual void Sleep(uint32_t ms) = 0;
    virtual uint32_t TickCount() = 0;

    // GetVersionExA with the 148-byte structure.
    struct Version {
        uint32_t major = 0, minor = 0, build = 0, platform = 0;
        std::string servicePack;  // szCSDVersion
    };
    virtual bool GetVersion(Version& version) = 0;
};

// The system's services (one definition per build).
ProcessorPlatform& SystemProcessorPlatform();

// Total physical memory in MB, truncated, plus 1 (so 536,346,624 bytes give 512).
int32_t PhysicalMemoryMB();
int32_t MemoryBytesToMB(uint64_t bytes);
