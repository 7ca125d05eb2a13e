// Windows threads for the idle engine.
#include <windows.h>

#include "idle/idle_threads.h"

namespace {

struct Start {
    void (*body)(void*);
    void* arg;
};

// The header's inline reader of the thread block trips the bounds check at -O2.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
void* CurrentTeb() { return NtCurrentTeb(); }
#pragma GCC diagnostic pop

// An idle thread lives on a few hundred bytes of stack. Some hosts (Wine among them) hand a
// new thread a stack whose top megabyte has already been written, which would keep about
// 1 MB per processor resident for nothing: what lies below the thread's first frame goes
// back to the system here. The pages stay usable and read as zeros when next touched. The
// margin keeps the pages of the call itself out of the range. On Windows only the few pages
// the thread has touched are committed, and resetting them changes nothing.
void ReleaseUnusedStack() {
    constexpr uintptr_t kMargin = 16 * 1024;
    const auto* tib = reinterpret_cast<const NT_TIB*>(CurrentTeb());
    volatile char here = 0;
    const uintptr_t low = reinterpret_cast<uintptr_t>(tib->StackLimit);
    const uintptr_t top = (reinterpret_cast<uintptr_t>(&here) - kMargin) & ~uintptr_t{0xFFF};
    if (top > low) VirtualAlloc(reinterpret_cast<void*>(low), top - low, MEM_RESET, PAGE_READWRITE);
}

DWORD WINAPI ThreadProc(void* p) {
    ReleaseUnusedStack();
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
    // Never destroyed: an idle thread that starts late may still ask it for the tick count
    // while the process runs its exit handlers.
    static WindowsIdlePlatform* const platform = new WindowsIdlePlatform;
    return *platform;
}
