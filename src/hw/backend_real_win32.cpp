// The real hardware back end: the kernel driver and the processor's own instructions.
#include <windows.h>

#include "hw/backend.h"
#include "hw/driver.h"

namespace hw::backend {

namespace {

HANDLE g_device = INVALID_HANDLE_VALUE;

// The device is opened overlapped, so every request carries an OVERLAPPED structure of
// its own with an event of the calling thread, and waits for its completion. Concurrent
// idle threads never share a block or an event.
struct ThreadEvent {
    HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~ThreadEvent() {
        if (handle) CloseHandle(handle);
    }
};

}  // namespace

bool OpenDevice() {
    g_device = CreateFileA("\\\\.\\Dev_QuillarPro", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    return g_device != INVALID_HANDLE_VALUE;
}

void CloseDevice() {
    if (g_device != INVALID_HANDLE_VALUE) CloseHandle(g_device);
    g_device = INVALID_HANDLE_VALUE;
}

bool DeviceOpen() { return g_device != INVALID_HANDLE_VALUE; }

bool DeviceControl(const RequestBlock& request, RequestBlock* reply) {
    thread_local ThreadEvent event;
    if (!event.handle) return false;
    RequestBlock in = request;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.handle;
    ResetEvent(event.handle);
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(g_device, drv::kIoControlCode, &in, sizeof in, reply, reply ? sizeof *reply : 0,
                              &returned, &overlapped);
    if (!ok && GetLastError() == ERROR_IO_PENDING) ok = GetOverlappedResult(g_device, &overlapped, &returned, TRUE);
    return ok != FALSE;
}

uint8_t PortIn8(uint16_t port) {
    uint8_t v;
    asm volatile("inb %1, %0" : "=a"(v) : "Nd"(port));
    return v;
}

void PortOut8(uint16_t port, uint8_t value) { asm volatile("outb %0, %1" : : "a"(value), "Nd"(port)); }

uint32_t PortIn32(uint16_t port) {
    uint32_t v;
    asm volatile("inl %1, %0" : "=a"(v) : "Nd"(port));
    return v;
}

void PortOut32(uint16_t port, uint32_t value) { asm volatile("outl %0, %1" : : "a"(value), "Nd"(port)); }

bool CpuidToggles() {
    uint32_t before, after;
    asm volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl"
        : "=&r"(before), "=&r"(after)
        :
        : "cc");
    return ((before ^ after) & 0x200000) != 0;
}

CpuidRegisters Cpuid(uint32_t leaf) {
    CpuidRegisters r;
    asm volatile("cpuid" : "=a"(r.eax), "=b"(r.ebx), "=c"(r.ecx), "=d"(r.edx) : "a"(leaf), "c"(0));
    return r;
}

bool DivisionKeepsFlags() {
    // Clear the arithmetic flags, divide 5 by 2 with an 8-bit DIV, load the flags:
    // only Cyrix processors leave them untouched (AH = 2 afterwards).
    uint16_t ax;
    asm volatile(
        "xorw %%ax, %%ax\n\t"
        "sahf\n\t"
        "movw $5, %%ax\n\t"
        "movb $2, %%bl\n\t"
        "divb %%bl\n\t"
        "lahf"
        : "=a"(ax)
        :
        : "ebx", "cc");
    return (ax >> 8) == 2;
}

uint64_t ReadTimeStamp() {
    uint32_t lo, hi;
    asm volatile("rdtsc" : "=a"(lo), "=d"(hi));
    return (static_cast<uint64_t>(hi) << 32) | lo;
}

uint64_t TotalPhysicalMemory() {
    MEMORYSTATUS ms{};
    ms.dwLength = sizeof ms;
    GlobalMemoryStatus(&ms);
    return ms.dwTotalPhys;
}

int LogicalProcessors() {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    return static_cast<int>(si.dwNumberOfProcessors);
}

void Finish() {}

}  // namespace hw::backend
