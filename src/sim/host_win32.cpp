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

// A direct Linux system call. The simulated driver stands for kernel code, so under Wine
// it asks the host kernel itself for what the real driver's halt gives: the thread runs
// only when nothing else wants the processor, and its time is kernel time. The kernel's
// `long` is pointer-sized on both architectures (Windows' `long` is not, on x86-64).
using LinuxLong = intptr_t;

// The calls the halt makes, by their numbers on each architecture.
struct LinuxCallNumbers {
    LinuxLong open, pread64, schedSetScheduler, schedYield, nanoSleep, sendfile, clockGetTime;
};

#if defined(__x86_64__)
constexpr LinuxCallNumbers kCall{.open = 2, .pread64 = 17, .schedSetScheduler = 144, .schedYield = 24,
                                 .nanoSleep = 35, .sendfile = 40, .clockGetTime = 228};
// Arguments in rdi, rsi, rdx, r10 and r8; the instruction itself clobbers rcx and r11.
LinuxLong LinuxCall(LinuxLong number, LinuxLong a, LinuxLong b, LinuxLong c, LinuxLong d = 0, LinuxLong e = 0) {
    register LinuxLong r10 asm("r10") = d;
    register LinuxLong r8 asm("r8") = e;
    LinuxLong result;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10), "r"(r8)
                 : "rcx", "r11", "memory");
    return result;
}
#elif defined(__i386__)
constexpr LinuxCallNumbers kCall{.open = 5, .pread64 = 180, .schedSetScheduler = 156, .schedYield = 158,
                                 .nanoSleep = 162, .sendfile = 187, .clockGetTime = 265};
// Arguments in ebx, ecx, edx, esi and edi.
LinuxLong LinuxCall(LinuxLong number, LinuxLong a, LinuxLong b, LinuxLong c, LinuxLong d = 0, LinuxLong e = 0) {
    LinuxLong result;
    asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e) : "memory");
    return result;
}
#else
#error "the simulated halt talks to a Linux kernel on i386 or x86-64"
#endif

constexpr LinuxLong kReadOnly = 0;
constexpr LinuxLong kWriteOnly = 1;
constexpr LinuxLong kCloseOnExec = 02000000;
constexpr LinuxLong kSchedIdle = 5;
constexpr LinuxLong kClockMonotonic = 1;
constexpr LinuxLong kClockThreadTime = 3;

struct LinuxTimespec {  // the kernel's struct timespec of the calling architecture
    LinuxLong sec, nsec;
};

LinuxLong Address(const void* p) { return reinterpret_cast<LinuxLong>(p); }

LinuxLong OpenForLife(const char* path, LinuxLong flags) {
    return LinuxCall(kCall.open, Address(path), flags | kCloseOnExec, 0);
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
        if (zero_ < 0 || null_ < 0 || LinuxCall(kCall.sendfile, null_, zero_, 0, kSpinBytes) <= 0)
            LinuxCall(kCall.schedYield, 0, 0, 0);
    }
    int64_t Clock() override { return ClockTime(kClockMonotonic); }
    int64_t ThreadTime() override { return ClockTime(kClockThreadTime); }
    void SleepFor(int64_t nanoseconds) override {
        LinuxTimespec t{static_cast<LinuxLong>(nanoseconds / 1000000000), static_cast<LinuxLong>(nanoseconds % 1000000000)};
        LinuxCall(kCall.nanoSleep, Address(&t), 0, 0);
    }
    int RunnableThreads() override {
        if (loadAverage_ < 0) return -1;
        char text[128] = {};
        // Read afresh from the start each time.
        const LinuxLong n = LinuxCall(kCall.pread64, loadAverage_, Address(text), sizeof text, 0, 0);
        if (n <= 0) return -1;
        return sim::RunnableInLoadAverage(std::string_view(text, static_cast<size_t>(n)));
    }

private:
    static int64_t ClockTime(LinuxLong clock) {
        LinuxTimespec t{};
        LinuxCall(kCall.clockGetTime, clock, Address(&t), 0);
        return int64_t{t.sec} * 1000000000 + int64_t{t.nsec};
    }

    // About a tenth of a millisecond on a current processor: long enough that the system
    // calls around it weigh under one per cent, short enough that a thread waking on this
    // processor hardly waits for it on a kernel that preempts only at system-call exit.
    static constexpr LinuxLong kSpinBytes = 1024 * 1024;
    // Held open for the program's life.
    LinuxLong zero_ = OpenForLife("/dev/zero", kReadOnly);
    LinuxLong null_ = OpenForLife("/dev/null", kWriteOnly);
    LinuxLong loadAverage_ = OpenForLife("/proc/loadavg", kReadOnly);
};

// The halt under Wine: the thread puts itself into the host's idle scheduling class once,
// then each halt runs as the halts of all idle threads decide.
void HaltOnLinux() {
    static LinuxHaltHost host;
    static sim::IdleHalts halts;
    thread_local int seat = -1;
    thread_local bool idleClass = false;
    if (!idleClass) {
        int param = 0;  // struct sched_param { int sched_priority; }
        LinuxCall(kCall.schedSetScheduler, 0, kSchedIdle, Address(&param));
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
