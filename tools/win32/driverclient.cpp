// Talks to the kernel driver from outside, as the program and as anyone else may:
//   driverclient open                 the program's own start: opens \\.\Dev_QuillarPro and
//                                     checks its version (the code Quillar.exe runs first);
//                                     prints "open: ok" or the error text the program shows
//   driverclient request FN [A B C] [in=N] [out=N] [code=X]
//                                     one request with the words given (hexadecimal with 0x),
//                                     an input of N bytes (default 16), an output buffer of N
//                                     bytes (default 16) and another control code; prints
//                                     "ok W1 W2 W3 W4 bytes=N" or "failed E" (the system error)
//   driverclient processor            "VENDOR FAMILY MODEL STEPPING" as CPUID gives them here
// Exit code 0 when the open or the request succeeded, 1 when it failed, 2 on a usage error.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/privileged.h"
#include "hw/driver.h"
#include "hw/x86_instructions.h"

// The driver's fault guards read the system's exception records by offset.
static_assert(offsetof(EXCEPTION_RECORD, ExceptionFlags) == PRIV_EXCEPTION_FLAGS);
static_assert((EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND) == PRIV_UNWINDING);
#if defined(__x86_64__)
static_assert(offsetof(DISPATCHER_CONTEXT, ControlPc) == PRIV_X64_CONTROL_PC);
static_assert(offsetof(DISPATCHER_CONTEXT, ImageBase) == PRIV_X64_IMAGE_BASE);
static_assert(offsetof(DISPATCHER_CONTEXT, HandlerData) == PRIV_X64_HANDLER_DATA);
static_assert(offsetof(CONTEXT, Rip) == PRIV_X64_CONTEXT_RIP);
#else
static_assert(offsetof(CONTEXT, Eip) == PRIV_X86_CONTEXT_EIP);
#endif

namespace {

constexpr uint32_t kSentinel = 0xDEADBEEF;  // shows words the driver never wrote

int Usage() {
    std::fprintf(stderr, "usage: driverclient open | request FN [A B C] [in=N] [out=N] [code=X] | processor\n");
    return 2;
}

int Open() {
    try {
        OpenDriver();
    } catch (const EHardwareException& e) {
        std::printf("open: %s\n", e.what());
        return 1;
    }
    std::printf("open: ok\n");
    CloseDriver();
    return 0;
}

int Request(int argc, char** argv) {
    uint32_t words[4] = {0, 0, 0, 0};
    int given = 0;
    DWORD in = 16, out = 16, code = drv::kIoControlCode;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const unsigned long value = std::strtoul(arg.substr(arg.find('=') + 1).c_str(), nullptr, 0);
        if (arg.rfind("in=", 0) == 0)
            in = value;
        else if (arg.rfind("out=", 0) == 0)
            out = value;
        else if (arg.rfind("code=", 0) == 0)
            code = value;
        else if (given < 4)
            words[given++] = static_cast<uint32_t>(value);
        else
            return Usage();
    }
    if (given == 0 || in > 64 || out > 64) return Usage();
    HANDLE device = CreateFileA("\\\\.\\Dev_QuillarPro", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        std::printf("failed %lu (open)\n", GetLastError());
        return 1;
    }
    uint32_t buffer[16];
    for (uint32_t& w : buffer) w = kSentinel;
    std::memcpy(buffer, words, sizeof words);
    DWORD returned = kSentinel;
    const BOOL ok = DeviceIoControl(device, code, buffer, in, out ? buffer : nullptr, out, &returned, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(device);
    if (!ok) {
        std::printf("failed %lu\n", error);
        return 1;
    }
    std::printf("ok %08X %08X %08X %08X bytes=%lu\n", buffer[0], buffer[1], buffer[2], buffer[3], returned);
    return 0;
}

// Vendor string, then family, model and stepping from the base fields of leaf 1.
int Processor() {
    const hw::CpuidRegisters leaf0 = x86::Cpuid(0);
    char vendor[13] = {};
    std::memcpy(vendor, &leaf0.ebx, 4);
    std::memcpy(vendor + 4, &leaf0.edx, 4);
    std::memcpy(vendor + 8, &leaf0.ecx, 4);
    const uint32_t signature = leaf0.eax >= 1 ? x86::Cpuid(1).eax : 0;
    std::printf("%s %u %u %u\n", vendor, (signature >> 8) & 0xF, (signature >> 4) & 0xF, signature & 0xF);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "open") return Open();
    if (command == "request") return Request(argc - 2, argv + 2);
    if (command == "processor") return Processor();
    return Usage();
}
