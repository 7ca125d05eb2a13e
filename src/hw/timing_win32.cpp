// The Windows services behind timing, processor placement and the version query.
#include <windows.h>

#include "hw/timing.h"

namespace {

class WindowsProcessorPlatform : public ProcessorPlatform {
public:
    bool GetProcessAffinity(uint32_t& mask) override {
        DWORD_PTR process = 0, system = 0;
        if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return false;
        mask = static_cast<uint32_t>(process);
        return true;
    }
    bool SetProcessAffinity(uint32_t mask) override {
        return SetProcessAffinityMask(GetCurrentProcess(), static_cast<DWORD_PTR>(mask)) != FALSE;
    }
    bool QueryFrequency(int64_t& frequency) override {
        LARGE_INTEGER f;
        if (!QueryPerformanceFrequency(&f)) return false;
        frequency = f.QuadPart;
        return true;
    }
    bool QueryCounter(int64_t& counter) override {
        LARGE_INTEGER c;
        if (!QueryPerformanceCounter(&c)) return false;
        counter = c.QuadPart;
        return true;
    }
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
    uint32_t TickCount() override { return GetTickCount(); }
    bool GetVersion(Version& version) override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.build = info.dwBuildNumber;
        version.platform = info.dwPlatformId;
        version.servicePack = info.szCSDVersion;
        return true;
    }
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA expects the 148-byte structure");

}  // namespace

ProcessorPlatform& SystemProcessorPlatform() {
    static WindowsProcessorPlatform platform;
    return platform;
}
