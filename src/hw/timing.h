// Processor timing: the time-stamp counter, the clock speed in MHz and the physical memory
// size, plus the few Windows services these and the per-processor loop need.
#pragma once
#include <cstdint>
#include <string>

// The Windows services behind timing, processor placement and the version query. The
// program uses the system's (timing_win32.cpp); native builds get a stand-in
// (timing_posix.cpp); tests install fakes.
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

// The platform in use; tests install their own and pass null to go back.
ProcessorPlatform& Processors();
void SetProcessorPlatform(ProcessorPlatform* platform);
// The system's services (one definition per build).
ProcessorPlatform& SystemProcessorPlatform();

// The last time-stamp reading and the start reading of the running measurement.
extern uint64_t TimeStampReading;
extern uint64_t TimeStampStart;
// The last measured clock speed; 0 when none was measured.
extern int32_t ClockMHz;

// Executes RDTSC, keeps the value in TimeStampReading and returns it.
uint64_t ReadTimeStampCounter();
// Measures the clock on processor 0 with halt power saving off, keeps it in ClockMHz and
// returns it (0 without CPUID or time-stamp counter).
int32_t MeasureClockSpeed();
// Snaps a measured clock to a multiple of ten, or of a hundred plus 33, when it is within
// 1.5 MHz of one; otherwise rounds it.
int32_t RoundClockMHz(double x);
// The precise method's arithmetic: MHz from time-stamp ticks over performance-counter
// ticks at `frequency`; 0 when it cannot be computed.
int32_t ClockFromCounters(uint64_t ticks, int64_t counterTicks, int64_t frequency);
// Total physical memory in MB, truncated, plus 1 (so 536,346,624 bytes give 512).
int32_t PhysicalMemoryMB();
int32_t MemoryBytesToMB(uint64_t bytes);
