/* The processor instructions the driver executes, and nothing else (privileged_x86.S).
   An instruction the processor refuses (a register it does not have, or, under a host that
   runs the driver outside a kernel, a port or a halt) ends the call with 0 instead of
   raising the fault further: the request fails, the machine goes on. */
#pragma once

/* Offsets into what an exception handler is given; the kernel glue checks them against the
   kernel's own declarations. */
#define PRIV_EXCEPTION_FLAGS 4         /* EXCEPTION_RECORD.ExceptionFlags */
#define PRIV_UNWINDING 6               /* EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND */
#define PRIV_X64_CONTROL_PC 0          /* DISPATCHER_CONTEXT.ControlPc */
#define PRIV_X64_IMAGE_BASE 8          /* DISPATCHER_CONTEXT.ImageBase */
#define PRIV_X64_HANDLER_DATA 56       /* DISPATCHER_CONTEXT.HandlerData */
#define PRIV_X64_CONTEXT_RIP 0xF8      /* CONTEXT.Rip */
#define PRIV_X86_CONTEXT_EIP 0xB8      /* CONTEXT.Eip */

#ifndef __ASSEMBLER__
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Whether CPUID exists (bit 21 of the flags can be changed); always on x86-64. */
int priv_cpuid_present(void);
/* EAX, EBX, ECX, EDX of one CPUID leaf. */
void priv_cpuid(uint32_t leaf, uint32_t answer[4]);
/* 1 when done, 0 when the processor refused. */
int priv_read_msr(uint32_t reg, uint64_t* value);
int priv_write_msr(uint32_t reg, uint32_t low, uint32_t high);
int priv_read_port8(uint32_t port);
/* Enables interrupts and halts until the next one. */
int priv_halt(void);

#ifdef __cplusplus
}
#endif
#endif
