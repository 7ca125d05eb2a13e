#include "idle/for_each_processor.h"

#include "hw/registers.h"
#include "hw/timing.h"
#include "idle/idle_threads.h"

void ForEachProcessor(bool lockOption) {
    ProcessorPlatform& os = Processors();
    uint32_t saved = 0;
    const bool haveSaved = os.GetProcessAffinity(saved);
    // Affinity masks are 32-bit: processors past the 32nd cannot be reached this way.
    const int count = ProcessorCount < 0 ? 0 : (ProcessorCount > 32 ? 32 : ProcessorCount);
    for (int i = 0; i < count; ++i) {
        os.SetProcessAffinity(1u << i);
        ApplyProcessorSettings(lockOption && ProcessorCount == 1);
    }
    if (haveSaved) os.SetProcessAffinity(saved);
}
