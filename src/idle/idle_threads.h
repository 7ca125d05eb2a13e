// The cooling engine: one idle thread per logical processor, pinned to it at the lowest
// priority, asking the driver to halt the processor (or, in C2 mode, to read the C2 port).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "common/shared_cell.h"

// Priority levels 0..6 and the Windows thread priorities they stand for.
constexpr int kPriorityLevels = 7;
int PriorityOfLevel(int level);
// Maps a Windows thread priority back to its level; a value not in the list reads as level 3.
int LevelOfPriority(int priority);

// The platform's thread operations (Windows threads in the program, a fake in tests).
class IdleThreadPlatform {
public:
    virtual ~IdleThreadPlatform() = default;
    // Creates the thread suspended; it will run `body` when resumed. Returns an opaque handle or 0.
    virtual uintptr_t CreateSuspended(void (*body)(void*), void* arg) = 0;
    virtual void SetPriority(uintptr_t thread, int priority) = 0;
    virtual int GetPriority(uintptr_t thread) = 0;
    // Returns false when the mask could not be set.
    virtual bool SetAffinity(uintptr_t thread, uint32_t mask) = 0;
    virtual void Resume(uintptr_t thread) = 0;
    virtual void Suspend(uintptr_t thread) = 0;
    // Ends a created thread that never ran its body (after a failed set-up).
    virtual void Discard(uintptr_t thread) = 0;
    // True once the thread has left its body (or never got to run it).
    virtual bool Ended(uintptr_t thread) = 0;
    // Kernel time of the thread in 100-nanosecond units; false when it cannot be read.
    virtual bool KernelTime(uintptr_t thread, uint64_t& time) = 0;
    virtual uint32_t TickCount() = 0;
};

class TIdleThreads;

class TIdle {
public:
    TIdle(TIdleThreads& owner, int cpu);
    // The engine that made it, for the main thread. The body never goes through it: at
    // shutdown the engine is destroyed while a thread told to end may still be suspended,
    // halted or not yet scheduled, and such a thread makes one more pass.
    TIdleThreads& owner;
    const int cpu;
    uintptr_t handle = 0;
    uint32_t LastKernelMs = 0;
    uint32_t LastSampleTick = 0;
    std::atomic<bool> Terminated{false};
    bool Suspended = true;

    // The thread body: the idle loop.
    void Execute();
    int PriorityLevel() const;
    void SetPriorityLevel(int level);

private:
    // Reads the C2 port through the driver; the reply is not used.
    bool EnterC2() const;

    // What the body reads and writes besides this object: the thread's own shares of the
    // engine's values, which therefore live as long as the thread's object.
    IdleThreadPlatform& platform_;
    const SharedCell<bool> c2Idling_;
    const SharedCell<bool> chipsetOptimized_;
    const SharedCell<uint32_t> c2PortAddress_;
    SharedCell<uint32_t> idleStartTick_;
};

constexpr int kIdleSlots = 64;

// The idle threads of one run. The chipset's two values that the loop reads are handed in,
// so the engine needs to know nothing else of the chipset.
class TIdleThreads {
public:
    // The platform must outlive every thread (the system's lives as long as the process).
    TIdleThreads(IdleThreadPlatform& platform, const SharedCell<bool>& chipsetOptimized,
                 const SharedCell<uint32_t>& c2PortAddress)
        : platform(platform), ChipsetOptimized(chipsetOptimized.Share()), C2PortAddress(c2PortAddress.Share()) {}
    // Frees the threads' objects once their threads have ended; one still inside a halt keeps
    // its object, with its shares of the flags, for the rest of the process.
    ~TIdleThreads();
    TIdleThreads(const TIdleThreads&) = delete;
    TIdleThreads& operator=(const TIdleThreads&) = delete;

    IdleThreadPlatform& platform;

    // Logical processors the program uses (at most 32: affinity masks are 32-bit). 1 until counted.
    int32_t ProcessorCount = 1;
    // Slot cpu holds the thread of that processor, or null when its creation failed.
    TIdle* IdleThreads[kIdleSlots] = {};
    // Tick count written by every idle thread as it starts; the last one to start leaves its value.
    SharedCell<uint32_t> IdleStartTick;
    // Written on the main thread only, read by the idle threads on every pass.
    SharedCell<bool> C2Idling;
    const SharedCell<bool> ChipsetOptimized;
    const SharedCell<uint32_t> C2PortAddress;

    // Reads the processor count from the system information (at most 32 are used).
    void CountProcessors();
    // Creates one thread per processor; `reportError` shows a failure's text in an error box.
    void CreateIdleThreads(const std::function<void(const std::string& text)>& reportError);
    void DestroyIdleThreads();
    void SuspendIdleThreads(bool suspend);
    void SetIdlePriority(int level);
    bool IdleThreadsRunning() const;
};

// The Windows threads (defined in the Windows build only).
IdleThreadPlatform& WindowsIdleThreadPlatform();
