// The kernel side of QuillarPro.sys: the device, its link and its security, the dispatch of
// requests and unloading. What a request may do is decided in protocol.cpp; the instructions
// are in privileged_x86.S.
//
// The kernel headers declare a few functions that the compiler's intrinsics header defines
// as well, which C++ refuses; the intrinsics' own versions are left out (and the store fence,
// which needs SSE, is not wanted in this code).
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#define __INTRINSIC_DEFINED___faststorefence
#include <ntifs.h>

#include "driver/privileged.h"
#include "driver/protocol.h"

// The guards' handlers read these fields by offset (the dispatcher's own record is checked
// by the client tool, which sees the system's user-mode declarations).
static_assert(offsetof(EXCEPTION_RECORD, ExceptionFlags) == PRIV_EXCEPTION_FLAGS);
#if defined(__x86_64__)
static_assert(offsetof(CONTEXT, Rip) == PRIV_X64_CONTEXT_RIP);
#else
static_assert(offsetof(CONTEXT, Eip) == PRIV_X86_CONTEXT_EIP);
#endif

namespace {

wchar_t kDeviceName[] = L"\\Device\\Dev_QuillarPro";
wchar_t kLinkName[] = L"\\DosDevices\\Dev_QuillarPro";
// The device type is the one the control code carries.
constexpr ULONG kDeviceType = qpro::kControlCode >> 16;

// Well-known accounts, as security identifiers: revision, count, authority 5 (NT), parts.
alignas(4) UCHAR kLocalSystem[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
alignas(4) UCHAR kAdministrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
alignas(4) UCHAR kUsers[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 0x02, 0, 0};

// Fixed for the driver's life once DriverEntry has run (zero until then: no constructors).
qpro::Platform g_platform;

// --- the machine, as the protocol sees it --------------------------------------------------

bool ReadMsr(void*, uint32_t reg, uint64_t* value) { return priv_read_msr(reg, value) != 0; }

bool WriteMsr(void*, uint32_t reg, uint64_t value) {
    return priv_write_msr(reg, static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32)) != 0;
}

bool ReadPort8(void*, uint16_t port) { return priv_read_port8(port) != 0; }

// At dispatch level the thread is neither preempted nor moved to another processor.
uintptr_t HoldProcessor(void*) {
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    return old;
}

void ReleaseProcessor(void*, uintptr_t held) { KeLowerIrql(static_cast<KIRQL>(held)); }

bool AtPassiveLevel(void*) { return KeGetCurrentIrql() == PASSIVE_LEVEL; }

bool Halt(void*) { return priv_halt() != 0; }

#if defined(__i386__)
// The kernel's I/O permission map: exported by the i386 kernels of this family but never
// documented, so looked up at run time; without them the driver still loads and port grants
// fail as unsupported.
using IoMapFunction = BOOLEAN(NTAPI*)(ULONG map, PVOID bits);
using IoProcessFunction = BOOLEAN(NTAPI*)(PEPROCESS process, ULONG map);
IoMapFunction g_queryIoMap;
IoMapFunction g_setIoMap;
IoProcessFunction g_setIoProcess;
// One map is shared by every process given access, so grants are made one at a time.
KMUTEX g_grantLock;
constexpr ULONG kGrantMap = 1;  // 0 is the map that denies everything
constexpr ULONG kPoolTag = 0x6F725051;  // "QPro" as memory dumps show it

PVOID SystemRoutine(const wchar_t* name) {
    UNICODE_STRING s;
    RtlInitUnicodeString(&s, name);
    return MmGetSystemRoutineAddress(&s);
}

void FindIoMapFunctions() {
    g_queryIoMap = reinterpret_cast<IoMapFunction>(SystemRoutine(L"Ke386QueryIoAccessMap"));
    g_setIoMap = reinterpret_cast<IoMapFunction>(SystemRoutine(L"Ke386SetIoAccessMap"));
    g_setIoProcess = reinterpret_cast<IoProcessFunction>(SystemRoutine(L"Ke386IoSetAccessProcess"));
    KeInitializeMutex(&g_grantLock, 0);
}

bool GrantPorts(void*, uint16_t first, uint16_t last) {
    if (!g_queryIoMap || !g_setIoMap || !g_setIoProcess) return false;
    auto* map = static_cast<uint8_t*>(ExAllocatePoolWithTag(NonPagedPool, qpro::kIoMapBytes, kPoolTag));
    if (!map) return false;
    KeWaitForSingleObject(&g_grantLock, Executive, KernelMode, FALSE, nullptr);
    bool granted = g_queryIoMap(kGrantMap, map);
    if (granted) {
        qpro::OpenPortsInMap(map, first, last);
        granted = g_setIoMap(kGrantMap, map) && g_setIoProcess(IoGetCurrentProcess(), kGrantMap);
    }
    KeReleaseMutex(&g_grantLock, FALSE);
    ExFreePool(map);
    return granted;
}
#else
void FindIoMapFunctions() {}
bool GrantPorts(void*, uint16_t, uint16_t) { return false; }
#endif

constexpr qpro::Machine kMachine = {
    nullptr, ReadMsr, WriteMsr, ReadPort8, HoldProcessor, ReleaseProcessor, GrantPorts, AtPassiveLevel, Halt,
};

void IdentifyProcessor() {
    uint32_t leaf0[4] = {}, leaf1[4] = {};
    const bool present = priv_cpuid_present() != 0;
    if (present) {
        priv_cpuid(0, leaf0);
        if (leaf0[0] >= 1) priv_cpuid(1, leaf1);
    }
    g_platform.processor = qpro::IdentifyProcessor(present, {leaf0[0], leaf0[1], leaf0[2], leaf0[3]},
                                                   {leaf1[0], leaf1[1], leaf1[2], leaf1[3]});
#if defined(__i386__)
    g_platform.processPortAccess = true;
#endif
}

// --- the device ------------------------------------------------------------------------------

NTSTATUS Finish(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// Opening, the last handle's clean-up and closing need nothing of the driver.
NTSTATUS NTAPI CreateClose(PDEVICE_OBJECT, PIRP irp) { return Finish(irp, STATUS_SUCCESS, 0); }

// Buffered requests: the input block and the reply share the system's copy of the buffer.
NTSTATUS NTAPI DeviceControl(PDEVICE_OBJECT, PIRP irp) {
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    qpro::Reply reply;
    const qpro::Outcome outcome = qpro::HandleControl(
        stack->Parameters.DeviceIoControl.IoControlCode, buffer, stack->Parameters.DeviceIoControl.InputBufferLength,
        stack->Parameters.DeviceIoControl.OutputBufferLength, g_platform, kMachine, &reply);
    if (reply.length) RtlCopyMemory(buffer, reply.bytes, reply.length);
    return Finish(irp, static_cast<NTSTATUS>(qpro::NtStatusOf(outcome)), reply.length);
}

// Full access for the system and administrators; reading (which is all a request needs) for
// the users of the machine, so the program opens it unelevated. Nobody else.
NTSTATUS RestrictAccess(PDEVICE_OBJECT device) {
    alignas(4) UCHAR aclBytes[128];
    const auto acl = reinterpret_cast<PACL>(aclBytes);
    SECURITY_DESCRIPTOR sd;
    NTSTATUS status = RtlCreateSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    if (NT_SUCCESS(status)) status = RtlCreateAcl(acl, sizeof aclBytes, ACL_REVISION);
    if (NT_SUCCESS(status)) status = RtlAddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, kLocalSystem);
    if (NT_SUCCESS(status)) status = RtlAddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, kAdministrators);
    if (NT_SUCCESS(status)) status = RtlAddAccessAllowedAce(acl, ACL_REVISION, FILE_GENERIC_READ, kUsers);
    if (NT_SUCCESS(status)) status = RtlSetDaclSecurityDescriptor(&sd, TRUE, acl, FALSE);
    if (!NT_SUCCESS(status)) return status;
    HANDLE handle;
    status = ObOpenObjectByPointer(device, OBJ_KERNEL_HANDLE, nullptr, WRITE_DAC, nullptr, KernelMode, &handle);
    if (!NT_SUCCESS(status)) return status;
    status = ZwSetSecurityObject(handle, DACL_SECURITY_INFORMATION, &sd);
    ZwClose(handle);
    return status;
}

// The link and the device go, so the driver can be stopped and replaced without a restart.
void NTAPI Unload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, kLinkName);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(driver->DeviceObject);
}

}  // namespace

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
    IdentifyProcessor();
    FindIoMapFunctions();
    UNICODE_STRING name, link;
    RtlInitUnicodeString(&name, kDeviceName);
    RtlInitUnicodeString(&link, kLinkName);
    PDEVICE_OBJECT device = nullptr;
    NTSTATUS status = IoCreateDevice(driver, 0, &name, kDeviceType, FILE_DEVICE_SECURE_OPEN, FALSE, &device);
    if (!NT_SUCCESS(status)) return status;
    status = RestrictAccess(device);
    if (NT_SUCCESS(status)) status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = CreateClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = CreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = CreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DeviceControl;
    driver->DriverUnload = Unload;
    return STATUS_SUCCESS;
}
