// The processor instructions the real back end executes itself (x86, 32- and 64-bit).
// Included by the real back end and by the test that runs them on the build machine.
#pragma once
#include <cstdint>

#include "hw/backend.h"

namespace x86 {

inline uint8_t PortIn8(uint16_t port) {
    uint8_t v;
    asm volatile("inb %1, %0" : "=a"(v) : "Nd"(port));
    return v;
}

inline void PortOut8(uint16_t port, uint8_t value) { asm volatile("outb %0, %1" : : "a"(value), "Nd"(port)); }

inline uint32_t PortIn32(uint16_t port) {
    uint32_t v;
    asm volatile("inl %1, %0" : "=a"(v) : "Nd"(port));
    return v;
}

inline void PortOut32(uint16_t port, uint32_t value) { asm volatile("outl %0, %1" : : "a"(value), "Nd"(port)); }

// Whether bit 21 (ID) of EFLAGS can be toggled: the processor has CPUID. Every 64-bit
// processor has it.
inline bool CpuidToggles() {
#if defined(__x86_64__)
    return true;
#else
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
#endif
}

inline hw::CpuidRegisters Cpuid(uint32_t leaf) {
    hw::CpuidRegisters r;
    asm volatile("cpuid" : "=a"(r.eax), "=b"(r.ebx), "=c"(r.ecx), "=d"(r.edx) : "a"(leaf), "c"(0));
    return r;
}

// Clears the arithmetic flags, divides 5 by 2 with an 8-bit DIV and loads the flags: only
// Cyrix processors leave them untouched (AH = 2 afterwards).
inline bool DivisionKeepsFlags() {
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

inline uint64_t ReadTimeStamp() {
    uint32_t lo, hi;
    asm volatile("rdtsc" : "=a"(lo), "=d"(hi));
    return (static_cast<uint64_t>(hi) << 32) | lo;
}

}  // namespace x86
