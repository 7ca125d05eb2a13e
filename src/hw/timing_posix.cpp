// Native stand-in of the Windows services behind timing: a steady clock for the counters and
// the tick count, a real sleep, a process affinity that is only remembered, and a version
// that reads as Windows 7.
#include <chrono>
#include <thread>

#include "hw/timing.h"

namespace {

class NativeProcessorPlatform : public ProcessorPlatform {
public:
    bool GetProcessAffinity(uint32_t& mask) override {
        mask = affinity_;
        return true;
    }
    bool SetProcessAffinity(uint32_t mask) override {
        if (mask == 0) return false;
        affinity_ = mask;
        return true;
    }
    bool QueryFrequency(int64_t& frequency) override {
        frequency = 1000000000;
        return true;
    }
    bool QueryCounter(int64_t& counter) override {
        counter = Nanoseconds();
        return true;
    }
    void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    uint32_t TickCount() override { return static_cast<uint32_t>(Nanoseconds() / 1000000); }
    bool GetVersion(Version& version) override {
        version = Version{6, 1, 7601, 2, "Service Pack 1"};
        return true;
    }

private:
    static int64_t Nanoseconds() {
        using namespace std::chrono;
        return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    }
    uint32_t affinity_ = 1;
};

}  // namespace

ProcessorPlatform& SystemProcessorPlatform() {
    static NativeProcessorPlatform platform;
    return platform;
}
