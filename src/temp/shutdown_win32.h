// The Windows shutdown, with the system calls it makes in one table so that a test can
// watch them (and keep the session alive) while the program uses the real ones.
#pragma once
#include <windows.h>

#include "temp/shutdown.h"

struct ShutdownCalls {
    HANDLE(WINAPI* currentProcess)();
    BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD access, PHANDLE token);
    BOOL(WINAPI* lookupPrivilegeValue)(LPCSTR system, LPCSTR name, PLUID luid);
    BOOL(WINAPI* adjustTokenPrivileges)(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD length,
                                        PTOKEN_PRIVILEGES previous, PDWORD returnLength);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
    BOOL(WINAPI* exitWindowsEx)(UINT flags, DWORD reason);
};

// The system's own functions.
const ShutdownCalls& SystemShutdownCalls();

class WindowsShutdown : public SystemShutdown {
public:
    explicit WindowsShutdown(const ShutdownCalls& calls) : calls_(calls) {}
    bool ShutdownWindows(uint16_t flags) override;

private:
    const ShutdownCalls& calls_;
};
