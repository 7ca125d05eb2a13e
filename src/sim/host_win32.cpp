// The simulation's host side on Windows (and on Wine, where it talks to the Linux kernel).
#include <windows.h>

#include <string>

#include "sim/halt.h"
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
// Arguments go in ebx, ecx, edx, esi and edi.
long LinuxCall(long number, long a, long b, long c, long d = 0, long e = 0) {
    long result;
    asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e) : "memory");
    return result;
}

constexpr long kOpen = 5;
constexpr long kPread64 = 180;
constexpr long kSchedSetScheduler = 156;
constexpr long kSchedYield = 158;
constexpr long kNanoSleep = 162;
constexpr long kSendfile = 187;
constexpr long kClockGetTime = 265;
constexpr long kReadOnly = 0;
constexpr long kWriteOnly = 1;
constexpr long kCloseOnExec = 02000000;
constexpr long kSchedIdle = 5;
constexpr long kClockMonotonic = 1;
constexpr long kClockThreadTime = 3;

struct LinuxTimespec {  // i386 struct timespec
    int32_t sec, nsec;
};

long OpenForLife(const char* path, long flags) {
    return LinuxCall(kOpen, reinterpret_cast<long>(path), flags | kCloseOnExec, 0);
}

// The host kernel under Wine. The halting thread's time must be kernel time, or the idle
// share it shows reads low. A loop of short system calls does not give that: it is mostly
// system-call entry and exit, where the timer interrupt is held back until the return to
// user mode and is then counted as user time (a third of the time on some hosts). So the
// halt spins in longer kernel work with interrupts enabled, and its few system calls per
// spin weigh nothing.
class LinuxHaltHost : public sim::HaltHost {
public:
    void Spin() override {
        // The kernel passes zero pages to the null device: kernel work that touches no
        // memory. Where the kernel cannot, a yield does.
        if (zero_ < 0 || null_ < 0 || LinuxCall(kSendfile, null_, zero_, 0, kSpinBytes) <= 0)
            LinuxCall(kSchedYield, 0, 0, 0);
    }
    int64_t Clock() override { return ClockTime(kClockMonotonic); }
    int64_t ThreadTime() override { return ClockTime(kClockThreadTime); }
    void SleepFor(int64_t nanoseconds) override {
        LinuxTimespec t{static_cast<int32_t>(nanoseconds / 1000000000), static_cast<int32_t>(nanoseconds % 1000000000)};
        LinuxCall(kNanoSleep, reinterpret_cast<long>(&t), 0, 0);
    }
    int RunnableThreads() override {
        if (loadAverage_ < 0) return -1;
        char text[128];
        // Read afresh from the start each time.
        long n = LinuxCall(kPread64, loadAverage_, reinterpret_cast<long>(text), sizeof text, 0, 0);
        if (n <= 0) return -1;
        return sim::RunnableInLoadAverage(std::string_view(text, static_cast<size_t>(n)));
    }

private:
    static int64_t ClockTime(long clock) {
        LinuxTimespec t{};
        LinuxCall(kClockGetTime, clock, reinterpret_cast<long>(&t), 0);
        return int64_t{t.sec} * 1000000000 + t.nsec;
    }

    // About a tenth of a millisecond on a current processor: long enough that the system
    // calls around it weigh under one per cent, short enough that a thread waking on this
    // processor hardly waits for it on a kernel that preempts only at system-call exit.
    static constexpr long kSpinBytes = 1024 * 1024;
    // Held open for the program's life.
    long zero_ = OpenForLife("/dev/zero", kReadOnly);
    long null_ = OpenForLife("/dev/null", kWriteOnly);
    long loadAverage_ = OpenForLife("/proc/loadavg", kReadOnly);
};

// The halt under Wine: the thread puts itself into the host's idle scheduling class once,
// then each halt runs as the halts of all idle threads decide.
void HaltOnLinux() {
    static LinuxHaltHost host;
    static sim::IdleHalts halts;
    thread_local int seat = -1;
    thread_local bool idleClass = false;
    if (!idleClass) {
        long param = 0;  // struct sched_param { int sched_priority; }
        LinuxCall(kSchedSetScheduler, 0, kSchedIdle, reinterpret_cast<long>(&param));
        idleClass = true;
    }
    const uint32_t id = GetCurrentThreadId();
    if (!halts.Holds(seat, id)) seat = halts.Seat(id, host.Clock());
    halts.Halt(host, seat);
}

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
    if (UnderWine()) {
        HaltOnLinux();
        return;
    }
    static const LONGLONG ticksPerHalt = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart * sim::IdleHalts::kHaltLength / 1000000000;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const LONGLONG end = now.QuadPart + ticksPerHalt;
    do {
        SwitchToThread();
        QueryPerformanceCounter(&now);
    } while (now.QuadPart < end);
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
