// The cooling engine: one idle thread per logical processor, pinned to it at the lowest
// priority, asking the driver to halt the processor (or, in C2 mode, to read the C2 port).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Logical processors the program uses (at most 32: affinity masks are 32-bit). 1 until counted.
extern int32_t ProcessorCount;
// Tick count written by every idle thread as it starts; the last one to start leaves its value.
extern std::atomic<uint32_t> IdleStartTick;

// Written on the main thread only, read by the idle threads on every pass.
extern std::atomic<bool> C2Idling;
extern std::atomic<bool> ChipsetOptimized;
extern std::atomic<uint32_t> C2PortAddress;

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
    // Kernel time of the thread in 100-nanosecond units; false when it cannot be read.
    virtual bool KernelTime(uintptr_t thread, uint64_t& time) = 0;
    virtual uint32_t TickCount() = 0;
};

class TIdle {
public:
    TIdle(int cpu, uintptr_t handle) : cpu(cpu), handle(handle) {}
    const int cpu;
    uintptr_t handle;
    uint32_t LastKernelMs = 0;
    uint32_t LastSampleTick = 0;
    std::atomic<bool> Terminated{false};
    bool Suspended = true;

    // The thread body: the idle loop.
    void Execute();
    int PriorityLevel() const;
    void SetPriorityLevel(int level);
};

constexpr int kIdleSlots = 64;
// Slot cpu holds the thread of that processor, or null when its creation failed.
extern TIdle* IdleThreads[kIdleSlots];

// Installs the platform (the program does so once at start; tests install fakes).
void SetIdleThreadPlatform(IdleThreadPlatform* platform);
IdleThreadPlatform& IdlePlatform();

// Reads the processor count from the system information (at most 32 are used).
void CountProcessors();
// Creates one thread per processor; `reportError` shows a failure's text in an error box.
void CreateIdleThreads(const std::function<void(const std::string& text)>& reportError);
void DestroyIdleThreads();
void SuspendIdleThreads(bool suspend);
void SetIdlePriority(int level);
bool IdleThreadsRunning();
bool EnterC2();
// Empties every slot (tests only, with threads that have ended or never ran: threads are
// never re-created while the program runs).
void ResetIdleThreadsForTest();

// The Windows threads (defined in the Windows build only).
IdleThreadPlatform& WindowsIdleThreadPlatform();
