#include "app/idle_priorities.h"

bool IdleThreadPriorities::Running() { return idle_.IdleThreadsRunning(); }

int IdleThreadPriorities::ThreadCount() {
    return idle_.ProcessorCount < kIdleSlots ? idle_.ProcessorCount : kIdleSlots;
}

bool IdleThreadPriorities::Level(int cpu, int& level) {
    if (cpu < 0 || cpu >= kIdleSlots || !idle_.IdleThreads[cpu]) return false;
    level = idle_.IdleThreads[cpu]->PriorityLevel();
    return true;
}

void IdleThreadPriorities::SetLevel(int cpu, int level) {
    if (cpu >= 0 && cpu < kIdleSlots && idle_.IdleThreads[cpu]) idle_.IdleThreads[cpu]->SetPriorityLevel(level);
}

void IdleThreadPriorities::SetIdlePriority(int level) { idle_.SetIdlePriority(level); }
