// Windows threads for the idle engine.
#include <windows.h>

#include "idle/idle_threads.h"

namespace {

struct Start {
    void (*body)(void*);
    void* arg;
};

DWORD WINAPI ThreadProc(void* p) {
    Start start = *static_cast<Start*>(p);
    delete static_cast<Start*>(p);
    start.body(start.arg);
    return 0;
}

class WindowsIdlePlatform : public IdleThreadPlatform {
public:
    uintptr_t CreateSuspended(void (*body)(void*), void* arg) override {
        auto* start = new Start{body, arg};
        HANDLE h = CreateThread(nullptr, 0, ThreadProc, start, CREATE_SUSPENDED, nullptr);
        if (!h) delete start;
        return reinterpret_cast<uintptr_t>(h);
    }
    void SetPriority(uintptr_t t, int priority) override { SetThreadPriority(H(t), priority); }
    int GetPriority(uintptr_t t) override { return GetThreadPriority(H(t)); }
    bool SetAffinity(uintptr_t t, uint32_t mask) override { return SetThreadAffinityMask(H(t), mask) != 0; }
    void Resume(uintptr_t t) override { ResumeThread(H(t)); }
    void Suspend(uintptr_t t) override { SuspendThread(H(t)); }
    void Discard(uintptr_t t) override {
        // The thread never ran; its start record is lost with it (a few bytes, once).
        TerminateThread(H(t), 0);
        CloseHandle(H(t));
    }
    bool Ended(uintptr_t t) override { return WaitForSingleObject(H(t), 0) == WAIT_OBJECT_0; }
    bool KernelTime(uintptr_t t, uint64_t& time) override {
        FILETIME created, exited, kernel, user;
        if (!GetThreadTimes(H(t), &created, &exited, &kernel, &user)) return false;
        time = (static_cast<uint64_t>(kernel.dwHighDateTime) << 32) | kernel.dwLowDateTime;
        return true;
    }
    uint32_t TickCount() override { return GetTickCount(); }

private:
    static HANDLE H(uintptr_t t) { return reinterpret_cast<HANDLE>(t); }
};

}  // namespace

IdleThreadPlatform& WindowsIdleThreadPlatform() {
    static WindowsIdlePlatform platform;
    return platform;
}
