// The real hardware back end: the kernel driver and the processor's own instructions.
#include <windows.h>

#include "hw/backend.h"
#include "hw/driver.h"
#include "hw/x86_instructions.h"

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

uint8_t PortIn8(uint16_t port) { return x86::PortIn8(port); }
void PortOut8(uint16_t port, uint8_t value) { x86::PortOut8(port, value); }
uint32_t PortIn32(uint16_t port) { return x86::PortIn32(port); }
void PortOut32(uint16_t port, uint32_t value) { x86::PortOut32(port, value); }
bool CpuidToggles() { return x86::CpuidToggles(); }
CpuidRegisters Cpuid(uint32_t leaf) { return x86::Cpuid(leaf); }
bool DivisionKeepsFlags() { return x86::DivisionKeepsFlags(); }
uint64_t ReadTimeStamp() { return x86::ReadTimeStamp(); }

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
