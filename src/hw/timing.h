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

// Moves the whole process onto one processor after another and puts it back where it was
// when it goes out of scope. When the process's placement cannot be read nothing is moved:
// there would be no way back, and the process would stay on the last processor.
class ProcessPlacement {
public:
    explicit ProcessPlacement(ProcessorPlatform& os) : os_(os), saved_(os.GetProcessAffinity(mask_)) {}
    ~ProcessPlacement() {
        if (saved_) os_.SetProcessAffinity(mask_);
    }
    ProcessPlacement(const ProcessPlacement&) = delete;
    ProcessPlacement& operator=(const ProcessPlacement&) = delete;

    // Whether the process can be moved (and so put back).
    bool Movable() const { return saved_; }
    // Pins the process to processor `index` (0 to 31); false when it stays where it is.
    bool PinTo(int index) { return saved_ && os_.SetProcessAffinity(1u << index); }

private:
    ProcessorPlatform& os_;
    uint32_t mask_ = 0;
    const bool saved_;
};

// The system's services (one definition per build).
ProcessorPlatform& SystemProcessorPlatform();

// Total physical memory in MB, truncated, plus 1 (so 536,346,624 bytes give 512).
int32_t PhysicalMemoryMB();
int32_t MemoryBytesToMB(uint64_t bytes);
