/* The driver's privileged instructions, for i386 and x86-64. Every instruction that can
   fault runs inside a guard: an exception raised by it makes the function return 0.
     x86-64: table-based; each guarded function names the handler below in its unwind data,
             with the range of the guarded instruction and where to go on after a fault.
     i386:   frame-based; a registration record on the stack, linked at fs:0, carries the
             handler and where to go on. The instruction runs with the stack pointer at the
             record, so the handler only has to change the instruction pointer. */
#include "driver/privileged.h"

        .text

#if defined(__x86_64__)

/* guarded NAME: a function whose faults the handler catches */
        .macro guarded name
        .globl \name
        .def \name; .scl 2; .type 32; .endef
        .seh_proc \name
\name:
        .seh_handler priv_fault_handler, @except
        .seh_endprologue
        .endm
/* guarded_end FIRST, END, ONFAULT: the faulting range [FIRST, END) and where to go on */
        .macro guarded_end first, end, onfault
        .seh_handlerdata
        .rva \first, \end, \onfault
        .text
        .seh_endproc
        .endm

/* Microsoft x64 calling convention: arguments in rcx, rdx, r8; result in eax. */

        guarded priv_read_msr
        mov     %rdx, %r8
1:      rdmsr
2:      mov     %eax, (%r8)
        mov     %edx, 4(%r8)
        mov     $1, %eax
        ret
3:      xor     %eax, %eax
        ret
        guarded_end 1b, 2b, 3b

        guarded priv_write_msr
        mov     %edx, %eax
        mov     %r8d, %edx
1:      wrmsr
2:      mov     $1, %eax
        ret
3:      xor     %eax, %eax
        ret
        guarded_end 1b, 2b, 3b

        guarded priv_read_port8
        mov     %ecx, %edx
1:      inb     %dx, %al
2:      mov     $1, %eax
        ret
3:      xor     %eax, %eax
        ret
        guarded_end 1b, 2b, 3b

        guarded priv_halt
1:      sti
        hlt
2:      mov     $1, %eax
        ret
3:      xor     %eax, %eax
        ret
        guarded_end 1b, 2b, 3b

        .globl priv_cpuid_present
priv_cpuid_present:
        mov     $1, %eax
        ret

/* rbx belongs to the caller: kept in a scratch register, so the stack is never touched */
        .globl priv_cpuid
priv_cpuid:
        mov     %rbx, %r9
        mov     %rdx, %r8
        mov     %ecx, %eax
        xor     %ecx, %ecx
        cpuid
        mov     %eax, (%r8)
        mov     %ebx, 4(%r8)
        mov     %ecx, 8(%r8)
        mov     %edx, 12(%r8)
        mov     %r9, %rbx
        ret

/* The language handler: rcx exception record, rdx establisher frame, r8 context, r9
   dispatcher context. A fault inside the guarded range goes on at the function's fault
   label (ExceptionContinueExecution, 0); anything else is not ours (ExceptionContinueSearch). */
priv_fault_handler:
        mov     $1, %eax
        testl   $PRIV_UNWINDING, PRIV_EXCEPTION_FLAGS(%rcx)
        jnz     1f
        mov     PRIV_X64_HANDLER_DATA(%r9), %r10
        mov     PRIV_X64_IMAGE_BASE(%r9), %r11
        mov     PRIV_X64_CONTROL_PC(%r9), %rdx
        sub     %r11, %rdx
        cmp     (%r10), %edx
        jb      1f
        cmp     4(%r10), %edx
        jae     1f
        mov     8(%r10), %edx
        add     %r11, %rdx
        mov     %rdx, PRIV_X64_CONTEXT_RIP(%r8)
        xor     %eax, %eax
1:      ret

#elif defined(__i386__)

/* The record: next record, handler, where to go on after a fault. */
        .macro guard onfault
        pushl   $\onfault
        pushl   $_priv_fault_handler
        pushl   %fs:0
        movl    %esp, %fs:0
        .endm
        .macro unguard
        popl    %fs:0
        addl    $8, %esp
        .endm
/* Arguments of a cdecl function below its three-word record. */
#define ARG(n) (16 + 4 * (n))(%esp)

        .globl _priv_read_msr
_priv_read_msr:
        guard   1f
        movl    ARG(0), %ecx
        rdmsr
        movl    ARG(1), %ecx
        movl    %eax, (%ecx)
        movl    %edx, 4(%ecx)
        movl    $1, %eax
        jmp     2f
1:      xorl    %eax, %eax
2:      unguard
        ret

        .globl _priv_write_msr
_priv_write_msr:
        guard   1f
        movl    ARG(0), %ecx
        movl    ARG(1), %eax
        movl    ARG(2), %edx
        wrmsr
        movl    $1, %eax
        jmp     2f
1:      xorl    %eax, %eax
2:      unguard
        ret

        .globl _priv_read_port8
_priv_read_port8:
        guard   1f
        movl    ARG(0), %edx
        inb     %dx, %al
        movl    $1, %eax
        jmp     2f
1:      xorl    %eax, %eax
2:      unguard
        ret

        .globl _priv_halt
_priv_halt:
        guard   1f
        sti
        hlt
        movl    $1, %eax
        jmp     2f
1:      xorl    %eax, %eax
2:      unguard
        ret

/* CPUID exists when bit 21 (ID) of the flags can be changed; the flags are put back. */
        .globl _priv_cpuid_present
_priv_cpuid_present:
        pushfl
        popl    %eax
        movl    %eax, %ecx
        xorl    $0x200000, %eax
        pushl   %eax
        popfl
        pushfl
        popl    %eax
        pushl   %ecx
        popfl
        xorl    %ecx, %eax
        shrl    $21, %eax
        andl    $1, %eax
        ret

        .globl _priv_cpuid
_priv_cpuid:
        pushl   %ebx
        pushl   %esi
        movl    12(%esp), %eax
        movl    16(%esp), %esi
        xorl    %ecx, %ecx
        cpuid
        movl    %eax, (%esi)
        movl    %ebx, 4(%esi)
        movl    %ecx, 8(%esi)
        movl    %edx, 12(%esi)
        popl    %esi
        popl    %ebx
        ret

/* cdecl (exception record, establisher frame = our record, context, dispatcher context).
   The stack pointer in the context is the record's address already. */
_priv_fault_handler:
        movl    4(%esp), %eax
        testl   $PRIV_UNWINDING, PRIV_EXCEPTION_FLAGS(%eax)
        jnz     1f
        movl    8(%esp), %edx
        movl    12(%esp), %eax
        movl    8(%edx), %ecx
        movl    %ecx, PRIV_X86_CONTEXT_EIP(%eax)
        xorl    %eax, %eax
        ret
1:      movl    $1, %eax
        ret

#else
#error "the driver is built for i386 and x86-64 only"
#endif
