// The hardware seam. Everything privileged goes through these operations.
// Quillar.exe links the real back end (backend_real_win32.cpp); QuillarSim.exe and the
// native tests link the simulated machine (src/sim). Nothing else touches hardware.
#pragma once
#include <cstdint>

namespace hw {

// A driver request block: four 32-bit little-endian words. Word 1 (index 0) is the
// function number, words 2-4 its arguments; the reply overwrites the same 16 bytes.
struct RequestBlock {
    uint32_t word[4];
};
static_assert(sizeof(RequestBlock) == 16, "the driver expects 16-byte blocks");

struct CpuidRegisters {
    uint32_t eax, ebx, ecx, edx;
};

namespace backend {

// Opens the device \\.\Dev_QuillarPro; false when it cannot be opened.
bool OpenDevice();
// Closes the device if it is open.
void CloseDevice();
bool DeviceOpen();
// Sends one request. `reply` null means no output buffer (the halt request).
// The block is the caller's own, so concurrent callers never share one.
bool DeviceControl(const RequestBlock& request, RequestBlock* reply);

// Port I/O on ports the driver granted (function 40).
uint8_t PortIn8(uint16_t port);
void PortOut8(uint16_t port, uint8_t value);
uint32_t PortIn32(uint16_t port);
void PortOut32(uint16_t port, uint32_t value);

// CPUID: whether bit 21 of EFLAGS can be toggled, and the instruction itself.
bool CpuidToggles();
CpuidRegisters Cpuid(uint32_t leaf);
// The Cyrix division test: true when an 8-bit DIV of 5 by 2 leaves the flags untouched.
bool DivisionKeepsFlags();
// The time-stamp counter.
uint64_t ReadTimeStamp();

// Total physical memory in bytes as the memory status reports it (at most 2^32 - 1).
uint64_t TotalPhysicalMemory();
// Logical processors as the system information reports them.
int LogicalProcessors();

// Called once as the process ends, after the device was closed.
void Finish();

}  // namespace backend
}  // namespace hw
