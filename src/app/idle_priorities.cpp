#include "app/idle_priorities.h"

#include "idle/idle_threads.h"

bool IdleThreadPriorities::Running() { return IdleThreadsRunning(); }

int IdleThreadPriorities::ThreadCount() { return ProcessorCount < kIdleSlots ? ProcessorCount : kIdleSlots; }

bool IdleThreadPriorities::Level(int cpu, int& level) {
    if (cpu < 0 || cpu >= kIdleSlots || !IdleThreads[cpu]) return false;
    level = IdleThreads[cpu]->PriorityLevel();
    return true;
}

void IdleThreadPriorities::SetLevel(int cpu, int level) {
    if (cpu >= 0 && cpu < kIdleSlots && IdleThreads[cpu]) IdleThreads[cpu]->SetPriorityLevel(level);
}

void IdleThreadPriorities::SetIdlePriority(int level) { ::SetIdlePriority(level); }
