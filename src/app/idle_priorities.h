// The idle threads as the temperature watch sees them: their priority levels.
#pragma once
#include "idle/idle_threads.h"
#include "temp/temp_watch.h"

class IdleThreadPriorities : public IdlePriorities {
public:
    explicit IdleThreadPriorities(TIdleThreads& idle) : idle_(idle) {}
    bool Running() override;
    int ThreadCount() override;
    bool Level(int cpu, int& level) override;
    void SetLevel(int cpu, int level) override;
    void SetIdlePriority(int level) override;

private:
    TIdleThreads& idle_;
};
