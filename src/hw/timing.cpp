#include "hw/timing.h"

#include <cmath>

#include "hw/backend.h"

int32_t MemoryBytesToMB(uint64_t bytes) {
    return static_cast<int32_t>(std::trunc(static_cast<double>(bytes) / 1048576.0)) + 1;
}

int32_t PhysicalMemoryMB() { return MemoryBytesToMB(hw::backend::TotalPhysicalMemory()); }
