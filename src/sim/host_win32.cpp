// The simulation's host side on Windows (and on Wine, where it talks to the Linux kernel).
#include <windows.h>

#include <string>

#include "sim/machine.h"

namespace sim::host {

namespace {

bool UnderWine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

// A direct i386 Linux system call. The simulated driver stands for kernel code, so under
// Wine it asks the host kernel itself for what the real driver's halt gives: the thread
// runs only when nothing else wants the processor, and its time is kernel time.
long LinuxCall(long number, long a, long b, long c) {
    long result;
    asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c) : "memory");
    return result;
}

constexpr long kSchedSetScheduler = 156;
constexpr long kSchedYield = 158;
constexpr long kSchedIdle = 5;

std::string ReadWholeFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    CloseHandle(h);
    return text;
}

}  // namespace

void Halt() {
    if (!UnderWine()) {
        SwitchToThread();
        return;
    }
    thread_local bool idleClass = false;
    if (!idleClass) {
        long param = 0;  // struct sched_param { int sched_priority; }
        LinuxCall(kSchedSetScheduler, 0, kSchedIdle, reinterpret_cast<long>(&param));
        idleClass = true;
    }
    LinuxCall(kSchedYield, 0, 0, 0);
}

int ProcessorCount() {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    return static_cast<int>(si.dwNumberOfProcessors);
}

uint64_t PhysicalMemory() {
    MEMORYSTATUS ms{};
    ms.dwLength = sizeof ms;
    GlobalMemoryStatus(&ms);
    return ms.dwTotalPhys;
}

uint64_t Nanoseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
    uint64_t f = static_cast<uint64_t>(frequency.QuadPart);
    return ticks / f * 1000000000ull + ticks % f * 1000000000ull / f;
}

std::string ProfileText() {
    char path[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA("QUILLAR_MACHINE", path, sizeof path);
    if (n > 0 && n < sizeof path) return ReadWholeFile(path);
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string file = path;
    file = file.substr(0, file.find_last_of('\\') + 1) + "machine.ini";
    return ReadWholeFile(file);
}

bool WriteFile(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == text.size();
}

}  // namespace sim::host
