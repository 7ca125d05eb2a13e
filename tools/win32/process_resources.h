// What a running process holds, read from another process: kernel handles, GDI objects,
// USER objects and private bytes, for the soak and for looking at a program by hand.
//
// On Windows these are the system's own counters (GetProcessHandleCount, GetGuiResources,
// the private usage of GetProcessMemoryInfo). Wine answers all of them with 0, so there the
// same quantities are counted from what Wine does expose to another process:
//   handles  the process's entries in the system handle list (NtQuerySystemInformation,
//            class 16), which Wine fills from its server;
//   GDI      the used entries of the process's GDI handle table, found through its PEB
//            (GdiSharedHandleTable) and read with ReadProcessMemory (Wine 8: 65,536 entries
//            of 24 bytes, an entry in use has a non-zero type);
//   USER     the process's windows: top-level, message-only and every child (menus, icons
//            and cursors of another process cannot be seen there; a leaked icon still shows
//            as two GDI bitmaps);
//   private  the committed private memory of its address space (VirtualQueryEx), which is
//            what the system's private bytes count.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

#include "common/library_win32.h"

namespace resources {

struct Counts {
    long handles = -1;
    long gdi = -1;
    long user = -1;
    long long privateBytes = -1;
};

namespace detail {

using QuerySystem = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
using QueryProcess = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

struct SystemHandle {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO, 32-bit layout
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
};

inline long HandleCountFromSystemList(DWORD pid) {
    const auto query = LibraryFunction<QuerySystem>(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!query) return -1;
    std::vector<uint8_t> buffer(256 * 1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()),
                                  &needed);
        if (status == static_cast<LONG>(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return -1;
        const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* entries = reinterpret_cast<const SystemHandle*>(buffer.data() + sizeof(ULONG));
        const size_t fit = (buffer.size() - sizeof(ULONG)) / sizeof(SystemHandle);
        long mine = 0;
        for (ULONG i = 0; i < count && i < fit; ++i)
            if (entries[i].processId == pid) ++mine;
        return mine;
    }
    return -1;
}

#pragma pack(push, 1)
struct GdiEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
};
#pragma pack(pop)
static_assert(sizeof(GdiEntry) == 24, "Wine's GDI handle entry");

inline long GdiCountFromHandleTable(HANDLE process) {
    const auto query = LibraryFunction<QueryProcess>(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    ULONG got = 0;
    if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, &got) != 0) return -1;
    // PEB.GdiSharedHandleTable of a process of the tool's own architecture.
    constexpr size_t kTableField = sizeof(void*) == 8 ? 0xF8 : 0x94;
    uintptr_t table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const uint8_t*>(basic.PebBaseAddress) + kTableField, &table,
                           sizeof table, &read) ||
        !table)
        return -1;
    constexpr size_t kEntries = 0x10000;
    std::vector<GdiEntry> entries(kEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(GdiEntry), &read))
        return -1;
    long used = 0;
    for (size_t i = 0; i < read / sizeof(GdiEntry); ++i)
        if (entries[i].type) ++used;
    return used;
}

struct WindowTally {
    DWORD pid;
    long count;
};

inline BOOL CALLBACK CountChild(HWND, LPARAM p) {
    ++reinterpret_cast<WindowTally*>(p)->count;
    return TRUE;
}

inline void CountWindow(HWND window, WindowTally& tally) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != tally.pid) return;
    ++tally.count;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&tally));
}

inline BOOL CALLBACK CountTopLevel(HWND window, LPARAM p) {
    CountWindow(window, *reinterpret_cast<WindowTally*>(p));
    return TRUE;
}

inline long WindowCount(DWORD pid) {
    WindowTally tally{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&tally));
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
        CountWindow(w, tally);
    return tally.count;
}

inline long long CommittedPrivateBytes(HANDLE process) {
    long long total = 0;
    const uint8_t* at = nullptr;
    MEMORY_BASIC_INFORMATION info{};
    while (VirtualQueryEx(process, at, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += static_cast<long long>(info.RegionSize);
        const uint8_t* next = static_cast<const uint8_t*>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}

// PROCESS_MEMORY_COUNTERS_EX, looked up at run time (psapi's or kernel32's copy).
struct MemoryCounters {
    DWORD cb;
    DWORD PageFaultCount;
    SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage,
        QuotaPeakNonPagedPoolUsage, QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage, PrivateUsage;
};

inline long long SystemPrivateBytes(HANDLE process) {
    using Get = BOOL(WINAPI*)(HANDLE, MemoryCounters*, DWORD);
    const auto get = LibraryFunction<Get>(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo");
    MemoryCounters m{};
    m.cb = sizeof m;
    if (!get || !get(process, &m, sizeof m)) return 0;
    return static_cast<long long>(m.PrivateUsage);
}

}  // namespace detail

// The counts of process `pid`; a count that could not be read stays -1.
inline Counts Read(DWORD pid) {
    Counts c;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return c;
    DWORD handles = 0;
    c.handles = GetProcessHandleCount(process, &handles) && handles ? static_cast<long>(handles)
                                                                     : detail::HandleCountFromSystemList(pid);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    c.gdi = gdi ? static_cast<long>(gdi) : detail::GdiCountFromHandleTable(process);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    c.user = user ? static_cast<long>(user) : detail::WindowCount(pid);
    const long long privateBytes = detail::SystemPrivateBytes(process);
    c.privateBytes = privateBytes ? privateBytes : detail::CommittedPrivateBytes(process);
    CloseHandle(process);
    return c;
}

}  // namespace resources
