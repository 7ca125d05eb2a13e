#include "temp/shutdown_win32.h"

const ShutdownCalls& SystemShutdownCalls() {
    static const ShutdownCalls calls = {GetCurrentProcess, OpenProcessToken, LookupPrivilegeValueA,
                                        AdjustTokenPrivileges, CloseHandle, ExitWindowsEx};
    return calls;
}

bool WindowsShutdown::ShutdownWindows(uint16_t flags) {
    // Only NT-family systems get this far (the program refuses the others at start), and
    // there a process may end the session only with its shutdown privilege enabled. Should
    // enabling it fail, ExitWindowsEx fails and the next hot reading tries again.
    HANDLE token = nullptr;
    if (calls_.openProcessToken(calls_.currentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
        TOKEN_PRIVILEGES privileges = {};
        privileges.PrivilegeCount = 1;
        calls_.lookupPrivilegeValue(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD returned = 0;
        calls_.adjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, &returned);
        calls_.closeHandle(token);
    }
    return calls_.exitWindowsEx(flags, 0) != FALSE;
}

SystemShutdown& SystemShutdownCall() {
    static WindowsShutdown system(SystemShutdownCalls());
    return system;
}
