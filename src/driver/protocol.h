// The driver's request protocol, decided without touching the machine: the kernel glue hands
// over each device-control request as it came (control code, input bytes, buffer sizes) and
// the privileged operations; this code decides what runs and what the caller gets back.
// Portable: the kernel build, the native tests and the fuzz target share it.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "driver/allowed.h"

namespace qpro {

constexpr uint32_t kControlCode = 0x9C406000;  // buffered, read access
constexpr size_t kBlockSize = 16;              // four 32-bit little-endian words, in and out
constexpr uint32_t kVersion = 0x100;

enum Function : uint32_t {
    kFnVersion = 1,      // reply word 1 = 0x100
    kFnReadPort = 10,    // reads the 8-bit port a (the C2 read)
    kFnReadMsr = 20,     // reply words 1 and 2 = low and high half of register a
    kFnWriteMsr = 21,    // register a := b (low), c (high)
    kFnGrantPorts = 40,  // ports a..b opened to the calling process
    kFnHalt = 70,        // halts the calling processor until the next interrupt
};

enum class Outcome : uint8_t {
    kDone,
    kUnknownRequest,  // another control code or function
    kWrongSize,       // a block of the wrong size
    kRefused,         // a register or port outside the lists
    kUnsupported,     // port grants on x86-64, or a kernel without the I/O permission map
    kWrongLevel,      // a halt asked for above passive level
    kFaulted,         // the processor refused the instruction
};

// The NTSTATUS a request ends with.
uint32_t NtStatusOf(Outcome outcome);

// The privileged operations, one table: the kernel glue fills it with the real instructions,
// the tests with recorders. `context` is handed back to every call.
struct Machine {
    void* context;
    // False when the processor faulted on the instruction.
    bool (*readMsr)(void* context, uint32_t reg, uint64_t* value);
    bool (*writeMsr)(void* context, uint32_t reg, uint64_t value);
    bool (*readPort8)(void* context, uint16_t port);
    // Keeps the calling thread on its processor, unpreempted, until released: a register is
    // read, checked and written on one processor.
    uintptr_t (*holdProcessor)(void* context);
    void (*releaseProcessor)(void* context, uintptr_t held);
    // Opens ports first..last to the calling process; false when the kernel cannot.
    bool (*grantPorts)(void* context, uint16_t first, uint16_t last);
    bool (*atPassiveLevel)(void* context);
    // Halts until the next interrupt with interrupts enabled; false when the processor faulted.
    bool (*halt)(void* context);
};

// What is fixed for the driver's life.
struct Platform {
    Processor processor;
    // Only i386 lets a process use IN and OUT itself; x86-64 kernels have no per-process
    // I/O permission map.
    bool processPortAccess;
};

struct Reply {
    uint8_t bytes[kBlockSize];
    size_t length;  // bytes to hand back: 16, or 0 when the caller gave no output buffer
};

// One device-control request. `input` is read only when `inputLength` is 16.
Outcome HandleControl(uint32_t controlCode, const void* input, size_t inputLength, size_t outputLength,
                      const Platform& platform, const Machine& machine, Reply* reply);

}  // namespace qpro
